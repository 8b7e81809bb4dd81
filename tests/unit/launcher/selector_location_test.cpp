// The selector's location as the launcher reads it from the installation's key: which step
// fails for which registry, the 260-byte limit on each value, and the program path built
// without any tidying.

#include <gtest/gtest.h>

#include <optional>

#include "launcher/selector_location.h"
#include "platform/registry.h"
#include "unit/selector/selector_test_support.h"

namespace {

using platform::RegistryRoot;

struct Case {
    const char* what;
    bool withKey;
    std::optional<std::string> path;
    std::optional<std::string> program;
    const char* failure;      // "" when the read succeeds
    const char* programPath;  // when it does
};

TEST(SelectorLocation, ReadsBothValuesOrNamesTheStepThatFailed) {
    const std::string longest(259, 'p');
    const Case cases[] = {
        {"installed", true, "C:\\Plotara", "printer_selector.exe", "",
         "C:\\Plotara\\printer_selector.exe"},
        {"no key", false, std::nullopt, std::nullopt, "Failed to access Path and Executable name.",
         ""},
        {"no PATH", true, std::nullopt, "printer_selector.exe", "Failed to access Path Name", ""},
        {"no SELECTOR_EXE", true, "C:\\Plotara", std::nullopt, "Failed to access Executable Name.",
         ""},
        {"PATH of 260 characters", true, std::string(260, 'p'), "printer_selector.exe",
         "Failed to access Path Name", ""},
        {"SELECTOR_EXE of 260 characters", true, "C:\\Plotara", std::string(260, 's'),
         "Failed to access Executable Name.", ""},
        {"PATH of 259 characters fits", true, longest, "s.exe", "",
         nullptr},  // checked below: the long path itself
        {"PATH with a trailing backslash", true, "C:\\Plotara\\", "printer_selector.exe", "",
         "C:\\Plotara\\\\printer_selector.exe"},
        {"empty SELECTOR_EXE", true, "C:\\Plotara", "", "", "C:\\Plotara\\"},
        {"PATH with blanks", true, "C:\\Program Files\\Orvik Plotara", "sel.exe", "",
         "C:\\Program Files\\Orvik Plotara\\sel.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        ScratchRegistry registry(folder);
        const std::string key = registry.Key(RegistryRoot::LocalMachine);
        if (c.withKey) {
            const auto made = platform::RegistryKey::Create(RegistryRoot::LocalMachine, key);
            ASSERT_TRUE(made);
            if (c.path) {
                ASSERT_TRUE(made->SetString("PATH", *c.path));
            }
            if (c.program) {
                ASSERT_TRUE(made->SetString("SELECTOR_EXE", *c.program));
            }
        }
        SelectorLocation location;
        std::string failure;
        const bool read = ReadSelectorLocation(key, &location, &failure);
        EXPECT_EQ(failure, c.failure);
        EXPECT_EQ(read, std::string(c.failure).empty());
        if (!read) continue;
        EXPECT_EQ(location.folder, *c.path);
        EXPECT_EQ(location.program, *c.program);
        EXPECT_EQ(location.ProgramPath(),
                  c.programPath != nullptr ? c.programPath : longest + "\\s.exe");
    }
}

}  // namespace
