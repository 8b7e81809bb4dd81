// The browser stand-in as the engine meets it: the real recorder program, started once per
// address, and the registry entries that make it the workstation's browser, read back the way
// the engine reads them (the POSIX store, or Wine's ShellExecute behind "start").

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "harness/browser_recording.h"
#include "harness/child_process.h"
#include "harness/installation_builder.h"
#include "harness/program_target.h"
#include "platform/registry.h"

namespace harness {
namespace {

namespace fs = std::filesystem;

const char* const kProductKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter";

class BrowserRecording : public ::testing::Test {
protected:
    static std::string NewScratch() {
        std::string pathTemplate = (fs::temp_directory_path() / "velkor-browser-XXXXXX").string();
        return mkdtemp(pathTemplate.data());
    }
    ~BrowserRecording() override { fs::remove_all(scratch); }

    /// Starts the installed recorder from another folder, so the record can only land beside
    /// the program.
    ChildResult Start(const std::string& recorder, const std::vector<std::string>& arguments) {
        fs::create_directories(scratch + "/elsewhere");
        // Wine reads the command line in the locale's character set.
        auto environment = target.Environment();
        environment["LC_ALL"] = "C.UTF-8";
        return RunChild(target.Command(recorder, arguments), scratch + "/elsewhere", environment,
                        120);
    }

    const std::string scratch = NewScratch();
    const ProgramTarget& target = TargetUnderTest();
    InstallationBuilder builder{scratch + "/installation"};
};

TEST_F(BrowserRecording, RecordsEveryStartAsOneLineBesideItselfInOrder) {
    struct Case {
        std::vector<std::string> arguments;
        std::string line;
    };
    const Case cases[] = {
        {{"http://127.0.0.1:8190/Main.html?a=1&b=2"}, "http://127.0.0.1:8190/Main.html?a=1&b=2"},
        {{"file:///C:/a b/c.html"}, "file:///C:/a b/c.html"},
        {{"-nohome", "http://127.0.0.1:8190/"}, "-nohome http://127.0.0.1:8190/"},
        {{"http://127.0.0.1:8190/Zürich/プリンター"}, "http://127.0.0.1:8190/Zürich/プリンター"},
        {{""}, ""},
        {{}, ""},
    };
    RecordingBrowser(builder, target);
    const std::string recorder = builder.PathOf(target.FileName("browser_recorder"));
    ASSERT_TRUE(fs::exists(recorder));
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        const ChildResult started = Start(recorder, c.arguments);
        EXPECT_EQ(started.exitCode, 0) << c.line << ": " << started.output;
        expected.push_back(c.line);
        EXPECT_TRUE(WaitForOpenedAddresses(builder, expected.size(), 10)) << c.line;
    }
    EXPECT_EQ(OpenedAddresses(builder), expected);
    EXPECT_FALSE(WaitForOpenedAddresses(builder, expected.size() + 1, 0.2))
        << "one line per start, no more";

    std::ifstream record(builder.PathOf("browser-opened.txt"), std::ios::binary);
    std::ostringstream bytes;
    bytes << record.rdbuf();
    EXPECT_EQ(bytes.str().find('\r'), std::string::npos) << "lines end in LF alone";
}

/// Reading the record needs no program of either build.
class OpenedAddressRecord : public BrowserRecording {};

TEST_F(OpenedAddressRecord, NothingRecordedIsNoAddressAndAnUnfinishedLineIsNone) {
    EXPECT_TRUE(OpenedAddresses(builder).empty());
    EXPECT_FALSE(WaitForOpenedAddresses(builder, 1, 0.1));
    builder.WriteFile("browser-opened.txt", "http://a/\n\nhttp://b/");
    EXPECT_EQ(OpenedAddresses(builder), (std::vector<std::string>{"http://a/", ""}));
    EXPECT_TRUE(WaitForOpenedAddresses(builder, 2, 0));
}

/// The program and its argument in a command of the form "\"PROGRAM\" ARGUMENT", with "%1"
/// in the argument replaced by `address` and the argument's quotes removed.
std::vector<std::string> CommandFor(const std::string& command, const std::string& address) {
    const std::size_t end = command.find('"', 1);
    if (command.empty() || command[0] != '"' || end == std::string::npos) return {};
    std::string argument;
    for (char c : command.substr(end + 1)) {
        if (c != '"') argument += c;
    }
    argument = argument.substr(argument.find_first_not_of(' '));
    const std::size_t placeholder = argument.find("%1");
    if (placeholder != std::string::npos) argument.replace(placeholder, 2, address);
    return {command.substr(1, end - 1), argument};
}

TEST_F(BrowserRecording, TheRegisteredHttpCommandStartsTheRecorderWithTheAddress) {
    const std::string address = "http://127.0.0.1:8190/Main.html?page=status&x=%20";
    RegistryFile others;
    others.SetString(kProductKey, "PATH", "kept");
    builder.WriteRegistry(RecordingBrowser(builder, target, others), target);

    if (target.IsWine()) {
        // Wine's "start" opens an address the way ShellExecute does: through the registered
        // command of its scheme.
        const ChildResult started = RunChild(target.Command("start", {address}),
                                             builder.Directory(), target.Environment(), 120);
        ASSERT_EQ(started.exitCode, 0) << started.output;
    } else {
        platform::UseRegistryStoreFile(builder.PathOf("registry.reg"));
        platform::RegistryValue command;
        platform::RegistryValue kept;
        const auto http = platform::RegistryKey::Open(platform::RegistryRoot::ClassesRoot,
                                                      "http\\shell\\open\\command",
                                                      platform::RegistryAccess::Read);
        const auto product = platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine,
                                                         "SOFTWARE\\Orvik\\Plotara TroubleShooter",
                                                         platform::RegistryAccess::Read);
        ASSERT_TRUE(http && product);
        // Every read goes to the store file afresh: keep it in use until the values are in.
        const platform::RegistryStatus commandRead = http->QueryValue("", 4096, &command);
        const platform::RegistryStatus keptRead = product->QueryValue("PATH", 4096, &kept);
        platform::UseRegistryStoreFile("");
        ASSERT_EQ(commandRead, platform::RegistryStatus::Ok);
        ASSERT_EQ(keptRead, platform::RegistryStatus::Ok);
        EXPECT_EQ(kept.data, "kept") << "the other entries go into the same store";
        const std::vector<std::string> argv = CommandFor(command.data, address);
        ASSERT_EQ(argv.size(), 2u) << command.data;
        EXPECT_EQ(RunChild(argv, builder.Directory(), {}, 60).exitCode, 0);
    }
    ASSERT_TRUE(WaitForOpenedAddresses(builder, 1));
    EXPECT_EQ(OpenedAddresses(builder), std::vector<std::string>{address});
}

}  // namespace
}  // namespace harness
