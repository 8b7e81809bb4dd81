// The OS class from the real version information, under each Windows version Wine can
// pretend to be. Wine reads the version a program sees from the per-program "Version" value
// below HKCU "Software\Wine\AppDefaults", so the probe program runs once per version.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

const char* const kProbe = "velkor_os_class_probe.exe";
const char* const kAppDefaults = "Software\\Wine\\AppDefaults\\velkor_os_class_probe.exe";

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string ProbePath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self(path, length);
    return self.substr(0, self.find_last_of('\\') + 1) + kProbe;
}

/// The probe's exit code when Wine pretends to be `version`; -1 when it could not run.
int OsClassUnder(const char* version) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return -1;
    }
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(strlen(version) + 1));
    RegCloseKey(key);

    std::string command = "\"" + ProbePath() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    int result = -1;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, 30000);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) result = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
    return result;
}

TEST(OsClassUnderWine, FollowsTheWindowsVersion) {
    if (!RunningUnderWine()) GTEST_SKIP() << "only Wine can pretend to be another version";
    EXPECT_EQ(OsClassUnder("winxp"), 5);    // NT 5.1
    EXPECT_EQ(OsClassUnder("win2k"), 4);    // NT 5.0
    EXPECT_EQ(OsClassUnder("winxp64"), 4);  // NT 5.2: a 5.x other than 5.1
    EXPECT_EQ(OsClassUnder("win7"), 3);     // NT 6.1: a major version other than 5
    EXPECT_EQ(OsClassUnder("win10"), 3);
}

}  // namespace
