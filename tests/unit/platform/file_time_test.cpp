#include "platform/file_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(FileTimeTest, LastWriteTimeToTheSecondAndZeroWhenMissing) {
    const fs::path file = fs::temp_directory_path() / "velkor_file_time_test.gif";
    std::ofstream(file, std::ios::binary) << "GIF89a";
    const std::int64_t written = platform::FileModificationTime(file.string());
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    EXPECT_TRUE(written <= now + 5 && written >= now - 60) << written << " " << now;

    constexpr std::int64_t kShift = 400LL * 86400 + 7;
    fs::last_write_time(file, fs::last_write_time(file) - std::chrono::seconds(kShift));
    EXPECT_EQ(platform::FileModificationTime(file.string()), written - kShift);

    fs::remove(file);
    EXPECT_EQ(platform::FileModificationTime(file.string()), 0);
    EXPECT_EQ(platform::FileModificationTime(""), 0);
}
