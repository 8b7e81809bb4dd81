// What every registry implementation must answer alike: the POSIX store in a scratch file,
// and on Windows (or Wine) the real registry under a scratch key. The last fixture covers
// what only the POSIX store has: its file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/registry.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr std::size_t kBuffer = 260;  // the engine's name and data buffers
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegMultiSz = 7;
const RegistryRoot kRoot = RegistryRoot::CurrentUser;

std::string UniqueName() {
    std::random_device device;
    std::mt19937_64 mix(
        device() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::ostringstream name;
    name << std::hex << mix();
    return name.str();
}

struct Enumeration {
    std::map<std::string, RegistryValue> values;  // the Ok answers by name
    std::vector<std::uint32_t> moreData;          // indices that answered MoreData
    std::uint32_t end = 0;                        // first index past the values
    RegistryStatus endStatus = RegistryStatus::Ok;
};

/// Enumerates by index as the engine does, but goes on past MoreData.
Enumeration EnumerateAll(RegistryKey& key, std::size_t nameSize, std::size_t dataSize) {
    Enumeration result;
    for (std::uint32_t index = 0; index < 1000; ++index) {
        RegistryValue value;
        const RegistryStatus status = key.EnumValue(index, nameSize, dataSize, &value);
        if (status == RegistryStatus::Ok) {
            result.values[value.name] = value;
        } else if (status == RegistryStatus::MoreData) {
            result.moreData.push_back(index);
        } else {
            result.end = index;
            result.endStatus = status;
            break;
        }
    }
    return result;
}

class RegistryContractTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string id = UniqueName();
        m_storeFile = fs::temp_directory_path() / ("velkor_registry_" + id + ".reg");
        UseRegistryStoreFile(m_storeFile.string());  // ignored by the real registry
        m_scratch = "Software\\VelkorRegistryTest\\" + id;
        m_key = RegistryKey::Create(kRoot, m_scratch);
        ASSERT_TRUE(m_key);
    }

    void TearDown() override {
        m_key.reset();
        EXPECT_TRUE(RegistryKey::DeleteTree(kRoot, m_scratch));
        EXPECT_FALSE(RegistryKey::Open(kRoot, m_scratch, RegistryAccess::Read));
        UseRegistryStoreFile("");
        std::error_code ignored;
        fs::remove(m_storeFile, ignored);
    }

    std::string Path(const std::string& below) const { return m_scratch + "\\" + below; }

    RegistryStatus Query(const std::string& name, std::size_t size, RegistryValue* value) {
        return m_key->QueryValue(name, size, value);
    }

    fs::path m_storeFile;
    std::string m_scratch;
    std::unique_ptr<RegistryKey> m_key;
};

TEST_F(RegistryContractTest, OpeningAMissingKeyGivesNull) {
    EXPECT_FALSE(RegistryKey::Open(kRoot, Path("Missing"), RegistryAccess::Read));
    EXPECT_FALSE(RegistryKey::Open(kRoot, Path("Missing"), RegistryAccess::Full));
    EXPECT_FALSE(RegistryKey::Open(kRoot, Path("Missing\\Deeper"), RegistryAccess::Read));
    EXPECT_FALSE(RegistryKey::Open(kRoot, "\\" + m_scratch, RegistryAccess::Read));
    EXPECT_TRUE(RegistryKey::Open(kRoot, m_scratch, RegistryAccess::Full));
}

TEST_F(RegistryContractTest, EnumeratesEveryValueWithItsTypeUntilNoMoreItems) {
    ASSERT_TRUE(m_key->SetString("module", "orvik plotara"));
    ASSERT_TRUE(m_key->SetDWord("count", 0x01020304));
    ASSERT_TRUE(m_key->SetBinary("bytes", std::string("\0\xff\x10", 3)));
    ASSERT_TRUE(m_key->SetRaw("expand", kRegExpandSz, std::string("%TEMP%\0", 7)));
    ASSERT_TRUE(m_key->SetRaw("multi", kRegMultiSz, std::string("a\0b\0\0", 5)));

    const Enumeration all = EnumerateAll(*m_key, kBuffer, kBuffer);
    EXPECT_TRUE(all.moreData.empty());
    EXPECT_EQ(all.end, 5u);
    EXPECT_EQ(all.endStatus, RegistryStatus::NoMoreItems);
    ASSERT_EQ(all.values.size(), 5u);
    EXPECT_EQ(all.values.at("module").type, RegistryType::String);
    EXPECT_EQ(all.values.at("module").data, "orvik plotara");
    EXPECT_EQ(all.values.at("count").type, RegistryType::DWord);
    EXPECT_EQ(all.values.at("count").data, "\x04\x03\x02\x01");
    EXPECT_EQ(all.values.at("bytes").type, RegistryType::Binary);
    EXPECT_EQ(all.values.at("bytes").data, std::string("\0\xff\x10", 3));
    // Other string types are not String, and keep their NUL.
    EXPECT_EQ(all.values.at("expand").type, RegistryType::Other);
    EXPECT_EQ(all.values.at("expand").data, std::string("%TEMP%\0", 7));
    EXPECT_EQ(all.values.at("multi").type, RegistryType::Other);

    RegistryValue value;
    EXPECT_EQ(m_key->EnumValue(99, kBuffer, kBuffer, &value), RegistryStatus::NoMoreItems);
}

TEST_F(RegistryContractTest, Buffers260HoldNamesOf259AndStringsOf259) {
    const std::string name259(259, 'n');
    const std::string name260(260, 'n');
    ASSERT_TRUE(m_key->SetString(name259, "x"));
    ASSERT_TRUE(m_key->SetString(name260, "x"));
    ASSERT_TRUE(m_key->SetString("data259", std::string(259, 'd')));
    ASSERT_TRUE(m_key->SetString("data260", std::string(260, 'd')));
    // Binary data has no NUL: 260 bytes fit.
    ASSERT_TRUE(m_key->SetBinary("bin260", std::string(260, '\x01')));
    ASSERT_TRUE(m_key->SetBinary("bin261", std::string(261, '\x01')));
    ASSERT_TRUE(m_key->SetString("short", "s"));

    const Enumeration tight = EnumerateAll(*m_key, kBuffer, kBuffer);
    EXPECT_EQ(tight.end, 7u);
    EXPECT_EQ(tight.moreData.size(), 3u);
    ASSERT_EQ(tight.values.size(), 4u);
    EXPECT_EQ(tight.values.count(name259), 1u);
    EXPECT_EQ(tight.values.at("data259").data, std::string(259, 'd'));
    EXPECT_EQ(tight.values.at("bin260").data.size(), 260u);
    EXPECT_EQ(tight.values.count("short"), 1u);
    // A value that did not fit neither ends the enumeration nor fills the caller's value.
    for (std::uint32_t index : tight.moreData) {
        RegistryValue untouched{"before", "data", RegistryType::DWord};
        EXPECT_EQ(m_key->EnumValue(index, kBuffer, kBuffer, &untouched), RegistryStatus::MoreData);
        EXPECT_EQ(untouched.name, "before");
        EXPECT_EQ(untouched.data, "data");
        RegistryValue next;
        const RegistryStatus after = m_key->EnumValue(index + 1, kBuffer, kBuffer, &next);
        EXPECT_TRUE(after == RegistryStatus::Ok || after == RegistryStatus::MoreData ||
                    (after == RegistryStatus::NoMoreItems && index + 1 == tight.end));
    }

    const Enumeration roomy = EnumerateAll(*m_key, kBuffer + 1, kBuffer + 1);
    EXPECT_TRUE(roomy.moreData.empty());
    EXPECT_EQ(roomy.values.size(), 7u);
    EXPECT_EQ(roomy.values.at("data260").data, std::string(260, 'd'));
}

TEST_F(RegistryContractTest, QueryValueHasTheSameBufferRule) {
    ASSERT_TRUE(m_key->SetString("data259", std::string(259, 'd')));
    ASSERT_TRUE(m_key->SetString("data260", std::string(260, 'd')));
    ASSERT_TRUE(m_key->SetString("empty", ""));
    RegistryValue value;
    EXPECT_EQ(Query("data259", kBuffer, &value), RegistryStatus::Ok);
    EXPECT_EQ(value.data, std::string(259, 'd'));
    EXPECT_EQ(Query("data260", kBuffer, &value), RegistryStatus::MoreData);
    EXPECT_EQ(Query("data260", kBuffer + 1, &value), RegistryStatus::Ok);
    EXPECT_EQ(value.data.size(), 260u);
    // Even an empty string needs its NUL.
    EXPECT_EQ(Query("empty", 0, &value), RegistryStatus::MoreData);
    EXPECT_EQ(Query("empty", 1, &value), RegistryStatus::Ok);
    EXPECT_EQ(value.data, "");
    EXPECT_EQ(value.type, RegistryType::String);
    EXPECT_EQ(Query("missing", kBuffer, &value), RegistryStatus::NotFound);
}

TEST_F(RegistryContractTest, WritesAreReadBackThroughAnotherHandle) {
    ASSERT_TRUE(m_key->SetString("Model", "first"));
    ASSERT_TRUE(m_key->SetString("other", "kept"));
    ASSERT_TRUE(m_key->SetString("MODEL", "second"));  // the same value: names ignore case
    ASSERT_TRUE(m_key->SetDWord("other", 7));          // and a value may change its type

    auto reader = RegistryKey::Open(kRoot, m_scratch, RegistryAccess::Read);
    ASSERT_TRUE(reader);
    const Enumeration all = EnumerateAll(*reader, kBuffer, kBuffer);
    ASSERT_EQ(all.values.size(), 2u);
    EXPECT_EQ(all.values.at("Model").data, "second");
    EXPECT_EQ(all.values.at("other").type, RegistryType::DWord);
    RegistryValue value;
    EXPECT_EQ(reader->QueryValue("model", kBuffer, &value), RegistryStatus::Ok);
    EXPECT_EQ(value.data, "second");

    auto mixedCase = RegistryKey::Open(
        kRoot, "SOFTWARE\\velkorregistrytest\\" + m_scratch.substr(m_scratch.rfind('\\') + 1),
        RegistryAccess::Read);
    EXPECT_TRUE(mixedCase);
}

TEST_F(RegistryContractTest, TheDefaultValueHasTheEmptyName) {
    RegistryValue value;
    EXPECT_EQ(Query("", kBuffer, &value), RegistryStatus::NotFound);
    ASSERT_TRUE(m_key->SetString("", "standard"));
    ASSERT_EQ(Query("", kBuffer, &value), RegistryStatus::Ok);
    EXPECT_EQ(value.data, "standard");
    const Enumeration all = EnumerateAll(*m_key, kBuffer, kBuffer);
    ASSERT_EQ(all.values.count(""), 1u);
    EXPECT_EQ(all.values.at("").data, "standard");
}

TEST_F(RegistryContractTest, DeleteValueRemovesOnlyThatValue) {
    ASSERT_TRUE(m_key->SetString("gone", "1"));
    ASSERT_TRUE(m_key->SetString("stays", "2"));
    EXPECT_TRUE(m_key->DeleteValue("GONE"));
    EXPECT_FALSE(m_key->DeleteValue("gone"));
    RegistryValue value;
    EXPECT_EQ(Query("gone", kBuffer, &value), RegistryStatus::NotFound);
    EXPECT_EQ(Query("stays", kBuffer, &value), RegistryStatus::Ok);
    EXPECT_EQ(EnumerateAll(*m_key, kBuffer, kBuffer).end, 1u);
}

TEST_F(RegistryContractTest, ReadAccessCannotWrite) {
    ASSERT_TRUE(m_key->SetString("v", "original"));
    auto reader = RegistryKey::Open(kRoot, m_scratch, RegistryAccess::Read);
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->SetString("v", "changed"));
    EXPECT_FALSE(reader->SetDWord("n", 1));
    EXPECT_FALSE(reader->DeleteValue("v"));
    RegistryValue value;
    ASSERT_EQ(Query("v", kBuffer, &value), RegistryStatus::Ok);
    EXPECT_EQ(value.data, "original");
    EXPECT_EQ(Query("n", kBuffer, &value), RegistryStatus::NotFound);
}

TEST_F(RegistryContractTest, CreateMakesMissingParentsAndKeepsExistingValues) {
    ASSERT_TRUE(m_key->SetString("v", "1"));
    auto deep = RegistryKey::Create(kRoot, Path("X\\Y\\Z"));
    ASSERT_TRUE(deep);
    EXPECT_TRUE(deep->SetString("inside", "z"));
    EXPECT_TRUE(RegistryKey::Open(kRoot, Path("X"), RegistryAccess::Read));
    EXPECT_TRUE(RegistryKey::Open(kRoot, Path("X\\Y"), RegistryAccess::Read));

    auto again = RegistryKey::Create(kRoot, m_scratch);
    ASSERT_TRUE(again);
    RegistryValue value;
    EXPECT_EQ(again->QueryValue("v", kBuffer, &value), RegistryStatus::Ok);
}

TEST_F(RegistryContractTest, DeleteTreeRemovesTheKeyAndItsSubkeysOnly) {
    ASSERT_TRUE(RegistryKey::Create(kRoot, Path("A\\B")));
    ASSERT_TRUE(RegistryKey::Create(kRoot, Path("AB")));
    auto a = RegistryKey::Open(kRoot, Path("A"), RegistryAccess::Full);
    ASSERT_TRUE(a);
    ASSERT_TRUE(a->SetString("v", "1"));

    EXPECT_TRUE(RegistryKey::DeleteTree(kRoot, Path("a")));
    EXPECT_FALSE(RegistryKey::Open(kRoot, Path("A"), RegistryAccess::Read));
    EXPECT_FALSE(RegistryKey::Open(kRoot, Path("A\\B"), RegistryAccess::Read));
    EXPECT_TRUE(RegistryKey::Open(kRoot, Path("AB"), RegistryAccess::Read));
    EXPECT_TRUE(RegistryKey::DeleteTree(kRoot, Path("A")));  // already gone
    EXPECT_FALSE(RegistryKey::DeleteTree(kRoot, ""));        // never the whole root

    // A key still open when it was deleted is dead, not silently re-created.
    RegistryValue value;
    EXPECT_EQ(a->QueryValue("v", kBuffer, &value), RegistryStatus::Failed);
    EXPECT_FALSE(a->SetString("v", "2"));
    EXPECT_FALSE(RegistryKey::Open(kRoot, Path("A"), RegistryAccess::Read));
}

TEST_F(RegistryContractTest, EnumSubkeyNamesDirectSubkeysOnlyThenNoMoreItems) {
    ASSERT_TRUE(RegistryKey::Create(kRoot, Path("Beta\\Deeper")));
    ASSERT_TRUE(RegistryKey::Create(kRoot, Path("Alpha")));
    ASSERT_TRUE(RegistryKey::Create(kRoot, Path("Gamma")));
    ASSERT_TRUE(m_key->SetString("NotAKey", "value"));

    std::vector<std::string> names;
    RegistryStatus status = RegistryStatus::Ok;
    for (std::uint32_t index = 0; index < 10 && status == RegistryStatus::Ok; ++index) {
        std::string name;
        status = m_key->EnumSubkey(index, &name);
        if (status == RegistryStatus::Ok) names.push_back(name);
    }
    EXPECT_EQ(status, RegistryStatus::NoMoreItems);
    std::sort(names.begin(), names.end());  // the order is each registry's own
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));

    auto beta = RegistryKey::Open(kRoot, Path("beta"), RegistryAccess::Read);
    ASSERT_TRUE(beta);
    std::string name = "untouched";
    EXPECT_EQ(beta->EnumSubkey(0, &name), RegistryStatus::Ok);
    EXPECT_EQ(name, "Deeper");
    name = "untouched";
    EXPECT_EQ(beta->EnumSubkey(1, &name), RegistryStatus::NoMoreItems);
    EXPECT_EQ(name, "untouched");
}

TEST_F(RegistryContractTest, ConcurrentWritersLoseNothing) {
    constexpr int kThreads = 4;
    constexpr int kValuesEach = 15;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([this, t] {
            auto key = RegistryKey::Open(kRoot, m_scratch, RegistryAccess::Full);
            if (!key) return;
            for (int i = 0; i < kValuesEach; ++i) {
                key->SetString("w" + std::to_string(t) + "_" + std::to_string(i), "x");
            }
        });
    }
    for (std::thread& writer : writers) writer.join();
    EXPECT_EQ(EnumerateAll(*m_key, kBuffer, kBuffer).values.size(),
              static_cast<std::size_t>(kThreads * kValuesEach));
}

// The POSIX store's own file; the real registry has none.
class RegistryStoreFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("velkor_store_" + UniqueName());
        m_file = m_folder / "registry.reg";
        UseRegistryStoreFile(m_file.string());
        if (RegistryStoreFile().empty()) GTEST_SKIP() << "the real registry has no store file";
        ASSERT_TRUE(fs::create_directory(m_folder));
    }

    void TearDown() override {
        UseRegistryStoreFile("");
        std::error_code ignored;
        fs::permissions(m_file, fs::perms::owner_all, ignored);
        fs::remove_all(m_folder, ignored);
    }

    void WriteStore(const std::string& text) {
        std::ofstream out(m_file, std::ios::binary | std::ios::trunc);
        out << text;
        ASSERT_TRUE(out.good());
    }

    std::string ReadStore() const {
        std::ifstream in(m_file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_folder)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    fs::path m_folder;
    fs::path m_file;
};

const char* const kSmmKey = "SOFTWARE\\Orvik\\Plotara TroubleShooter\\SMM";
const char* const kProductsKey = "SOFTWARE\\Orvik\\Plotara TroubleShooter\\ProdNumbers";

TEST_F(RegistryStoreFileTest, MissingStoreReadsEmptyAndTheFirstWriteCreatesIt) {
    EXPECT_FALSE(RegistryKey::Open(RegistryRoot::LocalMachine, "SOFTWARE", RegistryAccess::Read));
    auto root = RegistryKey::Open(RegistryRoot::LocalMachine, "", RegistryAccess::Full);
    ASSERT_TRUE(root);
    RegistryValue value;
    EXPECT_EQ(root->EnumValue(0, kBuffer, kBuffer, &value), RegistryStatus::NoMoreItems);
    EXPECT_FALSE(fs::exists(m_file));

    auto smm = RegistryKey::Create(RegistryRoot::LocalMachine, kSmmKey);
    ASSERT_TRUE(smm);
    ASSERT_TRUE(smm->SetString("brenna", "orvik plotara 310ps 320ps 350ps"));
    const std::string text = ReadStore();
    EXPECT_THAT(text, StartsWith("Windows Registry Editor Version 5.00\r\n"));
    EXPECT_THAT(text, HasSubstr("\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter"
                                "\\SMM]\r\n\"brenna\"=\"orvik plotara 310ps 320ps 350ps\"\r\n"));
    EXPECT_THAT(FolderEntries(), ::testing::ElementsAre("registry.reg"));  // no temporaries left
}

TEST_F(RegistryStoreFileTest, ReadsTheExampleFixtureAsTheEngineDoes) {
    const fs::path fixture =
        fs::path(__FILE__).parent_path() / ".." / ".." / "fixtures" / "registry" / "example.reg";
    std::ifstream in(fixture, std::ios::binary);
    ASSERT_TRUE(in) << fixture;
    WriteStore(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));

    auto smm = RegistryKey::Open(RegistryRoot::LocalMachine, kSmmKey, RegistryAccess::Full);
    ASSERT_TRUE(smm);
    const Enumeration modules = EnumerateAll(*smm, kBuffer, kBuffer);
    ASSERT_EQ(modules.values.size(), 1u);
    EXPECT_EQ(modules.values.at("brenna").data, "orvik plotara 310ps 320ps 350ps");
    auto products =
        RegistryKey::Open(RegistryRoot::LocalMachine, kProductsKey, RegistryAccess::Full);
    ASSERT_TRUE(products);
    const Enumeration supported = EnumerateAll(*products, kBuffer, kBuffer);
    ASSERT_EQ(supported.values.size(), 1u);
    EXPECT_EQ(supported.values.at("Q1234A").data, "brenna");
}

TEST_F(RegistryStoreFileTest, SeesWhatAnotherProcessWrote) {
    WriteStore("REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"v\"=\"old\"\n");
    auto key = RegistryKey::Open(RegistryRoot::CurrentUser, "T", RegistryAccess::Read);
    ASSERT_TRUE(key);
    WriteStore("REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"v\"=\"new\"\n");
    RegistryValue value;
    ASSERT_EQ(key->QueryValue("v", kBuffer, &value), RegistryStatus::Ok);
    EXPECT_EQ(value.data, "new");
    // A write keeps what the other writer put there and the file's own header.
    auto writer = RegistryKey::Open(RegistryRoot::CurrentUser, "T", RegistryAccess::Full);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->SetDWord("n", 1));
    EXPECT_EQ(ReadStore(),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n\"v\"=\"new\"\r\n\"n\"=dword:00000001\r\n"
              "\r\n");
}

TEST_F(RegistryStoreFileTest, RootsAreSeparate) {
    ASSERT_TRUE(RegistryKey::Create(RegistryRoot::CurrentUser, "Software\\X"));
    EXPECT_FALSE(
        RegistryKey::Open(RegistryRoot::LocalMachine, "Software\\X", RegistryAccess::Read));
    EXPECT_FALSE(RegistryKey::Open(RegistryRoot::ClassesRoot, "Software\\X", RegistryAccess::Read));
    EXPECT_THAT(ReadStore(), HasSubstr("[HKEY_CURRENT_USER\\Software\\X]"));
}

TEST_F(RegistryStoreFileTest, AMalformedStoreIsNeitherReadNorOverwritten) {
    const std::string broken = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=oops\n";
    WriteStore(broken);
    EXPECT_FALSE(RegistryKey::Open(RegistryRoot::LocalMachine, "A", RegistryAccess::Read));
    EXPECT_FALSE(RegistryKey::Create(RegistryRoot::LocalMachine, "B"));
    EXPECT_FALSE(RegistryKey::DeleteTree(RegistryRoot::LocalMachine, "A"));
    EXPECT_EQ(ReadStore(), broken);
}

TEST_F(RegistryStoreFileTest, AReadOnlyStoreRefusesFullAccess) {
    WriteStore("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n");
    fs::permissions(m_file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (std::ofstream(m_file, std::ios::app)) GTEST_SKIP() << "this user may write any file";
    EXPECT_FALSE(RegistryKey::Open(RegistryRoot::LocalMachine, "A", RegistryAccess::Full));
    EXPECT_FALSE(RegistryKey::Create(RegistryRoot::LocalMachine, "A"));
    auto reader = RegistryKey::Open(RegistryRoot::LocalMachine, "A", RegistryAccess::Read);
    ASSERT_TRUE(reader);
    RegistryValue value;
    EXPECT_EQ(reader->QueryValue("x", kBuffer, &value), RegistryStatus::Ok);
}

}  // namespace
}  // namespace platform
