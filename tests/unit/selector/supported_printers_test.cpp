// The check against supportedprinters.xml, read by the platform's own document object (the
// engine's reader natively, MSXML under Wine), from real files named by the registry.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/registry.h"
#include "selector/selector_log.h"
#include "selector/supported_printers.h"
#include "selector_test_support.h"

namespace {

using platform::RegistryRoot;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const char* const kSupported = R"(<?xml version="1.0"?>
<SupportedPrinters>
  <Printer><Model>Orvik Plotara 530</Model><Name>Plotara 530</Name><ColorStart>yes</ColorStart></Printer>
  <Printer>
    <Model>orvik plotara 620</Model>
    <Name>Plotara 620</Name>
    <ColorStart>no</ColorStart>
    <Extra>ignored</Extra>
  </Printer>
  <Printer><A>Orvik Plotara 410</A><B>Plotara 410 (mono)</B><C>no</C></Printer>
  <Printer><A>ORVIK PLOTARA 410</A><B>Plotara 410 colour</B><C>yes</C></Printer>
  <Printer><A>Orvik Plotara 420</A><B>Plotara 420</B><C>Yes</C></Printer>
</SupportedPrinters>
)";

struct Listed {
    std::string model;
    std::string displayName;
    bool operator==(const Listed& other) const {
        return model == other.model && displayName == other.displayName;
    }
};

std::ostream& operator<<(std::ostream& out, const Listed& listed) {
    return out << "{" << listed.model << ", " << listed.displayName << "}";
}

class SupportedPrinters : public ::testing::Test {
protected:
    SupportedPrinters() : registry(folder), log(folder.PathOf("selector.log")) {
        installation = registry.Key(RegistryRoot::LocalMachine);
    }
    ~SupportedPrinters() override { Free(); }

    void UseFolder(const std::string& xmlFolder) {
        platform::RegistryKey::Create(RegistryRoot::LocalMachine, installation)
            ->SetString("PRINTERSELXMLPATH", xmlFolder);
    }

    /// A list holding `models` in this order, each with a display name to be replaced.
    void MakeList(const std::vector<std::string>& models) {
        Free();
        PrinterEntry** link = &head;
        for (const std::string& model : models) {
            *link = new PrinterEntry;
            (*link)->model = model;
            (*link)->displayName = "unset";
            link = &(*link)->next;
        }
        count = static_cast<int>(models.size());
    }

    std::vector<Listed> List() const {
        std::vector<Listed> listed;
        for (const PrinterEntry* entry = head; entry != nullptr; entry = entry->next) {
            listed.push_back({entry->model, entry->displayName});
        }
        return listed;
    }

    bool Validate(const std::string& startPage, int* internalErrors = nullptr) {
        std::string path;
        if (!SupportedPrintersPath(installation, &path, log)) return false;
        int shown = 0;
        const bool valid = ValidateSupportedPrinters(
            path, startPage, [] { return SupportedPrinterDocument::Create(); }, &head, &count, log,
            [&shown] { ++shown; });
        if (internalErrors != nullptr) *internalErrors = shown;
        return valid;
    }

    std::vector<std::string> Logged() const {
        return LoggedMessages(folder.PathOf("selector.log"));
    }

    void Free() {
        while (head != nullptr) {
            PrinterEntry* next = head->next;
            delete head;
            head = next;
        }
    }

    ScratchFolder folder;
    ScratchRegistry registry;
    SelectorLog log;
    std::string installation;
    PrinterEntry* head = nullptr;
    int count = 0;
};

TEST_F(SupportedPrinters, KeepsListedModelsWithTheirDisplayNamesAndTheColourMark) {
    folder.Write("xml/supportedprinters.xml", kSupported);
    UseFolder(folder.PathOf("xml"));
    const std::vector<std::string> models = {"orvik plotara 530", "Orvik Plotara 620",
                                             "Orvik Plotara 410", "Orvik Plotara 420",
                                             "Orvik Plotara 600", "Generic Printer"};
    const struct {
        const char* startPage;
        std::vector<Listed> kept;
    } cases[] = {
        {"MainMenu.html",
         {{"orvik plotara 530", "Plotara 530"},
          {"Orvik Plotara 620", "Plotara 620"},
          {"Orvik Plotara 410", "Plotara 410 (mono)"},
          {"Orvik Plotara 420", "Plotara 420"}}},
        // only "yes", exactly; a second element of the same model is consulted
        {"ColorStart.html",
         {{"orvik plotara 530", "Plotara 530"}, {"Orvik Plotara 410", "Plotara 410 colour"}}},
        // the colour rule holds for that page name only
        {"colorstart.html",
         {{"orvik plotara 530", "Plotara 530"},
          {"Orvik Plotara 620", "Plotara 620"},
          {"Orvik Plotara 410", "Plotara 410 (mono)"},
          {"Orvik Plotara 420", "Plotara 420"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.startPage);
        MakeList(models);
        EXPECT_TRUE(Validate(c.startPage));
        EXPECT_THAT(List(), ElementsAreArray(c.kept));
        EXPECT_EQ(count, static_cast<int>(c.kept.size()));
    }
    EXPECT_THAT(Logged(), IsEmpty());
}

TEST_F(SupportedPrinters, FileThatCannotBeUsedFailsWithItsOwnLine) {
    const struct {
        const char* name;
        const char* pathValue;  // null: no value; relative to the scratch folder otherwise
        const char* file;       // null: no file
        const char* line;
    } cases[] = {
        {"no path value", nullptr, kSupported,
         "Registry can not be queried to know the XML Path. Can not proceed."},
        {"missing file", "xml", nullptr, "XML File can not be loaded."},
        {"malformed", "xml", "<SupportedPrinters><Printer><Model>x</Printer>",
         "XML File can not be loaded."},
        {"empty file", "xml", "", "XML File can not be loaded."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder files;
        std::remove(folder.PathOf("selector.log").c_str());
        platform::RegistryKey::DeleteTree(RegistryRoot::LocalMachine, installation);
        platform::RegistryKey::Create(RegistryRoot::LocalMachine, installation);
        if (c.pathValue != nullptr) UseFolder(files.PathOf(c.pathValue));
        if (c.file != nullptr) files.Write("xml/supportedprinters.xml", c.file);
        MakeList({"Orvik Plotara 530"});
        EXPECT_FALSE(Validate("MainMenu.html"));
        EXPECT_THAT(Logged(), ElementsAre(c.line));
        // The list is left as it was.
        EXPECT_THAT(List(), ElementsAre(Listed{"Orvik Plotara 530", "unset"}));
    }

    std::remove(folder.PathOf("selector.log").c_str());
    platform::RegistryKey::DeleteTree(RegistryRoot::LocalMachine, installation);
    EXPECT_FALSE(Validate("MainMenu.html"));
    EXPECT_THAT(Logged(),
                ElementsAre("Registry can not be opened to know the XML Path. Can not proceed."));
}

TEST_F(SupportedPrinters, UnreadableElementShowsTheInternalErrorAndKeepsTheEntry) {
    const struct {
        const char* name;
        const char* secondPrinter;
        const char* line;
    } cases[] = {
        {"two children", "<P><M>Orvik Plotara 620</M><N>Plotara 620</N></P>",
         "Unable to access the first child of XML"},
        {"empty child", "<P><M>Orvik Plotara 620</M><N/><Y>yes</Y></P>",
         "Unable to access the first child of XML"},
        {"element inside", "<P><M><Inner>x</Inner></M><N>n</N><Y>yes</Y></P>",
         "Failed to access XML Node Value."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(folder.PathOf("selector.log").c_str());
        folder.Write("xml/supportedprinters.xml",
                     std::string("<L><P><M>Orvik Plotara 530</M><N>Plotara 530</N><Y>yes</Y></P>") +
                         c.secondPrinter +
                         "<P><M>Orvik Plotara 410</M><N>Plotara 410</N><Y>yes</Y></P></L>");
        UseFolder(folder.PathOf("xml"));
        // 530 is found before the bad element; 410 and 600 reach it.
        MakeList({"Orvik Plotara 410", "Orvik Plotara 530", "Orvik Plotara 600"});
        int internalErrors = 0;
        EXPECT_TRUE(Validate("MainMenu.html", &internalErrors));
        EXPECT_EQ(internalErrors, 2);
        EXPECT_THAT(List(), ElementsAre(Listed{"Orvik Plotara 410", "unset"},
                                        Listed{"Orvik Plotara 530", "Plotara 530"},
                                        Listed{"Orvik Plotara 600", "unset"}));
        EXPECT_THAT(Logged(), ElementsAre(c.line, c.line));
    }
}

}  // namespace
