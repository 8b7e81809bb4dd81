// What the built Windows engine is as a file: a windowless GUI-subsystem program that needs
// no runtime library beside it.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "harness/program_target.h"

namespace integration {
namespace {

std::uint32_t LittleEndian(const std::string& bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value =
            (value << 8) | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
    return value;
}

TEST(ProgramImage, WindowsEngineIsAGuiProgramWithoutRuntimeLibraries) {
    const harness::ProgramTarget& target = harness::TargetUnderTest();
    if (!target.IsWine()) GTEST_SKIP() << "only the Windows build is a PE image";
    std::ifstream in(target.BuiltProgram("velkor"), std::ios::binary);
    const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(image.size(), 0x200u);
    ASSERT_EQ(image.substr(0, 2), "MZ");
    const std::uint32_t pe = LittleEndian(image, 0x3C, 4);
    ASSERT_EQ(image.substr(pe, 4), std::string("PE\0\0", 4));
    const std::size_t optionalHeader = pe + 4 + 20;
    const std::uint32_t subsystem = LittleEndian(image, optionalHeader + 68, 2);
    EXPECT_EQ(subsystem, 2u) << "IMAGE_SUBSYSTEM_WINDOWS_GUI: the engine opens no console";

    for (const char* runtime : {"libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll"})
        EXPECT_EQ(image.find(runtime), std::string::npos) << runtime << " would have to ship along";
}

}  // namespace
}  // namespace integration
