// The registry script reader: the tree it builds from the script language the module's
// registration uses, and the line it names when a script is broken.

#include <gtest/gtest.h>

#include "registry_script.h"

namespace {

/// A compact picture of a key tree: name, flags, default, values, subkeys.
std::string Picture(const RegistryScriptKey& key) {
    std::string text =
        (key.noRemove ? "!" : "") + std::string(key.forceRemove ? "*" : "") + key.name;
    if (key.hasDefault) text += "='" + key.defaultValue + "'";
    for (const auto& value : key.values) text += "[" + value.first + "=" + value.second + "]";
    if (!key.subkeys.empty()) {
        text += "{";
        for (size_t i = 0; i < key.subkeys.size(); ++i)
            text += (i ? " " : "") + Picture(key.subkeys[i]);
        text += "}";
    }
    return text;
}

struct ScriptCase {
    const char* name;
    const char* script;
    const char* picture;  ///< of every root, blank separated; or the error when it fails
    bool parses;
};

const ScriptCase kCases[] = {
    {"keys, defaults, values and flags",
     "HKCR\n{\n    NoRemove CLSID\n    {\n        ForceRemove {2B7E91C4-5D3A} = s 'Control'\n"
     "        {\n            InprocServer32 = s '%MODULE%'\n            {\n"
     "                val ThreadingModel = s 'Apartment'\n            }\n"
     "            Programmable\n        }\n    }\n}\n",
     "HKCR{!CLSID{*{2B7E91C4-5D3A}='Control'{InprocServer32='C:\\dir\\fw.dll'"
     "[ThreadingModel=Apartment] Programmable}}}",
     true},
    {"quoted names and doubled quotes",
     "HKCR { NoRemove 'Content Type' { 'a b' = s 'it''s' { val 'Content type' = s 'x y' } } }",
     "HKCR{!Content Type{a b='it's'[Content type=x y]}}", true},
    {"module path wherever it stands",
     "HKCR { k = s '%MODULE%, 101' { val v = s '%MODULE%%MODULE%' } }",
     "HKCR{k='C:\\dir\\fw.dll, 101'[v=C:\\dir\\fw.dllC:\\dir\\fw.dll]}", true},
    {"two roots, tabs and CR LF",
     "HKCR\r\n{\r\n\t.fmw = s 'x'\r\n}\r\nHKLM\r\n{\r\n\tSoftware\r\n}\r\n",
     "HKCR{.fmw='x'} HKLM{Software}", true},
    {"an empty script", "  \n", "", true},
    {"a brace that does not close", "HKCR\n{\n    a = s 'x'\n", "line 4: '}' is missing", false},
    {"a value that is not a string", "HKCR\n{\n    a = d '1'\n}\n",
     "line 3: only string values ('s') are known, not 'd'", false},
    {"a quote that does not end", "HKCR\n{\n    a = s 'x\n}\n",
     "line 3: a quoted text does not end", false},
    {"a value without a name", "HKCR\n{\n    val = s 'x'\n}\n", "line 3: '=' is missing", false},
    {"a default without its text", "HKCR\n{\n    a = s\n}\n", "line 4: a value is a quoted text",
     false},
};

TEST(RegistryScript, ReadsTheScriptLanguage) {
    for (const ScriptCase& test : kCases) {
        SCOPED_TRACE(test.name);
        std::vector<RegistryScriptKey> roots;
        std::string error;
        const bool parsed = ParseRegistryScript(test.script, "C:\\dir\\fw.dll", &roots, &error);
        ASSERT_EQ(parsed, test.parses) << error;
        if (!parsed) {
            EXPECT_EQ(error, test.picture);
            EXPECT_TRUE(roots.empty());
            continue;
        }
        std::string picture;
        for (size_t i = 0; i < roots.size(); ++i) picture += (i ? " " : "") + Picture(roots[i]);
        EXPECT_EQ(picture, test.picture);
    }
}

TEST(RegistryScript, QuoteInTheModulePathStaysOneCharacter) {
    std::vector<RegistryScriptKey> roots;
    ASSERT_TRUE(
        ParseRegistryScript("HKCR { k = s '%MODULE%' }", "C:\\o'neil\\fw.dll", &roots, nullptr));
    ASSERT_EQ(roots.size(), 1u);
    ASSERT_EQ(roots[0].subkeys.size(), 1u);
    EXPECT_EQ(roots[0].subkeys[0].defaultValue, "C:\\o'neil\\fw.dll");
}

}  // namespace
