// How the selector's dialog chooses rows and printers, names its groups and reads where the
// engine is installed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry.h"
#include "selector/installation_path.h"
#include "selector/printer_group.h"
#include "selector/selected_printer.h"

namespace {

TEST(SelectedPrinter, PreferredRowIsTheLastExactMatchElseTheFirst) {
    const struct {
        std::vector<std::string> rows;
        std::string preference;
        std::size_t expected;
    } cases[] = {
        {{"LPT1", "LPT2", "LPT3"}, "LPT2", 1},
        {{"LPT1", "LPT2", "LPT1"}, "LPT1", 2},  // the last of equal rows
        {{"LPT1", "LPT2"}, "lpt2", 0},          // case matters
        {{"LPT1", "LPT2"}, "LPT", 0},           // a beginning is not a match
        {{"10.0.0.1", "10.0.0.2"}, "", 0},      // a fresh preference
        {{"", "SN1"}, "", 0},
        {{"SN1", ""}, "", 1},
        {{"SN1"}, "SN2", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PreferredRow(c.rows, c.preference), c.expected) << c.preference;
    }
}

TEST(SelectedPrinter, FindsTheEntryByAddressOrSerialAndModelWithoutCase) {
    PrinterEntry network{
        kConnectionNetwork, "orvik plotara 530", "10.0.0.7", "", "Plotara 530", "Queue"};
    PrinterEntry parallel{
        kConnectionParallel, "Orvik Plotara 420", "LPT1", "", "Plotara 420", "Plotter"};
    PrinterEntry usb{kConnectionUsb, "orvik plotara 610", "\\\\?\\usb#vid", "SN42", "", ""};
    PrinterEntry twin{kConnectionParallel, "orvik plotara 420", "LPT1", "", "", "Second"};
    network.next = &parallel;
    parallel.next = &usb;
    usb.next = &twin;
    const struct {
        std::string column2;
        std::string column1;
        const PrinterEntry* expected;
    } cases[] = {
        {"10.0.0.7", "Orvik Plotara 530", &network},
        {"LPT1", "ORVIK PLOTARA 420", &parallel},  // the first of two alike
        {"SN42", "orvik plotara 610", &usb},       // a USB row shows the serial number
        {"\\\\?\\usb#vid", "orvik plotara 610", &usb},
        {"10.0.0.7", "orvik plotara 420", nullptr},   // model of another printer
        {"10.0.0.70", "orvik plotara 530", nullptr},  // address must be whole
        {"lpt1", "orvik plotara 420", nullptr},       // address compared with case
        {"", "orvik plotara 530", &network},          // a row without serial number
        {"LPT1", "orvik plotara 42", nullptr},        // model must be whole
        {"10.0.0.7", "PLOTARA 530", &network},        // the display name the row shows
        {"10.0.0.7", "Plotara 420", nullptr},         // display name of another printer
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindSelectedPrinter(&network, c.column2, c.column1), c.expected)
            << c.column2 << " / " << c.column1;
    }
    EXPECT_EQ(FindSelectedPrinter(nullptr, "LPT1", "orvik plotara 420"), nullptr);
}

TEST(SelectedPrinter, RowsShowTheSerialOfUsbPrintersAndTheAddressOfOthers) {
    const PrinterEntry usb{kConnectionUsb, "m", "\\\\?\\usb#path", "SN7", "", ""};
    const PrinterEntry parallel{kConnectionParallel, "m", "LPT2", "", "", "q"};
    const PrinterEntry network{kConnectionNetwork, "m", "printer.local", "", "", "q"};
    EXPECT_EQ(Column2TextOf(usb), "SN7");
    EXPECT_EQ(Column2TextOf(parallel), "LPT2");
    EXPECT_EQ(Column2TextOf(network), "printer.local");
}

TEST(SelectedPrinter, GroupsAndTheirSavedNames) {
    const struct {
        PrinterGroup group;
        const char* domain;
    } groups[] = {{PrinterGroup::Usb, "USB"},
                  {PrinterGroup::Parallel, "LPT"},
                  {PrinterGroup::Network, "NETWORK"}};
    for (const auto& g : groups) {
        EXPECT_EQ(DomainOfGroup(g.group), g.domain);
        EXPECT_EQ(GroupOfDomain(g.domain), g.group) << g.domain;
    }
    for (const char* other : {"", "network", "Lpt", "TCP", "USB "}) {
        EXPECT_EQ(GroupOfDomain(other), PrinterGroup::Usb) << other;
    }
}

TEST(SelectedPrinter, TitleNamesTheVersionsOnlyWhenFound) {
    EXPECT_EQ(SelectorWindowTitle("Orvik", "5.0,5.1", true), "Orvik [5.0,5.1]");
    EXPECT_EQ(SelectorWindowTitle("Orvik", "", false), "Orvik");
    EXPECT_EQ(SelectorWindowTitle("Orvik", "5.0", false), "Orvik");
}

// Real registry (Wine's, or the POSIX store) under a key of the test's own.
TEST(InstallationPath, ReadsOnlyATextValueNamedPath) {
    using platform::RegistryKey;
    using platform::RegistryRoot;
    const std::string key = "SOFTWARE\\VelkorTests\\SelectorInstallationPath";
    RegistryKey::DeleteTree(RegistryRoot::LocalMachine, key);
    std::string path = "untouched";
    EXPECT_FALSE(ReadInstallationPath(key, &path));  // no key
    auto created = RegistryKey::Create(RegistryRoot::LocalMachine, key);
    ASSERT_TRUE(created);
    EXPECT_FALSE(ReadInstallationPath(key, &path));  // no value
    ASSERT_TRUE(created->SetDWord("PATH", 7));
    EXPECT_FALSE(ReadInstallationPath(key, &path));  // not text
    EXPECT_EQ(path, "untouched");
    ASSERT_TRUE(created->SetString("PATH", "C:\\Program Files\\Orvik"));
    EXPECT_TRUE(ReadInstallationPath(key, &path));
    EXPECT_EQ(path, "C:\\Program Files\\Orvik");
    created.reset();
    EXPECT_TRUE(RegistryKey::DeleteTree(RegistryRoot::LocalMachine, key));
}

}  // namespace
