#include "printerio/file_channel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class FileChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_directory =
            fs::temp_directory_path() / (std::string("velkor_file_channel_") + info->name());
        fs::remove_all(m_directory);
        fs::create_directories(m_directory);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::current_path(m_original, ignored);
        fs::remove_all(m_directory, ignored);
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = m_directory / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    fs::path m_directory;
    fs::path m_original = fs::current_path();
};

TEST_F(FileChannelTest, OpensTheNameAsItStandsAndReadsItInPieces) {
    const std::string path = Write("answer.txt", "0123456789");
    for (int mode : {9, 0, 1, 5, 6}) {
        CFileChannel channel(CChannelAddress(path.c_str(), 8, 9));
        ASSERT_TRUE(channel.Open(mode)) << mode;
        EXPECT_EQ(channel.GetPath(), path);
        EXPECT_EQ(channel.GetAccess(), mode == 6 ? "rb" : "r");
        EXPECT_EQ(channel.GetSize(), 10u);

        char buffer[6];
        std::uint32_t size = sizeof(buffer);
        ASSERT_TRUE(channel.Read(buffer, size));
        EXPECT_EQ(std::string(buffer, size), "012345");
        size = sizeof(buffer);
        ASSERT_TRUE(channel.Read(buffer, size));
        EXPECT_EQ(std::string(buffer, size), "6789");
        size = sizeof(buffer);
        EXPECT_FALSE(channel.Read(buffer, size));
        EXPECT_EQ(size, 0u);
    }
}

TEST_F(FileChannelTest, Modes3And4NameTheFileInTheWorkingDirectory) {
    Write("answer.txt", "abc");
    fs::current_path(m_directory);
    const std::string working = fs::current_path().string();
    for (int mode : {3, 4}) {
        // The mode given at construction counts when Open leaves it to the address.
        CFileChannel channel(CChannelAddress("answer.txt", 8, mode));
        ASSERT_TRUE(channel.Open(9)) << mode;
        EXPECT_EQ(channel.GetPath(), working + "\\answer.txt");
        EXPECT_EQ(channel.GetAccess(), mode == 3 ? "rb" : "r");
        EXPECT_EQ(channel.GetSize(), 3u);
    }
}

TEST_F(FileChannelTest, AMissingFileFailsToOpenWithItsError) {
    const std::string path = (m_directory / "missing.txt").string();
    CFileChannel channel(CChannelAddress(path.c_str(), 8, 9));
    EXPECT_FALSE(channel.Open(0));
    EXPECT_EQ(channel.GetLastErrorCode(), 2u);  // not found, on both systems
    EXPECT_EQ(channel.GetSize(), 0u);
    char buffer[4];
    std::uint32_t size = sizeof(buffer);
    EXPECT_FALSE(channel.Read(buffer, size));
    EXPECT_EQ(size, 0u);
}

TEST_F(FileChannelTest, CreateAndDeleteTheTarget) {
    const fs::path path = m_directory / "target.txt";
    CFileChannel channel(CChannelAddress(path.string().c_str(), 8, 9));
    EXPECT_FALSE(channel.Open(0));
    EXPECT_TRUE(channel.CreateTarget());
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
    ASSERT_TRUE(channel.Open(0));
    EXPECT_TRUE(channel.CreateTarget());  // an existing file is kept

    // Deletion closes the open file first; the result is true only when deletion FAILED.
    EXPECT_FALSE(channel.DeleteTarget());
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(channel.DeleteTarget());
}

TEST_F(FileChannelTest, AFileIsNeverWrittenAndHasNoTimeLimit) {
    const std::string path = Write("answer.txt", "abc");
    CFileChannel channel(CChannelAddress(path.c_str(), 8, 9));
    ASSERT_TRUE(channel.Open(0));
    EXPECT_FALSE(channel.Write("xyz", 3));
    EXPECT_TRUE(channel.SetTimeout(1500));
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "abc");
}

}  // namespace
