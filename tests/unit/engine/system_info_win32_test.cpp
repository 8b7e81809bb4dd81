// The report from the real Win32 calls: print queues registered with the spooler fixture (one
// of them with a driver that cannot make a device context), a RIP installation in
// HKEY_CURRENT_USER with its files, and the fixture itself as a browser of known version. The
// test changes the spooler and the RIP keys, so it runs only in Wine's test prefix.

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "base/log.h"
#include "engine/system_info.h"
#include "platform/registry.h"
#include "support/scratch_folder.h"

namespace {

using platform::RegistryKey;
using platform::RegistryRoot;

const std::string kRipKey = "SOFTWARE\\Amiable\\Install\\";
const std::string kBrowserKeyParent = "Software\\VelkorSystemInfoTest";

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

/// The fixture's path as this process can open it: a Linux path of the build tree is on
/// Wine's drive Z:.
std::string FixturePath() {
    std::string path = VELKOR_SPOOLER_FIXTURE;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& ch : path) {
        if (ch == '/') ch = '\\';
    }
    return path;
}

/// The fixture's exit code for `arguments`; -1 when it did not run to its end.
int RunFixture(const std::string& arguments) {
    std::string command = "\"" + FixturePath() + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

class SystemInfoWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (!RunningUnderWine()) GTEST_SKIP() << "changes the spooler and the RIP keys";
        m_savedLogPath = engine_log::LogFilePath();
        engine_log::SetLogFilePath(folder.PathOf("report.log"));
        m_id = std::to_string(GetCurrentProcessId());
    }

    void TearDown() override {
        if (m_wroteKeys) {
            RegistryKey::DeleteTree(RegistryRoot::CurrentUser, "SOFTWARE\\Amiable");
            RegistryKey::DeleteTree(RegistryRoot::CurrentUser, kBrowserKeyParent);
        }
        for (const std::string& queue : m_queues) RunFixture("remove " + Quoted(queue));
        for (const std::string& driver : m_drivers) RunFixture("remove-driver " + Quoted(driver));
        if (!m_savedLogPath.empty()) engine_log::SetLogFilePath(m_savedLogPath);
    }

    void AddQueue(const std::string& name, const char* port, const std::string& driver) {
        m_queues.push_back(name);
        m_drivers.insert(driver);
        ASSERT_EQ(RunFixture("add " + Quoted(name) + " " + port + " " + Quoted(driver)), 0);
    }

    /// A driver whose data file is missing, so no device context can be made for it.
    void AddDriverWithoutPpd(const std::string& driver) {
        m_drivers.insert(driver);
        ASSERT_EQ(RunFixture("add-driver " + Quoted(driver) + " --no-ppd"), 0);
    }

    /// The real system, except that the browser's command is read from `browserKey` below
    /// HKEY_CURRENT_USER, so the prefix's own browser setting is left alone.
    TextMap Collect(const std::string& product, const std::string& browserKey = "") {
        CSystemInfo::System system = CSystemInfo::RealSystem();
        system.openKey = [browserKey](RegistryRoot root, const std::string& path,
                                      platform::RegistryAccess access) {
            if (!browserKey.empty() && root == RegistryRoot::ClassesRoot) {
                return RegistryKey::Open(RegistryRoot::CurrentUser, browserKey, access);
            }
            return RegistryKey::Open(root, path, access);
        };
        TextMap table;
        CSystemInfo(system).Collect(table, product);
        return table;
    }

    std::string LogText() {
        std::ifstream in(folder.PathOf("report.log"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    ScratchFolder folder;
    std::string m_id;
    bool m_wroteKeys = false;  // the RIP keys and the browser key, all removed at the end

private:
    std::string m_savedLogPath;
    std::vector<std::string> m_queues;
    std::set<std::string> m_drivers;
};

TEST_F(SystemInfoWin32Test, ReportsQueuesRipAndBrowserFromTheSystem) {
    AddQueue("velkor sysinfo " + m_id + " usb", "USB001", "ORVIK Plotara 610PLUS");
    AddDriverWithoutPpd("orvik plotara 350ps");
    AddQueue("velkor sysinfo " + m_id + " lpt", "LPT1:", "orvik plotara 350ps");

    // Only a test prefix gets here: any RIP installation in it is the tests' own.
    m_wroteKeys = true;
    RegistryKey::DeleteTree(RegistryRoot::CurrentUser, "SOFTWARE\\Amiable");
    folder.Write("rip246\\BuildInfo.xml", "<Build><BuildNumber>2.4.6</BuildNumber></Build>");
    folder.Write("rip241\\BuildInfo.xml",
                 "<?xml version=\"1.0\"?><Build><BuildNumber>3.2.117</BuildNumber>"
                 "<BuildDate>2004-06-30</BuildDate></Build>");
    folder.Write("rip241\\Program\\CPSI.log", "CPSI started\r\nready\r\n");
    const std::string browserKey = kBrowserKeyParent + "\\" + m_id;
    {
        auto rip246 = RegistryKey::Create(RegistryRoot::CurrentUser, kRipKey + "246");
        auto rip241 = RegistryKey::Create(RegistryRoot::CurrentUser, kRipKey + "241");
        auto browser = RegistryKey::Create(RegistryRoot::CurrentUser, browserKey);
        ASSERT_TRUE(rip246 && rip241 && browser);
        ASSERT_TRUE(rip246->SetString("APP_NAME", "RIP 246"));
        ASSERT_TRUE(rip246->SetString("UserPath", folder.PathOf("rip246")));
        ASSERT_TRUE(rip241->SetString("APP_NAME", "Amiable RIP"));
        ASSERT_TRUE(rip241->SetString("UserPath", folder.PathOf("rip241")));
        ASSERT_TRUE(browser->SetString("", Quoted(FixturePath()) + " \"%1\""));
    }

    const TextMap table = Collect("orvik plotara 610plus", browserKey);

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(table.at("OS-Name"), "Microsoft Windows");
    EXPECT_EQ(table.at("OS-Environment"), "WIN32_NT");
    EXPECT_EQ(table.at("OS-Code"), std::to_string(version.dwMajorVersion));
    EXPECT_EQ(table.at("OS-Service-Pack"), version.szCSDVersion);
    EXPECT_EQ(table.at("OS-Language"), std::to_string(GetSystemDefaultLangID()));

    // Wine's PostScript driver answers the private escape with 0 and leaves the cleared
    // buffer as it was.
    EXPECT_EQ(table.at("Driver-Name"), "ORVIK Plotara 610PLUS");
    EXPECT_EQ(table.at("Driver-Version"), "");
    EXPECT_EQ(table.at("Dat-Version"), "");

    EXPECT_EQ(table.at("RIP-Name"), "Amiable RIP");
    EXPECT_EQ(table.at("RIP-Build-Number"), "3.2.117");
    EXPECT_EQ(table.at("RIP-Build-Date"), "2004-06-30");
    EXPECT_EQ(table.at("RIP-Log"), "CPSI started\r\nready\r\n");

    EXPECT_EQ(table.at("Web-Browser-Name"), "spooler_fixture.exe");
    EXPECT_EQ(table.at("Web-Browser-Version"), "2.5.17.300");
    EXPECT_EQ(LogText(), "") << "nothing failed, and optional lines are off";

    const TextMap noContext = Collect("orvik plotara 350ps");
    EXPECT_EQ(noContext.at("Driver-Name"), "orvik plotara 350ps");
    EXPECT_EQ(noContext.at("Driver-Version"), "Not Installed");
    EXPECT_EQ(noContext.at("Dat-Version"), "Not Installed");
    EXPECT_NE(LogText().find("\tDriver and Dat version can not be obtained.\r\n"),
              std::string::npos)
        << LogText();
}

}  // namespace
