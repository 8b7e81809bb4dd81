#include <gtest/gtest.h>

#include "platform/device_file.h"

namespace {

TEST(DevicePathTest, DosPortNamesBecomeLinuxParallelDevices) {
    EXPECT_EQ(platform::DevicePathOnThisSystem("\\\\.\\LPT1"), "/dev/lp0");
    EXPECT_EQ(platform::DevicePathOnThisSystem("\\\\.\\LPT3"), "/dev/lp2");
    EXPECT_EQ(platform::DevicePathOnThisSystem("\\\\.\\lpt12"), "/dev/lp11");
    EXPECT_EQ(platform::DevicePathOnThisSystem("\\\\.\\NONSPOOLED_LPT2"), "/dev/lp1");
    EXPECT_EQ(platform::DevicePathOnThisSystem("\\\\.\\LPT"), "/dev/LPT");
    EXPECT_EQ(platform::DevicePathOnThisSystem("\\\\.\\LPT0"), "/dev/LPT0");
    EXPECT_EQ(platform::DevicePathOnThisSystem("\\\\.\\LPT1x"), "/dev/LPT1x");
}

TEST(DevicePathTest, PosixPathsAreKeptAndOtherNamesGoUnderDev) {
    EXPECT_EQ(platform::DevicePathOnThisSystem("\\\\.\\/dev/pts/7"), "/dev/pts/7");
    EXPECT_EQ(platform::DevicePathOnThisSystem("/dev/usb/lp0"), "/dev/usb/lp0");
    EXPECT_EQ(platform::DevicePathOnThisSystem("\\\\.\\lp0"), "/dev/lp0");
    EXPECT_EQ(platform::DevicePathOnThisSystem("/srv/jobs\\answer.txt"), "/srv/jobs/answer.txt");
}

}  // namespace
