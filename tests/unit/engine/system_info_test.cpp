// The workstation report through its seam: each source of the fifteen values handed in by
// the test, every failure with the value it leaves and the line it logs.

#include "engine/system_info.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>

#include "base/log.h"
#include "support/scratch_folder.h"

namespace {

using platform::InstalledPrinter;
using platform::PrinterListStatus;
using platform::RegistryRoot;
using platform::RegistryStatus;
using ::testing::ElementsAre;
using Strings = std::vector<std::string>;

class FakeVersion : public platform::SystemVersion {
public:
    std::string Name() override { return "Microsoft Windows"; }
    bool Query(platform::SystemVersionInfo* info) override {
        *info = version;
        return answers;
    }
    std::uint16_t DefaultLanguage() override { return 1031; }

    bool answers = true;
    platform::SystemVersionInfo version{2, 5, 1, "Service Pack 3"};
};

class FakePrinters : public platform::InstalledPrinters {
public:
    PrinterListStatus Enumerate(unsigned char*, std::uint32_t size, std::uint32_t* needed,
                                std::vector<InstalledPrinter>* printers) override {
        sizesAsked.push_back(size);
        if (fails) return PrinterListStatus::Failed;
        // Printers are added between the calls until the list has grown `growth` times.
        const std::uint32_t wanted = 100 + 50 * grown;
        if (grown < growth) ++grown;
        if (size < wanted) {
            *needed = wanted;
            return PrinterListStatus::InsufficientBuffer;
        }
        *printers = installed;
        return PrinterListStatus::Ok;
    }
    PrinterListStatus EnumeratePorts(unsigned char*, std::uint32_t, std::uint32_t*,
                                     std::vector<platform::InstalledPort>*) override {
        return PrinterListStatus::Failed;  // the report never lists ports
    }
    std::uint32_t LastError() override { return 0; }
    platform::DeviceContext OpenDeviceContext(const std::string& driver,
                                              const std::string& device) override {
        opened.emplace_back(driver, device);
        return noContext ? platform::kNoDeviceContext : 7;
    }
    int DriverEscape(platform::DeviceContext dc, int escape, char* output, int size) override {
        EXPECT_TRUE(dc == 7 && escape == 10362 && size == 260);
        EXPECT_EQ(std::string(output, size), std::string(260, '\0')) << "cleared first";
        const std::pair<int, std::string>& answer = answers[escapes++ % 2];
        std::memcpy(output, answer.second.data(), answer.second.size());
        return answer.first;
    }
    void CloseDeviceContext(platform::DeviceContext) override {}

    std::vector<InstalledPrinter> installed = {{"Plotter on LPT1", "orvik plotara 530", "LPT1:"}};
    bool fails = false;
    int growth = 0;
    int grown = 0;
    bool noContext = false;
    std::pair<int, std::string> answers[2] = {{1, "4.21"}, {1, "0312"}};
    std::vector<std::uint32_t> sizesAsked;
    std::vector<std::pair<std::string, std::string>> opened;
    int escapes = 0;
};

class FakeFiles : public platform::FileVersionInfo {
public:
    std::uint32_t Size(const std::string& path) override {
        askedPath = path;
        return path.empty() ? 0 : size;
    }
    bool Read(const std::string&, std::uint32_t bytes, std::vector<unsigned char>* block) override {
        block->assign(bytes, 1);
        return readWorks;
    }
    bool QueryRoot(const std::vector<unsigned char>& block,
                   platform::FileVersionNumbers* numbers) override {
        EXPECT_EQ(block.size(), size);
        *numbers = version;
        return queryWorks;
    }

    std::uint32_t size = 1024;
    bool readWorks = true;
    bool queryWorks = true;
    platform::FileVersionNumbers version{6u << 16, (2900u << 16) | 5512u};
    std::string askedPath = "(not asked)";
};

/// A key's string values; one that does not fit the caller's buffer answers MoreData.
class FakeKey : public platform::RegistryKey {
public:
    explicit FakeKey(std::map<std::string, std::string> values) : m_values(std::move(values)) {}
    RegistryStatus EnumValue(std::uint32_t, std::size_t, std::size_t,
                             platform::RegistryValue*) override {
        return RegistryStatus::Failed;
    }
    RegistryStatus EnumSubkey(std::uint32_t, std::string*) override {
        return RegistryStatus::NoMoreItems;
    }
    RegistryStatus QueryValue(const std::string& name, std::size_t size,
                              platform::RegistryValue* value) override {
        const auto found = m_values.find(name);
        if (found == m_values.end()) return RegistryStatus::NotFound;
        if (found->second.size() + 1 > size) return RegistryStatus::MoreData;
        *value = {name, found->second, platform::RegistryType::String};
        return RegistryStatus::Ok;
    }
    bool SetString(const std::string&, const std::string&) override { return false; }
    bool SetDWord(const std::string&, std::uint32_t) override { return false; }
    bool SetBinary(const std::string&, const std::string&) override { return false; }
    bool DeleteValue(const std::string&) override { return false; }

private:
    std::map<std::string, std::string> m_values;
};

using Keys = std::map<std::pair<RegistryRoot, std::string>, std::map<std::string, std::string>>;
const std::pair<RegistryRoot, std::string> kBrowserKey{RegistryRoot::ClassesRoot,
                                                       "http\\shell\\open\\command"};
const char kUsingBrowser[] = "Using browser C:\\Program Files\\Orvik\\browser.exe.";

std::pair<RegistryRoot, std::string> RipKey(const char* number) {
    return {RegistryRoot::CurrentUser, std::string("SOFTWARE\\Amiable\\Install\\") + number};
}

/// The report with every source faked; the log goes to a scratch file with optional lines
/// kept, so every line the report writes can be read back.
class SystemInfoTest : public ::testing::Test {
protected:
    SystemInfoTest() : m_savedLogPath(engine_log::LogFilePath()) {
        engine_log::SetLogFilePath(folder.PathOf("report.log"));
        engine_log::SetLoggingToFile(true);
        keys[kBrowserKey] = {{"", "\"C:\\Program Files\\Orvik\\browser.exe\" -nohome \"%1\""}};
    }
    ~SystemInfoTest() override {
        engine_log::SetLoggingToFile(false);
        engine_log::SetLogFilePath(m_savedLogPath);
    }

    TextMap Collect(const std::string& product = "orvik plotara 530", TextMap table = {}) {
        CSystemInfo::System system{
            version, printers, files,
            [this](RegistryRoot root, const std::string& path, platform::RegistryAccess access) {
                EXPECT_EQ(access, platform::RegistryAccess::Read);
                const auto found = keys.find({root, path});
                return found == keys.end() ? nullptr : std::make_unique<FakeKey>(found->second);
            },
            [this](std::size_t size) {
                return refuseMemory ? nullptr : std::make_unique<unsigned char[]>(size);
            }};
        CSystemInfo(system).Collect(table, product);
        return table;
    }

    /// The messages logged since the last call, stamps removed; a message keeps a line feed
    /// of its own.
    Strings Logged() {
        std::ifstream in(folder.PathOf("report.log"), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        Strings messages;
        std::string::size_type from = 0;
        while (from < text.size()) {
            const std::string::size_type tab = text.find('\t', from);
            const std::string::size_type end = text.find("\r\n", from);
            messages.push_back(text.substr(tab + 1, end - tab - 1));
            from = end + 2;
        }
        std::ofstream(folder.PathOf("report.log"), std::ios::binary | std::ios::trunc);
        return messages;
    }

    ScratchFolder folder;
    FakeVersion version;
    FakePrinters printers;
    FakeFiles files;
    Keys keys;
    bool refuseMemory = false;

private:
    std::string m_savedLogPath;
};

TEST_F(SystemInfoTest, OperatingSystemByPlatformAndVersion) {
    struct Row {
        std::uint32_t platform, major, minor;
        const char* name;
        const char* environment;
    };
    const Row rows[] = {
        {0, 3, 10, "Windows 3.1", "WIN32s"},
        {1, 4, 0, "Windows 95", "WIN32_WINDOWS"},
        {1, 4, 10, "Windows 98", "WIN32_WINDOWS"},
        {1, 4, 90, "Windows ME", "WIN32_WINDOWS"},
        {1, 4, 3, "", "WIN32_WINDOWS"},
        {2, 3, 51, "Windows NT 3.51", "WIN32_NT"},
        {2, 4, 0, "Windows NT 4.0", "WIN32_NT"},
        {2, 5, 0, "Windows 2000", "WIN32_NT"},
        {2, 5, 1, "Windows XP", "WIN32_NT"},
        {2, 5, 2, "", "WIN32_NT"},
        {2, 10, 0, "", "WIN32_NT"},
        {3, 5, 1, "UNKNOWN_OS", ""},
        {platform::kPlatformNotWindows, 6, 1, "UNKNOWN_OS", ""},
    };
    for (const Row& row : rows) {
        version.version = {row.platform, row.major, row.minor, "Service Pack 2"};
        const TextMap table = Collect();
        SCOPED_TRACE(std::to_string(row.platform) + " " + std::to_string(row.major) + "." +
                     std::to_string(row.minor));
        EXPECT_EQ(table.at("OS-Name"), "Microsoft Windows");
        EXPECT_EQ(table.at("OS-Version"), row.name);
        EXPECT_EQ(table.at("OS-Environment"), row.environment);
        EXPECT_EQ(table.at("OS-Service-Pack"), "Service Pack 2");
        EXPECT_EQ(table.at("OS-Code"), std::to_string(row.major));
        EXPECT_EQ(table.at("OS-Language"), "1031");
    }

    version.answers = false;
    const TextMap table = Collect();
    for (const char* name : {"OS-Version", "OS-Service-Pack", "OS-Environment", "OS-Code"}) {
        EXPECT_EQ(table.at(name), "") << name;
    }
    EXPECT_EQ(table.at("OS-Name"), "Microsoft Windows");
    EXPECT_EQ(table.at("OS-Language"), "1031");
    EXPECT_EQ(table.size(), 15u);
}

TEST_F(SystemInfoTest, DriverNamesAndTheFirstPrinterWithOneInAnyCase) {
    const std::pair<const char*, const char*> names[] = {
        {"orvik plotara 530nr", "orvik plotara 530nr"},
        {"orvik plotara 600plus", "orvik plotara 600Plus"},
        {"orvik plotara 610plus", "orvik plotara 610Plus"},
        {"orvik plotara 610plus nr", "orvik plotara 610Plus nr"},
        {"orvik plotara 410", "orvik plotara 410"},
        {"Orvik Plotara 530", ""},
        {"orvik plotara 530 ", ""},
        {"", ""},
    };
    for (const auto& row : names) EXPECT_EQ(DriverNameForProduct(row.first), row.second);

    printers.installed = {{"Office laser", "Laser 9", "IP_10.0.0.8"},
                          {"Plotter on USB001", "ORVIK Plotara 610PLUS", "USB001"},
                          {"Second plotter", "orvik plotara 610Plus", "USB002"},
                          {"No driver", "", "FILE:"}};
    TextMap table = Collect("orvik plotara 610plus");
    EXPECT_EQ(table.at("Driver-Name"), "ORVIK Plotara 610PLUS");
    EXPECT_EQ(table.at("Driver-Version"), "4.21");
    EXPECT_EQ(table.at("Dat-Version"), "0312");
    EXPECT_THAT(printers.opened, ElementsAre(std::make_pair(std::string("ORVIK Plotara 610PLUS"),
                                                            std::string("Plotter on USB001"))));

    // A product the table lacks looks for no driver, not even an empty one; nothing is said.
    Logged();
    table = Collect("orvik plotara 999");
    for (const char* name : {"Driver-Name", "Driver-Version", "Dat-Version"}) {
        EXPECT_EQ(table.at(name), "Not Installed") << name;
    }
    EXPECT_THAT(Logged(), ElementsAre(kUsingBrowser));
}

TEST_F(SystemInfoTest, DriverFailuresLeaveTheirPlaceholdersAndLogTheirLines) {
    enum Fault { NoPrinters, ListFails, NoMemory, NoContext, DriverRefused, DatRefused };
    const std::string none = "Not Installed";
    const std::string driver = "orvik plotara 530";
    const std::string noDrivers = "Driver Name can not be obtained as no drivers are installed.";
    const std::string noMemory = "Failed to allocate memory for list of printers\n";
    struct Row {
        Fault fault;
        Strings values;  // Driver-Name, Driver-Version, Dat-Version
        Strings lines;
    };
    const Row rows[] = {
        {NoPrinters, {none, none, none}, {noDrivers}},
        {ListFails, {none, none, none}, {noDrivers}},
        {NoMemory, {none, none, none}, {noMemory, noDrivers}},
        {NoContext, {driver, none, none}, {"Driver and Dat version can not be obtained."}},
        {DriverRefused, {driver, none, "0312"}, {"Driver version can not be obtained."}},
        {DatRefused, {driver, "4.21", none}, {"Dat version can not be obtained."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        printers = FakePrinters();
        if (row.fault == NoPrinters) printers.installed.clear();
        printers.fails = row.fault == ListFails;
        refuseMemory = row.fault == NoMemory;
        printers.noContext = row.fault == NoContext;
        if (row.fault == DriverRefused) printers.answers[0].first = -1;
        if (row.fault == DatRefused) printers.answers[1].first = -5;
        const TextMap table = Collect();
        EXPECT_EQ(table.at("Driver-Name"), row.values[0]);
        EXPECT_EQ(table.at("Driver-Version"), row.values[1]);
        EXPECT_EQ(table.at("Dat-Version"), row.values[2]);
        Strings expected = row.lines;
        expected.push_back(kUsingBrowser);
        EXPECT_EQ(Logged(), expected);
    }

    // The list grows while it is asked for: each new size is asked for until it fits.
    printers = FakePrinters();
    printers.growth = 2;
    refuseMemory = false;
    EXPECT_EQ(Collect().at("Driver-Name"), driver);
    EXPECT_THAT(printers.sizesAsked, ElementsAre(0u, 100u, 150u, 200u));

    // A driver's answer that fills the buffer has no NUL: all 260 bytes are its text.
    printers = FakePrinters();
    printers.answers[0].second = std::string(260, 'v');
    EXPECT_EQ(Collect().at("Driver-Version"), std::string(260, 'v'));
}

TEST_F(SystemInfoTest, RipValuesComeFromTheLastInstalledVersionTried) {
    const std::string log241("log of 241\r\n\0\xff", 15);
    folder.Write("rip246/BuildInfo.xml",
                 "<Build><BuildNumber>2.4.6</BuildNumber><BuildDate>2003</BuildDate></Build>");
    folder.Write("rip246/Program/CPSI.log", "log of 246");
    folder.Write("rip241/BuildInfo.xml",
                 "<?xml version=\"1.0\"?>\n<Build><BuildNumber>3.2.117</BuildNumber>"
                 "<BuildDate>2004-06-30</BuildDate></Build>");
    folder.Write("rip241/Program/CPSI.log", log241);
    folder.Write("broken/BuildInfo.xml", "<Build><BuildNumber>9</Build>");
    folder.Write("broken/Program/CPSI.log", "broken log");
    folder.Write("nobuild/Program/CPSI.log", "log without build");
    const auto at = [this](const char* name) { return folder.PathOf(name); };
    struct Row {
        const char* what;
        Keys keys;
        Strings values;  // name, build number, build date, log
    };
    const std::string none = "Not Installed";
    const Row rows[] = {
        {"none installed", {}, {none, none, none, none}},
        {"246 and 241: 241 is tried last",
         {{RipKey("246"), {{"APP_NAME", "RIP 246"}, {"UserPath", at("rip246")}}},
          {RipKey("241"), {{"APP_NAME", "Amiable RIP"}, {"UserPath", at("rip241")}}}},
         {"Amiable RIP", "3.2.117", "2004-06-30", log241}},
        {"no APP_NAME, build values still read",
         {{RipKey("120"), {{"UserPath", at("rip241")}}}},
         {"Installation Error", "3.2.117", "2004-06-30", log241}},
        {"APP_NAME too long for its buffer",
         {{RipKey("212"), {{"APP_NAME", std::string(260, 'n')}}}},
         {"Installation Error", none, none, none}},
        {"a malformed build file keeps the earlier build values",
         {{RipKey("160"), {{"APP_NAME", "RIP 160"}, {"UserPath", at("rip246")}}},
          {RipKey("161"), {{"APP_NAME", "RIP 161"}, {"UserPath", at("broken")}}}},
         {"RIP 161", "2.4.6", "2003", "broken log"}},
        {"no UserPath, then one without a build file",
         {{RipKey("121"), {{"APP_NAME", "RIP 121"}}},
          {RipKey("210"), {{"APP_NAME", "RIP 210"}, {"UserPath", at("nobuild")}}},
          {RipKey("211"), {{"APP_NAME", "RIP 211"}}}},
         {"RIP 211", none, none, "log without build"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        keys = row.keys;
        const TextMap table = Collect();
        EXPECT_EQ(table.at("RIP-Name"), row.values[0]);
        EXPECT_EQ(table.at("RIP-Build-Number"), row.values[1]);
        EXPECT_EQ(table.at("RIP-Build-Date"), row.values[2]);
        EXPECT_EQ(table.at("RIP-Log"), row.values[3]);
    }
}

TEST_F(SystemInfoTest, BrowserNameAndVersionFromTheOpenCommand) {
    enum Fault { None, NoSize, NoRead, NoQuery };
    const std::string unknown = "The default browser couldn't be determined.";
    const std::string noVersion = "The default browser version couldn't be determined.";
    const std::string noRoot = "The default browser version couldn't be queried.";
    const std::string v = "6.0.2900.5512";
    const auto use = [](const std::string& path) { return "Using browser " + path + "."; };
    struct Row {
        const char* command;  // null: no browser key
        Fault fault;
        std::string path, name, version;
        Strings lines;
    };
    const Row rows[] = {
        {"\"C:\\P F\\b.exe\" \"%1\"", None, "C:\\P F\\b.exe", "b.exe", v, {use("C:\\P F\\b.exe")}},
        {"C:\\P~1\\B.EXE -x", None, "C:\\P~1\\B.EXE", "B.EXE", v, {use("C:\\P~1\\B.EXE")}},
        {"browser %1", None, "bro", "bro", v, {use("bro")}},
        {nullptr, None, "", "", "", {unknown, noVersion}},
        {"\"b.exe\"", NoSize, "b.exe", "b.exe", "", {use("b.exe"), noVersion}},
        {"\"b.exe\"", NoRead, "b.exe", "b.exe", "", {use("b.exe"), noVersion}},
        {"\"b.exe\"", NoQuery, "b.exe", "b.exe", "", {use("b.exe"), noRoot}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command != nullptr ? row.command : "no key");
        files = FakeFiles();
        if (row.fault == NoSize) files.size = 0;
        files.readWorks = row.fault != NoRead;
        files.queryWorks = row.fault != NoQuery;
        keys.clear();
        if (row.command != nullptr) keys[kBrowserKey] = {{"", row.command}};
        const TextMap table = Collect();
        EXPECT_EQ(files.askedPath, row.path);
        EXPECT_EQ(table.at("Web-Browser-Name"), row.name);
        EXPECT_EQ(table.at("Web-Browser-Version"), row.version);
        EXPECT_EQ(Logged(), row.lines);
    }

    // Each half of the two version words is its own number, high half first.
    files = FakeFiles();
    files.version = {0xFFFF0001u, 0x0002FFFFu};
    keys[kBrowserKey] = {{"", "\"b.exe\""}};
    EXPECT_EQ(Collect().at("Web-Browser-Version"), "65535.1.2.65535");
}

TEST_F(SystemInfoTest, FreshValuesReplaceOldOnesAndOthersStay) {
    const TextMap table =
        Collect("orvik plotara 530",
                {{"OS-Name", "stale"}, {"Driver-Name", "stale"}, {"prod-name", "kept"}});
    EXPECT_EQ(table.size(), 16u);
    EXPECT_EQ(table.at("OS-Name"), "Microsoft Windows");
    EXPECT_EQ(table.at("Driver-Name"), "orvik plotara 530");
    EXPECT_EQ(table.at("prod-name"), "kept");
}

TEST(LanguageIdOfLocale, LanguageAndTerritoryThenLanguageAloneThenNone) {
    const std::pair<const char*, int> rows[] = {
        {"en_US.UTF-8", 1033},
        {"en_GB", 2057},
        {"de_DE.ISO-8859-15@euro", 1031},
        {"de_AT", 3079},
        {"es_ES@euro", 3082},
        {"pt_BR.UTF-8", 1046},
        {"zh_TW.Big5", 1028},
        {"ja_JP.eucJP", 1041},
        {"en_IN", 0x09},
        {"fr", 0x0C},
        {"C", 0},
        {"C.UTF-8", 0},
        {"POSIX", 0},
        {"", 0},
        {"xx_YY", 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(platform::LanguageIdOfLocale(row.first), row.second) << row.first;
    }
}

}  // namespace
