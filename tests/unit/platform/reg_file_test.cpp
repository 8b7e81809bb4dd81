#include "platform/reg_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace platform {

/// Lets a failed comparison show the registries as text.
void PrintTo(const RegFile& registry, std::ostream* out) { *out << "\n" << registry.Serialise(); }

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const char* const kHeader = "Windows Registry Editor Version 5.00\n";

RegFile Parsed(const std::string& text) {
    RegFile registry;
    std::string error;
    EXPECT_TRUE(RegFile::Parse(text, &registry, &error)) << error;
    return registry;
}

std::string ParseError(const std::string& text) {
    RegFile registry;
    std::string error;
    EXPECT_FALSE(RegFile::Parse(text, &registry, &error)) << "accepted:\n" << text;
    return error;
}

/// The value, or a stand-in that fails any comparison when it is missing.
RegFileValue Get(const RegFile& registry, const std::string& path, const std::string& name) {
    const RegFileKey* key = registry.FindKey(path);
    const RegFileValue* value = key == nullptr ? nullptr : RegFile::FindValue(*key, name);
    return value != nullptr ? *value : RegFileValue{"<missing>", 0xdeadu, "<missing>"};
}

std::vector<std::string> Paths(const RegFile& registry) {
    std::vector<std::string> paths;
    for (const RegFileKey& key : registry.Keys()) paths.push_back(key.path);
    return paths;
}

std::vector<std::string> Names(const RegFile& registry, const std::string& path) {
    const RegFileKey* key = registry.FindKey(path);
    if (key == nullptr) return {"<missing key>"};
    std::vector<std::string> names;
    for (const RegFileValue& value : key->values) names.push_back(value.name);
    return names;
}

TEST(RegFileParse, ReadsEveryKindOfValue) {
    const RegFile registry = Parsed(std::string(kHeader) + R"(
; installation
[HKEY_LOCAL_MACHINE\SOFTWARE\Orvik]
@="standard"
"PATH"="C:\\Program Files\\Orvik"
"Quote"="say \"hi\""
"Empty"=""
"Count"=dword:0000012c
"Short"=dword:7
"Blob"=hex:00,ff,1A
"NoBytes"=hex:
"Expand"=hex(2):25,00
"Big"=hex(b):01,00,00,00,00,00,00,00
"a\"b\\c"="name escapes"
)");
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik";
    ASSERT_NE(registry.FindKey(key), nullptr);
    EXPECT_EQ(Get(registry, key, "").data, std::string("standard\0", 9));
    EXPECT_EQ(Get(registry, key, "PATH").data, std::string("C:\\Program Files\\Orvik\0", 23));
    EXPECT_EQ(Get(registry, key, "Quote").data, std::string("say \"hi\"\0", 9));
    EXPECT_EQ(Get(registry, key, "Empty").data, std::string(1, '\0'));
    EXPECT_EQ(Get(registry, key, "Count").type, kRegDWord);
    EXPECT_EQ(Get(registry, key, "Count").data, std::string("\x2c\x01\0\0", 4));
    EXPECT_EQ(Get(registry, key, "Short").data, std::string("\x07\0\0\0", 4));
    EXPECT_EQ(Get(registry, key, "Blob").type, kRegBinary);
    EXPECT_EQ(Get(registry, key, "Blob").data, std::string("\x00\xff\x1a", 3));
    EXPECT_EQ(Get(registry, key, "NoBytes").data, "");
    EXPECT_EQ(Get(registry, key, "Expand").type, kRegExpandSz);
    EXPECT_EQ(Get(registry, key, "Big").type, 0x0bu);
    EXPECT_EQ(Get(registry, key, "Big").data.size(), 8u);
    EXPECT_EQ(Get(registry, key, "a\"b\\c").data, std::string("name escapes\0", 13));
}

TEST(RegFileParse, JoinsContinuedHexLines) {
    const RegFile registry = Parsed(std::string(kHeader) +
                                    "[HKEY_CURRENT_USER\\T]\n"
                                    "\"Blob\"=hex:01,02,\\\n"
                                    "  03,\\\r\n"
                                    "\t04 ,05\n"
                                    "\"Next\"=\"after\"\n");
    EXPECT_EQ(Get(registry, "HKEY_CURRENT_USER\\T", "Blob").data, "\x01\x02\x03\x04\x05");
    EXPECT_EQ(Get(registry, "HKEY_CURRENT_USER\\T", "Next").type, kRegSz);
}

TEST(RegFileParse, ReadsCrLfAndLfAlike) {
    const std::string lf = std::string(kHeader) + "\n[HKEY_CLASSES_ROOT\\x]\n\"a\"=\"1\"\n";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(Parsed(lf), Parsed(crlf));
    // The last line needs no line end.
    EXPECT_EQ(Parsed(lf), Parsed(lf.substr(0, lf.size() - 1)));
}

TEST(RegFileParse, MatchesKeysAndNamesWithoutCaseKeepingFirstSpellingAndOrder) {
    const RegFile registry = Parsed(std::string(kHeader) + R"(
[HKEY_LOCAL_MACHINE\Software\Orvik]
"Model"="a"
"second"="b"
[hkey_local_machine\SOFTWARE\orvik\SMM]
[HKEY_LOCAL_MACHINE\software\ORVIK]
"MODEL"="c"
"third"="d"
)");
    EXPECT_THAT(Paths(registry),
                ElementsAre("HKEY_LOCAL_MACHINE\\Software", "HKEY_LOCAL_MACHINE\\Software\\Orvik",
                            "HKEY_LOCAL_MACHINE\\Software\\Orvik\\SMM"));
    EXPECT_THAT(Names(registry, "HKEY_LOCAL_MACHINE\\SOFTWARE\\ORVIK"),
                ElementsAre("Model", "second", "third"));
    EXPECT_EQ(Get(registry, "HKEY_LOCAL_MACHINE\\SOFTWARE\\ORVIK", "model").data,
              std::string("c\0", 2));
}

TEST(RegFileParse, CreatesParentsBeforeTheirSubkeys) {
    const RegFile registry = Parsed(std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n");
    EXPECT_THAT(Paths(registry), ElementsAre("HKEY_LOCAL_MACHINE\\A", "HKEY_LOCAL_MACHINE\\A\\B",
                                             "HKEY_LOCAL_MACHINE\\A\\B\\C"));
}

TEST(RegFileParse, AppliesDeletionsOfValuesAndTrees) {
    const RegFile registry = Parsed(std::string(kHeader) + R"(
[HKEY_LOCAL_MACHINE\T\A\Sub]
"s"="1"
[HKEY_LOCAL_MACHINE\T\AB]
"x"="1"
"y"="2"
"X"=-
"never"=-
[-HKEY_LOCAL_MACHINE\t\a]
[-HKEY_LOCAL_MACHINE\T\Missing]
[HKEY_LOCAL_MACHINE\T\A]
)");
    // AB shares A's prefix but is no subkey of it; the re-created A comes last.
    EXPECT_THAT(Paths(registry), ElementsAre("HKEY_LOCAL_MACHINE\\T", "HKEY_LOCAL_MACHINE\\T\\AB",
                                             "HKEY_LOCAL_MACHINE\\T\\A"));
    EXPECT_THAT(Names(registry, "HKEY_LOCAL_MACHINE\\T\\AB"), ElementsAre("y"));
    EXPECT_THAT(Names(registry, "HKEY_LOCAL_MACHINE\\T\\A"), ElementsAre());
}

TEST(RegFileParse, AcceptsRegedit4AndKeepsItsHeader) {
    const RegFile registry = Parsed("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n\"a\"=\"1\"\r\n");
    EXPECT_EQ(registry.GetFormat(), RegFile::Format::Regedit4);
    EXPECT_THAT(registry.Serialise(), StartsWith("REGEDIT4\r\n"));
    EXPECT_EQ(Parsed(kHeader).GetFormat(), RegFile::Format::Version5);
}

TEST(RegFileParse, RejectsMalformedTextNamingTheLine) {
    const std::string h = kHeader;
    const std::string k = h + "[HKEY_LOCAL_MACHINE\\A]\n";
    const struct {
        std::string text;
        std::string where;
        std::string what;
    } cases[] = {
        {"", "line 1: ", "header"},
        {"REGEDIT5\n[HKEY_LOCAL_MACHINE\\A]\n", "line 1: ", "header"},
        {"\xff\xfeW\0i\0", "line 1: ", "UTF-16"},
        {h + "\n[HKEY_LOCAL_MACHINE\\A\n", "line 3: ", "]"},
        {h + "[HKEY_LOCAL_MACHINE\\A] x\n", "line 2: ", "after"},
        {h + "\"x\"=\"1\"\n", "line 2: ", "before the first"},
        {h + "[HKEY_NOWHERE\\A]\n", "line 2: ", "unknown root"},
        {h + "[HKEY_LOCAL_MACHINE\\A\\\\B]\n", "line 2: ", "empty key name"},
        {h + "[HKEY_LOCAL_MACHINE\\A\\]\n", "line 2: ", "empty key name"},
        {h + "what is this\n", "line 2: ", "expected a \"[key]\" line"},
        {k + "\"x\" \"1\"\n", "line 3: ", "expected \"=\""},
        {k + "\"x\"=\n", "line 3: ", "missing value data"},
        {k + "\"s\"=\"open\n", "line 3: ", "closing quote"},
        {k + "\"s\"=\"C:\\Tools\"\n", "line 3: ", "unknown escape \"\\T\""},
        {k + "\"s\"=\"a\"b\"\n", "line 3: ", "after the string"},
        {k + "\"d\"=dword:123456789\n", "line 3: ", "more than 8"},
        {k + "\"d\"=dword:\n", "line 3: ", "missing hex digits"},
        {k + "\"d\"=dword:12 x\n", "line 3: ", "after the dword"},
        {k + "\"h\"=hex:01,zz\n", "line 3: ", "bad hex byte \"z\""},
        {k + "\"h\"=hex:01,02,\n", "line 3: ", "ends with \",\""},
        {k + "\"h\"=hex:0102\n", "line 3: ", "expected \",\""},
        {k + "\"h\"=hex:01,\\\n  02,\\\n", "line 4: ", "file ends inside"},
        {k + "\"h\"=hex:01,\\ 02\n", "line 3: ", "continuation"},
        {k + "\"h\"=hex(2:00\n", "line 3: ", "hex(N):"},
        {k + "\"h\"=hex(123456789):00\n", "line 3: ", "more than 8"},
        {k + "\"s\"=oops\n", "line 3: ", "unknown value data"},
        {k + std::string("\"a\0b\"=\"1\"\n", 10), "line 3: ", "NUL"},
        {h + "[-HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n", "line 3: ", "deleted key"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string error = ParseError(c.text);
        EXPECT_THAT(error, StartsWith(c.where));
        EXPECT_THAT(error, HasSubstr(c.what));
    }
}

TEST(RegFileImport, AppliesToExistingKeysAllOrNothing) {
    RegFile registry = Parsed("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"keep\"=\"1\"\n");
    const RegFile before = registry;
    std::string error;
    EXPECT_FALSE(registry.Import(std::string(kHeader) + "[-HKEY_LOCAL_MACHINE\\A]\n"
                                                        "[HKEY_LOCAL_MACHINE\\B]\n"
                                                        "\"new\"=\"2\"\n"
                                                        "\"bad\"=hex:1,\n",
                                 &error));
    EXPECT_THAT(error, StartsWith("line 5: "));
    EXPECT_EQ(registry, before);

    ASSERT_TRUE(registry.Import(
        std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\A]\n\"keep\"=-\n\"added\"=dword:1\n", &error))
        << error;
    EXPECT_THAT(Names(registry, "HKEY_LOCAL_MACHINE\\A"), ElementsAre("added"));
    EXPECT_EQ(registry.GetFormat(), RegFile::Format::Regedit4);
}

TEST(RegFileSerialise, WritesTheRegeditText) {
    RegFile registry;
    ASSERT_TRUE(registry.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik"));
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik";
    ASSERT_TRUE(registry.SetValue(key, {"", kRegSz, std::string("std\0", 4)}));
    ASSERT_TRUE(registry.SetValue(key, {"P\"q", kRegSz, std::string("C:\\x \"y\"\0", 9)}));
    ASSERT_TRUE(registry.SetValue(key, {"n", kRegDWord, std::string("\x2c\x01\0\0", 4)}));
    ASSERT_TRUE(registry.SetValue(key, {"b", kRegBinary, "\x01\xab"}));
    ASSERT_TRUE(registry.SetValue(key, {"e", kRegExpandSz, std::string("%\0", 2)}));
    // Strings that are not one NUL-ended line, and odd-sized dwords, can only go as hex.
    ASSERT_TRUE(registry.SetValue(key, {"lf", kRegSz, std::string("a\nb\0", 4)}));
    ASSERT_TRUE(registry.SetValue(key, {"raw", kRegSz, "ab"}));
    ASSERT_TRUE(registry.SetValue(key, {"d3", kRegDWord, "\x01\x02\x03"}));
    EXPECT_EQ(registry.Serialise(),
              "Windows Registry Editor Version 5.00\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik]\r\n"
              "@=\"std\"\r\n"
              "\"P\\\"q\"=\"C:\\\\x \\\"y\\\"\"\r\n"
              "\"n\"=dword:0000012c\r\n"
              "\"b\"=hex:01,ab\r\n"
              "\"e\"=hex(2):25,00\r\n"
              "\"lf\"=hex(1):61,0a,62,00\r\n"
              "\"raw\"=hex(1):61,62\r\n"
              "\"d3\"=hex(4):01,02,03\r\n"
              "\r\n");
}

TEST(RegFileSerialise, WrapsLongHexWithinEightyColumns) {
    RegFile registry;
    ASSERT_TRUE(registry.CreateKey("HKEY_CURRENT_USER\\T"));
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i);
    ASSERT_TRUE(registry.SetValue("HKEY_CURRENT_USER\\T", {"blob", kRegBinary, bytes}));
    const std::string text = registry.Serialise();
    std::istringstream lines(text);
    std::string line;
    int continued = 0;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), 81u) << line;  // 80 columns and the CR
        if (line.compare(0, 2, "  ") == 0) ++continued;
    }
    EXPECT_GE(continued, 10);
    EXPECT_EQ(Parsed(text), registry);
}

TEST(RegFileSerialise, RoundTripKeepsEveryValueAndKey) {
    RegFile registry;
    const std::string a = "HKEY_LOCAL_MACHINE\\A]b\\ spaced ";
    ASSERT_TRUE(registry.CreateKey(a));
    ASSERT_TRUE(registry.CreateKey("HKEY_CURRENT_USER"));
    ASSERT_TRUE(registry.SetValue("HKEY_CURRENT_USER", {"on root", kRegSz, std::string("\0", 1)}));
    ASSERT_TRUE(registry.SetValue(a, {"\\\"", kRegSz, std::string("in\0side\0", 8)}));
    ASSERT_TRUE(registry.SetValue(a, {"", kRegSz, ""}));
    ASSERT_TRUE(registry.SetValue(a, {"bytes", kRegBinary, std::string("\0\xff\x80", 3)}));
    ASSERT_TRUE(registry.SetValue(a, {"none", kRegNone, ""}));
    ASSERT_TRUE(registry.SetValue(a, {"max", 0xffffffffu, "z"}));
    ASSERT_TRUE(registry.SetValue(a, {"high", kRegSz, std::string("\xe9t\xe9\0", 4)}));
    const std::string text = registry.Serialise();
    const RegFile again = Parsed(text);
    EXPECT_EQ(again, registry);
    EXPECT_EQ(again.Serialise(), text);
}

TEST(RegFileEdit, RefusesWhatTheTextCannotHold) {
    RegFile registry;
    EXPECT_FALSE(registry.CreateKey("HKEY_NOWHERE\\x"));
    EXPECT_FALSE(registry.CreateKey("HKEY_LOCAL_MACHINE\\a\\\\b"));
    EXPECT_FALSE(registry.CreateKey("HKEY_LOCAL_MACHINE\\line\nbreak"));
    ASSERT_TRUE(registry.CreateKey("HKEY_LOCAL_MACHINE\\a"));
    EXPECT_FALSE(registry.SetValue("HKEY_LOCAL_MACHINE\\a", {"two\nlines", kRegSz, "x"}));
    EXPECT_FALSE(registry.SetValue("HKEY_LOCAL_MACHINE\\missing", {"x", kRegSz, "x"}));
    EXPECT_FALSE(registry.DeleteValue("HKEY_LOCAL_MACHINE\\a", "missing"));
    EXPECT_FALSE(registry.DeleteTree("HKEY_LOCAL_MACHINE\\missing"));
    EXPECT_TRUE(registry.DeleteTree("HKEY_LOCAL_MACHINE\\A"));
    EXPECT_TRUE(registry.Keys().empty());
}

}  // namespace
}  // namespace platform
