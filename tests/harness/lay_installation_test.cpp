// The installation builder as the scripts use it: the real lay_installation program run with
// the steps the demo and the browser tests give, and the files it leaves.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "harness/child_process.h"
#include "harness/installation_builder.h"

namespace harness {
namespace {

namespace fs = std::filesystem;

const std::string kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class LayInstallation : public ::testing::Test {
protected:
    LayInstallation() {
        std::string pathTemplate = (fs::temp_directory_path() / "velkor-lay-XXXXXX").string();
        m_scratch = mkdtemp(pathTemplate.data());
        directory = m_scratch + "/installation";
    }
    ~LayInstallation() override { fs::remove_all(m_scratch); }

    ChildResult Lay(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {LAY_INSTALLATION, directory});
        return RunChild(arguments, m_scratch, {}, 60);
    }
    std::string Scratch(const std::string& relative) const { return m_scratch + "/" + relative; }

    std::string directory;

private:
    std::string m_scratch;
};

TEST_F(LayInstallation, LaysOutProgramModuleParamsFoldersAndTheRegistryStore) {
    fs::create_directories(Scratch("module/www"));
    std::ofstream(Scratch("module/module.xml")) << "<module/>";
    std::ofstream(Scratch("module/www/Main.html")) << "main";
    std::ofstream(Scratch("program")) << "#!/bin/sh\n";
    fs::permissions(Scratch("program"), fs::perms::owner_read | fs::perms::owner_write);

    const ChildResult laid = Lay({"--program-file",
                                  Scratch("program"),
                                  "--folder",
                                  "log",
                                  "--folder",
                                  "Log",
                                  "--copy",
                                  Scratch("module"),
                                  "mod dir",
                                  "--params",
                                  "Name:x\\r\\nTCP\\tz\\\\\\n",
                                  "--reg-delete",
                                  kKey,
                                  "--reg-string",
                                  kKey,
                                  "PATH",
                                  "{installation}",
                                  "--reg-string",
                                  kKey + "\\SMM",
                                  "brenna",
                                  "mod dir",
                                  "--reg-dword",
                                  kKey,
                                  "Count",
                                  "26",
                                  "--reg-key",
                                  kKey + "\\Empty",
                                  "--reg-string",
                                  kKey,
                                  "@",
                                  "say \"hi\" C:\\x"});
    ASSERT_EQ(laid.exitCode, 0) << laid.output;

    EXPECT_EQ(laid.output, directory + "/program\n") << "prints the installed program";
    struct stat program {};
    ASSERT_EQ(stat((directory + "/program").c_str(), &program), 0);
    EXPECT_TRUE(program.st_mode & S_IXUSR) << "the program is installed executable";
    EXPECT_EQ(ReadAll(directory + "/params"), "Name:x\r\nTCP\tz\\\n");
    EXPECT_TRUE(fs::is_directory(directory + "/log"));
    EXPECT_TRUE(fs::is_directory(directory + "/Log"));
    EXPECT_EQ(ReadAll(directory + "/mod dir/module.xml"), "<module/>");
    EXPECT_EQ(ReadAll(directory + "/mod dir/www/Main.html"), "main");
    EXPECT_EQ(ReadAll(directory + "/registry.reg"),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[-" +
                  kKey +
                  "]\r\n\r\n"
                  "[" +
                  kKey +
                  "]\r\n"
                  "\"PATH\"=\"" +
                  directory +
                  "\"\r\n"
                  "\"Count\"=dword:0000001a\r\n"
                  "@=\"say \\\"hi\\\" C:\\\\x\"\r\n\r\n"
                  "[" +
                  kKey +
                  "\\SMM]\r\n\"brenna\"=\"mod dir\"\r\n\r\n"
                  "[" +
                  kKey + "\\Empty]\r\n\r\n");
}

TEST_F(LayInstallation, FreshStartsFromAnEmptyFolderAndWithoutItKeepsWhatIsThere) {
    fs::create_directories(directory);
    std::ofstream(directory + "/left-over") << "old";
    ASSERT_EQ(Lay({"--folder", "log"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(directory + "/left-over"));
    EXPECT_FALSE(fs::exists(directory + "/registry.reg")) << "no registry step, no store";
    ASSERT_EQ(Lay({"--fresh", "--folder", "log"}).exitCode, 0);
    EXPECT_FALSE(fs::exists(directory + "/left-over"));
    EXPECT_TRUE(fs::is_directory(directory + "/log"));
}

TEST_F(LayInstallation, RefusesWhatItCannotDo) {
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
    };
    const Case cases[] = {
        {{"--reg-string", kKey, "PATH"}, 2},
        {{"--params", "bad \\q escape"}, 2},
        {{"--target", "dos"}, 2},
        {{"--frobnicate"}, 2},
        {{"--reg-dword", kKey, "n", "many"}, 2},
        {{"--program-file", "/nonexistent/velkor"}, 1},
    };
    for (const Case& c : cases) {
        const ChildResult laid = Lay(c.arguments);
        EXPECT_EQ(laid.exitCode, c.exitCode) << c.arguments[0] << ": " << laid.output;
        EXPECT_NE(laid.output.find("lay_installation: "), std::string::npos) << c.arguments[0];
    }
}

TEST(RegistryFile, ValuesAfterADeletionOpenANewSectionAndEarlierOnesStay) {
    RegistryFile file;
    file.SetString("K", "a", "1").DeleteKey("K").SetString("K", "b", "2").SetString("L", "", "3");
    file.SetString("K", "c", "4");
    EXPECT_EQ(file.Text(),
              "Windows Registry Editor Version 5.00\r\n\r\n[K]\r\n\"a\"=\"1\"\r\n\r\n[-K]\r\n\r\n"
              "[K]\r\n\"b\"=\"2\"\r\n\"c\"=\"4\"\r\n\r\n[L]\r\n@=\"3\"\r\n\r\n");
}

TEST(ProgramTarget, SeesHostPathsAsTheProgramDoes) {
    const ProgramTarget native(ProgramTarget::Kind::Native);
    const ProgramTarget wine(ProgramTarget::Kind::Wine);
    EXPECT_EQ(native.PathAsSeen("/tmp/a b/c"), "/tmp/a b/c");
    EXPECT_EQ(wine.PathAsSeen("/tmp/a b/c"), "Z:\\tmp\\a b\\c");
    EXPECT_EQ(native.FileName("velkor"), "velkor");
    EXPECT_EQ(wine.FileName("velkor"), "velkor.exe");
    EXPECT_TRUE(native.Environment().empty());
    EXPECT_EQ(wine.Command("x.exe", {"a"}), (std::vector<std::string>{WineLoader(), "x.exe", "a"}));
    EXPECT_THROW(ProgramTarget::Named("dos"), std::runtime_error);
}

TEST(ProgramTarget, TakesProgramLocationsFromTheEnvironmentBeforeTheBuilds) {
    const ProgramTarget native(ProgramTarget::Kind::Native);
    ASSERT_EQ(setenv("VELKOR_NATIVE_PROGRAMS", "other=/x/other|velkor=/y/velkor", 1), 0);
    EXPECT_EQ(native.BuiltProgram("velkor"), "/y/velkor");
    EXPECT_EQ(native.BuiltProgram("other"), "/x/other");
    ASSERT_EQ(unsetenv("VELKOR_NATIVE_PROGRAMS"), 0);
    EXPECT_EQ(fs::path(native.BuiltProgram("velkor")).filename(), "velkor");
    EXPECT_THROW(native.BuiltProgram("no_such_program"), std::runtime_error);
}

}  // namespace
}  // namespace harness
