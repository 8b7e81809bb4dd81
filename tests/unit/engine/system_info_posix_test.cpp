// The report from this POSIX system itself: the kernel stands where Windows would, the
// registry store and the RIP files are read with POSIX paths, and nothing pretends to have
// a device context or a version resource.

#include <sys/utsname.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/log.h"
#include "engine/system_info.h"
#include "platform/registry.h"
#include "support/scratch_folder.h"

namespace {

using platform::RegistryKey;
using platform::RegistryRoot;

TEST(SystemInfoPosix, ReportsThisSystemAndReadsTheStoreWithPosixPaths) {
    ScratchFolder folder;
    const std::string savedLogPath = engine_log::LogFilePath();
    engine_log::SetLogFilePath(folder.PathOf("report.log"));
    platform::UseRegistryStoreFile(folder.PathOf("registry.reg"));
    folder.Write("rip/BuildInfo.xml", "<Build><BuildNumber>7.1</BuildNumber></Build>");
    folder.Write("rip/Program/CPSI.log", "started\n");
    {
        auto rip =
            RegistryKey::Create(RegistryRoot::CurrentUser, "SOFTWARE\\Amiable\\Install\\241");
        ASSERT_TRUE(rip);
        ASSERT_TRUE(rip->SetString("APP_NAME", "Amiable RIP"));
        ASSERT_TRUE(rip->SetString("UserPath", folder.PathOf("rip")));
        auto browser = RegistryKey::Create(RegistryRoot::ClassesRoot, "http\\shell\\open\\command");
        ASSERT_TRUE(browser);
        ASSERT_TRUE(browser->SetString("", "\"/opt/orvik/browser\" %u"));
    }

    TextMap table;
    CollectSystemInfo(table, "orvik plotara 530");
    platform::UseRegistryStoreFile("");
    engine_log::SetLogFilePath(savedLogPath);

    struct utsname names {};
    ASSERT_EQ(uname(&names), 0);
    EXPECT_EQ(table.at("OS-Name"), names.sysname);
    EXPECT_EQ(table.at("OS-Version"), "UNKNOWN_OS");
    EXPECT_EQ(table.at("OS-Environment"), "");
    EXPECT_EQ(table.at("OS-Service-Pack"), names.release);
    EXPECT_EQ(table.at("OS-Code"), std::to_string(std::strtoul(names.release, nullptr, 10)));
    // Whatever CUPS lists, no driver escape can be put to it.
    EXPECT_EQ(table.at("Driver-Version"), "Not Installed");
    EXPECT_EQ(table.at("Dat-Version"), "Not Installed");
    EXPECT_EQ(table.at("RIP-Name"), "Amiable RIP");
    EXPECT_EQ(table.at("RIP-Build-Number"), "7.1");
    EXPECT_EQ(table.at("RIP-Build-Date"), "Not Installed");
    EXPECT_EQ(table.at("RIP-Log"), "started\n");
    EXPECT_EQ(table.at("Web-Browser-Name"), "browser");
    EXPECT_EQ(table.at("Web-Browser-Version"), "");
}

}  // namespace
