// The desktop helper against real windows: under Wine a message box shown the way the engine
// shows its errors (show_message.exe), natively an xmessage window; each is found by its
// title, read, photographed and pressed the way the tests of the programs will do it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "harness/child_process.h"
#include "harness/desktop.h"
#include "harness/installation_builder.h"
#include "harness/program_target.h"

namespace harness {
namespace {

namespace fs = std::filesystem;
using ::testing::UnorderedElementsAre;

const char* const kCjkMessage =
    "プリンターが見つかりません。\n未找到打印机。\n프린터를 찾을 수 없습니다.";

class DesktopWindowTest : public ::testing::Test {
protected:
    static std::string NewScratch() {
        std::string pathTemplate = (fs::temp_directory_path() / "velkor-desktop-XXXXXX").string();
        return mkdtemp(pathTemplate.data());
    }
    ~DesktopWindowTest() override { fs::remove_all(scratch); }

    void SetUp() override {
        ASSERT_TRUE(display.IsUsable()) << "no X display: is Xvfb installed?";
        if (target.IsWine()) builder.WriteRegistry(CjkDialogFonts(), target);
    }

    /// Starts a message box titled `title` saying `text`: under Wine on `display`, or on no
    /// display at all when `displayName` is empty.
    bool Show(BackgroundChild& box, const std::string& title, const std::string& text,
              const std::string& displayName) {
        std::map<std::string, std::string> environment = target.Environment();
        environment["DISPLAY"] = displayName;
        // Wine reads the command line in the locale's character set.
        environment["LC_ALL"] = "C.UTF-8";
        if (target.IsWine()) {
            return box.Start(target.Command(target.BuiltProgram("show_message"), {title, text}),
                             scratch, environment);
        }
        // Its button exits with 7, so a press is told apart from any other end.
        return box.Start(
            {"xmessage", "-title", title, "-buttons", "okay:7", "-default", "okay", text}, scratch,
            environment);
    }

    const std::string scratch = NewScratch();
    const ProgramTarget& target = TargetUnderTest();
    InstallationBuilder builder{scratch + "/installation"};
    VirtualDisplay display;
};

TEST_F(DesktopWindowTest, FindsReadsPhotographsAndPressesAMessageBox) {
    // Wine gets a title and text in three scripts, so the probe's UTF-8 both ways is checked
    // and the screenshot shows whether the glyphs are drawn.
    const std::string title = target.IsWine() ? "Velkor エラー 错误 오류" : "Velkor message box";
    const std::string text = target.IsWine() ? kCjkMessage : "The printer was not found.";
    BackgroundChild box;
    ASSERT_TRUE(Show(box, title, text, display.Name()));
    ASSERT_TRUE(DesktopWindow::WaitFor(target, display, title, 60)) << box.Kill().output;
    EXPECT_TRUE(box.IsRunning()) << "a message box waits for its button";

    if (target.IsWine()) {
        EXPECT_THAT(DesktopWindow::Texts(target, display, title), UnorderedElementsAre(text, "OK"));
    } else {
        EXPECT_TRUE(DesktopWindow::Texts(target, display, title).empty());
    }

    const std::string screenshot =
        ScreenshotFolder() + "/message-box-" + std::string(target.Name()) + ".png";
    fs::remove(screenshot);
    ASSERT_TRUE(TakeScreenshot(display, screenshot));
    std::ifstream png(screenshot, std::ios::binary);
    std::string signature(8, '\0');
    png.read(&signature[0], 8);
    EXPECT_EQ(signature, "\x89PNG\r\n\x1a\n");

    if (target.IsWine()) {
        EXPECT_FALSE(DesktopWindow::Press(target, display, title, "Cancel")) << "no such button";
        EXPECT_TRUE(box.IsRunning());
    }
    EXPECT_TRUE(DesktopWindow::Press(target, display, title, "OK"));
    const ChildResult result = box.Wait(60);
    ASSERT_FALSE(result.timedOut) << "the press did not close the box";
    if (target.IsWine()) {
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.output, "button 1\n") << "IDOK";
    } else {
        EXPECT_EQ(result.exitCode, 7) << result.output;
    }
    EXPECT_FALSE(DesktopWindow::WaitFor(target, display, title, 0)) << "the window is gone";
}

TEST_F(DesktopWindowTest, OnlyTheExactTitleIsFound) {
    const std::string title = "Velkor exact title";
    BackgroundChild box;
    ASSERT_TRUE(Show(box, title, "Exact", display.Name()));
    ASSERT_TRUE(DesktopWindow::WaitFor(target, display, title, 60)) << box.Kill().output;
    for (const std::string other : {"velkor exact title", "Velkor exact", "Velkor exact title.",
                                    "Velkor.exact title", "No such window"}) {
        EXPECT_FALSE(DesktopWindow::WaitFor(target, display, other, 0.3)) << other;
        EXPECT_TRUE(DesktopWindow::Texts(target, display, other).empty()) << other;
        EXPECT_FALSE(DesktopWindow::Press(target, display, other, "OK")) << other;
    }
    EXPECT_TRUE(box.IsRunning()) << "pressing elsewhere leaves this window alone";
    EXPECT_TRUE(DesktopWindow::Press(target, display, title, "OK"));
    EXPECT_FALSE(box.Wait(60).timedOut);
}

/// What keeps the tests that look at no window from blocking on a message box.
using WineMessageBox = DesktopWindowTest;

TEST_F(WineMessageBox, WithoutADisplayReturnsAtOnce) {
    if (!target.IsWine()) GTEST_SKIP() << "a Wine case";
    BackgroundChild box;
    ASSERT_TRUE(Show(box, "Velkor without display", "Nobody sees this", ""));
    const ChildResult result = box.Wait(60);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output.rfind("button ", 0), 0u) << result.output;
    EXPECT_NE(result.output, "button 1\n") << "no one pressed OK";
}

}  // namespace
}  // namespace harness
