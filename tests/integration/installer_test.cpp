// The installer and the uninstaller under Wine, run silently as an administrator's script runs
// them: what an installation puts on disk, into the registry and into the start menu, what an
// installation over an earlier one keeps, the module script, and what an uninstallation leaves.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "harness/wait.h"
#include "integration/installed_product.h"
#include "integration/selector_installation.h"

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

namespace fs = std::filesystem;

namespace integration {
namespace {

const std::string kSourceModule = VELKOR_DEMO_MODULE;

std::string HostFileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class InstalledProduct : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TargetUnderTest().IsWine()) GTEST_SKIP() << "the installer is a Windows program";
    }
    // The prefix is every Wine test's: a test that stopped half-way leaves no product behind.
    void TearDown() override {
        if (!TargetUnderTest().IsWine()) return;
        for (const char* folder : {"", kOtherFolder}) {
            const ProductInstallation product(folder);
            if (fs::exists(product.HostPath("uninstall.exe"))) product.Uninstall();
            std::error_code ignored;
            fs::remove_all(product.HostDirectory(), ignored);
        }
    }
    static constexpr const char* kOtherFolder = "C:\\Plotara tools\\maintenance";
};

/// The registry values every installation has, naming its folder.
void ExpectProductRegistry(const ProductInstallation& product) {
    const std::string dir = product.WindowsDirectory();
    const std::string key = kProductKey;
    const struct {
        std::string key, name, value;
    } values[] = {
        {key, "PATH", dir},
        {key, "EXE", "velkor.exe"},
        {key, "SELECTOR_EXE", "printer_selector.exe"},
        {key, "PRINTERSELXMLPATH", dir},
        {key + "\\SMM", "brenna", kDemoModuleFolder},
        {key + "\\ProdNumbers", "orvik plotara 310ps", "brenna"},
        {key + "\\ProdNumbers", "orvik plotara 320ps", "brenna"},
        {key + "\\ProdNumbers", "orvik plotara 350ps", "brenna"},
        {key + "\\ProdNumbers", "Q1251A", "brenna"},
        {key + "\\ProdNumbers", "Q1252A", "brenna"},
    };
    for (const auto& value : values) {
        EXPECT_EQ(product.Registry(value.key, value.name), value.value)
            << value.key << " " << value.name;
    }
    EXPECT_TRUE(product.KeyExists(kProductVersionKey)) << "the version key";
}

TEST_F(InstalledProduct, InstallsEverythingAndUninstallLeavesOnlyTheLogs) {
    ProductInstallation product;
    ASSERT_FALSE(fs::exists(product.HostDirectory())) << "an earlier installation is there";
    // The engine's tests leave the product's key behind in the shared prefix.
    ASSERT_TRUE(product.WriteRegistry(harness::RegistryFile().DeleteKey(kProductKey)));
    const harness::ChildResult installed = product.Install();
    ASSERT_FALSE(installed.timedOut);
    ASSERT_EQ(installed.exitCode, 0) << installed.output;

    // The programs are this build's, byte for byte.
    const harness::ProgramTarget& target = TargetUnderTest();
    for (const char* program : {"velkor", "printer_selector", "velkorcall", "selector_launcher"}) {
        SCOPED_TRACE(program);
        EXPECT_EQ(product.FileText(target.FileName(program)),
                  HostFileText(target.BuiltProgram(program)));
    }
    EXPECT_EQ(product.FileText("velkorfw.dll"), HostFileText(target.BuiltProgram("velkorfw")));
    for (const char* file : {"uninstall.exe", "add_module.cmd"}) {
        EXPECT_THAT(product.FileText(file), Not(IsEmpty())) << file;
    }
    // Every file of the demo module, in its folder.
    int moduleFiles = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kSourceModule)) {
        if (!entry.is_regular_file()) continue;
        const std::string relative = fs::relative(entry.path(), kSourceModule).string();
        EXPECT_EQ(product.FileText(std::string(kDemoModuleFolder) + "/" + relative),
                  HostFileText(entry.path().string()))
            << relative;
        ++moduleFiles;
    }
    EXPECT_GT(moduleFiles, 10);
    const std::string supported = product.FileText("supportedprinters.xml");
    // Every model the engine and the caller know, as the selector offers it; only the demo
    // module's models start in colour.
    for (const char* model :
         {"orvik plotara 310ps", "orvik plotara 320ps", "orvik plotara 350ps", "orvik plotara 600",
          "orvik plotara 610", "orvik plotara 600plus", "orvik plotara 610plus",
          "orvik plotara 610plus nr", "orvik plotara 620", "orvik plotara 620nr",
          "orvik plotara 530", "orvik plotara 530nr", "orvik plotara 500", "orvik plotara 500n",
          "orvik plotara 420", "orvik plotara 420r", "orvik plotara 410"}) {
        const bool colour = std::string(model).find("ps") != std::string::npos;
        std::string shown = model;
        shown.replace(0, 13, "Orvik Plotara");
        const std::string row = std::string("<printer><model>") + model + "</model><name>" + shown +
                                "</name><colorstart>" + (colour ? "yes" : "no") +
                                "</colorstart></printer>";
        EXPECT_THAT(supported, HasSubstr(row));
    }
    EXPECT_EQ(Occurrences(supported, "<printer>"), 17u) << "a model twice";
    EXPECT_TRUE(fs::is_directory(product.HostPath("Log")));
    EXPECT_TRUE(fs::is_empty(product.HostPath("Log")));

    ExpectProductRegistry(product);
    EXPECT_TRUE(product.KeyExists(kUninstallEntryKey));
    EXPECT_EQ(
        Lower(
            product.Registry(std::string(kControlClassKey) + "\\InprocServer32", "").value_or("")),
        Lower(product.WindowsDirectory() + "\\velkorfw.dll"));
    EXPECT_EQ(product.Registry(std::string(kControlProgIdKey) + "\\CLSID", ""),
              "{2B7E91C4-5D3A-4F08-9C61-7A0E4B2D8F35}");

    const ShellLink link = ReadShellLink(ProductInstallation::HostPathOf(kShortcutPath));
    ASSERT_TRUE(link.read) << "no start menu entry at " << kShortcutPath;
    EXPECT_EQ(Lower(link.target), Lower(product.WindowsDirectory() + "\\selector_launcher.exe"));
    EXPECT_EQ(Lower(link.workingDirectory), Lower(product.WindowsDirectory()));

    // The user's logs outlive the product; nothing else does.
    std::ofstream(product.HostPath("Log/PrinterSelector.log")) << "8-12-2026\t10:00\t:: Hello\n";
    const std::string uninstalled = product.Uninstall();
    ASSERT_EQ(uninstalled, "");
    EXPECT_TRUE(harness::WaitUntil([&] { return product.Leftovers().empty(); }, 30, 500))
        << ::testing::PrintToString(product.Leftovers());
    EXPECT_EQ(product.FileText("Log/PrinterSelector.log"), "8-12-2026\t10:00\t:: Hello\n");
}

// An installation over an earlier one, into a folder of the administrator's choice: the
// user's preferences and the modules added since stay.
TEST_F(InstalledProduct, InstallingAgainKeepsPreferencesAndAddedModules) {
    ProductInstallation product(kOtherFolder);
    ASSERT_FALSE(fs::exists(product.HostDirectory())) << "an earlier installation is there";
    // The engine's tests leave the product's key behind in the shared prefix.
    ASSERT_TRUE(product.WriteRegistry(harness::RegistryFile().DeleteKey(kProductKey)));
    ASSERT_EQ(product.Install().exitCode, 0);
    ASSERT_TRUE(fs::exists(product.HostPath("velkor.exe"))) << "/D= was not followed";
    ExpectProductRegistry(product);

    const std::string smm = std::string(kProductKey) + "\\SMM";
    const std::string products = std::string(kProductKey) + "\\ProdNumbers";
    fs::create_directories(product.HostPath("kestrel module/www"));
    std::ofstream(product.HostPath("kestrel module/module.xml")) << "<module></module>\n";
    fs::create_directories(product.HostPath("no xml module"));
    const struct {
        const char* what;
        std::vector<std::string> arguments;
        bool accepted;
    } cases[] = {
        {"a module folder with its products",
         {"kestrel", "kestrel module", "Q9999A", "orvik plotara 700"},
         true},
        {"a folder without module.xml", {"heron", "no xml module", "Q8888A"}, false},
        {"no such folder", {"owl", "nowhere", "Q7777A"}, false},
        {"no product", {"wren", "kestrel module"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const harness::ChildResult run = product.AddModule(c.arguments);
        const std::string& name = c.arguments[0];
        if (c.accepted) {
            EXPECT_EQ(run.exitCode, 0) << run.output;
            EXPECT_EQ(product.Registry(smm, name), c.arguments[1]);
            for (std::size_t i = 2; i < c.arguments.size(); ++i) {
                EXPECT_EQ(product.Registry(products, c.arguments[i]), name) << c.arguments[i];
            }
        } else {
            EXPECT_NE(run.exitCode, 0) << run.output;
            EXPECT_THAT(run.output, Not(IsEmpty())) << "no message";
            EXPECT_EQ(product.Registry(smm, name), std::nullopt);
            if (c.arguments.size() > 2) {
                EXPECT_EQ(product.Registry(products, c.arguments[2]), std::nullopt);
            }
        }
    }

    ASSERT_TRUE(product.WriteRegistry(harness::RegistryFile()
                                          .SetString(kDomainKey, "Domain", "NETWORK")
                                          .SetString(kPrinterKey, "Printer", "127.0.0.2")));
    ASSERT_EQ(product.Install().exitCode, 0);
    ExpectProductRegistry(product);
    EXPECT_EQ(product.Registry(kDomainKey, "Domain"), "NETWORK");
    EXPECT_EQ(product.Registry(kPrinterKey, "Printer"), "127.0.0.2");
    EXPECT_EQ(product.Registry(smm, "kestrel"), "kestrel module");
    EXPECT_EQ(product.Registry(products, "Q9999A"), "kestrel");
    EXPECT_EQ(product.Registry(products, "orvik plotara 700"), "kestrel");
    EXPECT_TRUE(fs::exists(product.HostPath("kestrel module/module.xml")));

    ASSERT_EQ(product.Uninstall(), "");
    for (const char* key : {kProductKey, kProductVersionKey, kUninstallEntryKey, kControlClassKey,
                            kControlProgIdKey}) {
        EXPECT_FALSE(product.KeyExists(key)) << key;
    }
    std::error_code ignored;
    fs::remove_all(ProductInstallation::HostPathOf("C:\\Plotara tools"), ignored);
}

}  // namespace
}  // namespace integration
