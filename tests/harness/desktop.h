#pragma once
// The desktop the tests' windows appear on, and the user's hands at it: find a window of a
// program under test by its title, read its texts, press its buttons, photograph the screen.
// Programs under test get the display through their own environment
// (VirtualDisplay::Environment), never through the test's: without it, a message box under Wine
// returns at once, which keeps the tests that do not look at windows from blocking.

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "harness/installation_builder.h"
#include "harness/program_target.h"

namespace harness {

/// The X display the tests' windows appear on: VELKOR_TEST_DISPLAY when set (scripts/test.sh
/// starts one Xvfb for the whole run), else an Xvfb this object starts and stops.
class VirtualDisplay {
public:
    VirtualDisplay();
    /// Stops the Xvfb this object started, letting it remove its lock file: a killed one
    /// leaves it behind, and Xvfbs starting together may then both take its display.
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    /// False when no display was given and Xvfb could not be started.
    bool IsUsable() const { return !m_name.empty(); }
    /// The display name, e.g. ":93"; empty when not usable.
    const std::string& Name() const { return m_name; }
    /// DISPLAY for the environment of a program that should show its windows here, added to
    /// `environment` (e.g. a target's Environment()).
    std::map<std::string, std::string> Environment(
        std::map<std::string, std::string> environment = {}) const;

private:
    pid_t m_server = -1;  // the Xvfb this object started, if any
    std::string m_name;
};

/// A top-level window of a program under test, found by its exact title. Under Wine the
/// window_probe program of the Windows build does the work; natively xdotool does.
class DesktopWindow {
public:
    /// Waits until a visible window `title` shows on `display`. False after `guardSeconds`.
    static bool WaitFor(const ProgramTarget& target, const VirtualDisplay& display,
                        const std::string& title, double guardSeconds = 30);
    /// The non-empty texts of the window's controls in Z order (under Wine a message box
    /// gives its message, then its button captions, e.g. "OK"). Natively always empty: the
    /// X windows of xmessage and zenity keep their text to themselves.
    static std::vector<std::string> Texts(const ProgramTarget& target,
                                          const VirtualDisplay& display, const std::string& title);
    /// Presses the window's button captioned `button` (Wine: a click on that button; an "&"
    /// marking a shortcut letter is ignored). Natively it sends Return to the window, which
    /// presses its default button; `button` is not checked. False when the window (or, under Wine,
    /// the button) is not there.
    static bool Press(const ProgramTarget& target, const VirtualDisplay& display,
                      const std::string& title, const std::string& button);
};

/// One child control of a dialog under Wine, as window_probe reads it.
struct DialogControl {
    int id = 0;
    std::string className;
    bool visible = false;
    bool enabled = false;
    bool checked = false;  // buttons only
    std::string text;
};

/// The list view of a dialog under Wine: its column titles and its rows in display order.
struct ListViewContents {
    struct Row {
        bool selected = false;
        int image = -1;                  // index into the small-image list
        std::vector<std::string> texts;  // one per column
    };
    std::vector<std::string> headers;
    std::vector<Row> rows;
};

/// The dialog controls the tests of the Windows programs need beyond buttons: the state of
/// each control, a list view's rows, tabs and row selection. Wine only (window_probe).
class DialogWindow {
public:
    /// Every child control in Z order; empty when the window is not there.
    static std::vector<DialogControl> Controls(const ProgramTarget& target,
                                               const VirtualDisplay& display,
                                               const std::string& title);
    /// The control with dialog id `id`; a control with id -1 when there is none.
    static DialogControl Control(const ProgramTarget& target, const VirtualDisplay& display,
                                 const std::string& title, int id);
    /// False when the window or its list view is not there.
    static bool ReadList(const ProgramTarget& target, const VirtualDisplay& display,
                         const std::string& title, ListViewContents* contents);
    /// Selects tab `index` the way a click does (the dialog is told); false when it did not.
    static bool SelectTab(const ProgramTarget& target, const VirtualDisplay& display,
                          const std::string& title, int index);
    static bool SelectRow(const ProgramTarget& target, const VirtualDisplay& display,
                          const std::string& title, int row);
    static bool DoubleClickRow(const ProgramTarget& target, const VirtualDisplay& display,
                               const std::string& title, int row);
};

/// Registry entries that let Wine draw Japanese, Chinese and Korean text in dialogs and
/// message boxes: Wine falls back from its dialog font to Windows' own CJK fonts by name only
/// (MS UI Gothic, SimSun, Gulim, PMingLiU), so these name the font package the tests install
/// (fonts-wqy-microhei) in their place. Write them with the installation's other entries.
RegistryFile CjkDialogFonts(RegistryFile entries = {});

/// Saves a PNG of the whole display as `path`, creating its folder; false on failure.
bool TakeScreenshot(const VirtualDisplay& display, const std::string& path);

/// Where tests keep their screenshots: <build tree>/artefacts/screenshots, created on demand.
std::string ScreenshotFolder();

}  // namespace harness
