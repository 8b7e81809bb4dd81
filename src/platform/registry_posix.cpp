// The registry on POSIX: a store in one ".reg" text file, by default "registry.reg" in the
// folder of the running program. Every operation reads the file afresh, so a change made by
// another process is seen at once (only the parsing of unchanged bytes is saved); every change
// rewrites the whole store into a temporary file beside it and renames that into place, so the
// store is never left half written. Writers in one process take turns; writers in different
// processes are not serialised and the last one wins.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/reg_file.h"
#include "platform/registry.h"

namespace platform {

namespace {

const char* const kStoreFileName = "registry.reg";

std::mutex g_storeMutex;  // guards g_storeFile and every read-modify-write of the store
std::string g_storeFile;  // empty: beside the program

std::string DefaultStoreFile() {
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return kStoreFileName;
    const std::string program(buffer, static_cast<std::size_t>(length));
    const std::size_t slash = program.rfind('/');
    if (slash == std::string::npos) return kStoreFileName;
    return program.substr(0, slash + 1) + kStoreFileName;
}

std::string StoreFileLocked() { return g_storeFile.empty() ? DefaultStoreFile() : g_storeFile; }

const char* RootName(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::LocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case RegistryRoot::CurrentUser:
            return "HKEY_CURRENT_USER";
        case RegistryRoot::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
    }
    return "HKEY_LOCAL_MACHINE";
}

/// The store path of a key; empty names between backslashes are dropped as Windows drops
/// them, but a leading backslash is refused as Windows refuses it.
bool StorePath(RegistryRoot root, const std::string& path, std::string* storePath) {
    if (!path.empty() && path[0] == '\\') return false;
    *storePath = RootName(root);
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) *storePath += "\\" + path.substr(start, end - start);
        start = end + 1;
    }
    return true;
}

bool IsRootPath(const std::string& storePath) { return storePath.find('\\') == std::string::npos; }

/// Reads the store; a missing or empty file is an empty store. False when the file cannot
/// be read or is no valid ".reg" text.
bool LoadStore(const std::string& file, RegFile* store) {
    *store = RegFile();
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            close(fd);
            return false;
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    if (text.empty()) return true;
    // A key walk reads the store once per step: the text last parsed is kept with its parse,
    // and a store whose bytes have not changed is not parsed again.
    static std::mutex parsedMutex;
    static std::string parsedFile;
    static std::string parsedText;
    static RegFile parsed;
    std::lock_guard<std::mutex> lock(parsedMutex);
    if (file == parsedFile && text == parsedText) {
        *store = parsed;
        return true;
    }
    if (!RegFile::Parse(text, store, nullptr)) return false;
    parsedFile = file;
    parsedText = std::move(text);
    parsed = *store;
    return true;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

/// Replaces the store file: write a temporary file in the same folder, flush it to disk,
/// rename it over the store. A crash leaves either the old or the new store.
bool SaveStore(const std::string& file, const RegFile& store) {
    std::string temporary = file + ".XXXXXX";
    const int fd = mkostemp(&temporary[0], O_CLOEXEC);
    if (fd < 0) return false;
    struct stat existing;
    const mode_t mode = stat(file.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    const bool written = fchmod(fd, mode) == 0 && WriteAll(fd, store.Serialise()) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temporary.c_str(), file.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    const std::size_t slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {  // makes the rename itself durable; the store is whole either way
        fsync(folderFd);
        close(folderFd);
    }
    return true;
}

/// Full access stands for the right to write the store: refused only when the store file
/// exists and this process may not write it. A missing file is created by the first write.
bool StoreWritable(const std::string& file) {
    return access(file.c_str(), W_OK) == 0 || errno == ENOENT;
}

std::string StringData(const RegFileValue& value) {
    const std::string& data = value.data;
    if (value.type == kRegSz && !data.empty() && data.back() == '\0') {
        return data.substr(0, data.size() - 1);
    }
    return data;
}

const std::size_t kSubkeyNameBufferSize = 256;  // as RegEnumKeyExA is called on Windows

/// Key names match regardless of ASCII letter case, as in the store's own lookups.
bool SameLetters(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

class StoreRegistryKey : public RegistryKey {
public:
    StoreRegistryKey(std::string storePath, bool writable)
        : m_path(std::move(storePath)), m_writable(writable) {}

    RegistryStatus EnumValue(std::uint32_t index, std::size_t nameBufferSize,
                             std::size_t dataBufferSize, RegistryValue* value) override {
        std::lock_guard<std::mutex> lock(g_storeMutex);
        RegFile store;
        const RegFileKey* key = nullptr;
        if (!LoadKey(&store, &key)) return RegistryStatus::Failed;
        if (key == nullptr || index >= key->values.size()) return RegistryStatus::NoMoreItems;
        const RegFileValue& found = key->values[index];
        // The name needs room for its NUL; the data is measured as stored.
        if (found.name.size() >= nameBufferSize || found.data.size() > dataBufferSize) {
            return RegistryStatus::MoreData;
        }
        Fill(found, value);
        return RegistryStatus::Ok;
    }

    RegistryStatus EnumSubkey(std::uint32_t index, std::string* name) override {
        std::lock_guard<std::mutex> lock(g_storeMutex);
        RegFile store;
        const RegFileKey* key = nullptr;
        if (!LoadKey(&store, &key)) return RegistryStatus::Failed;
        const std::string prefix = m_path + "\\";
        std::uint32_t seen = 0;
        for (const RegFileKey& candidate : store.Keys()) {
            const std::string& path = candidate.path;
            if (path.size() <= prefix.size() ||
                !SameLetters(path.substr(0, prefix.size()), prefix) ||
                path.find('\\', prefix.size()) != std::string::npos) {
                continue;
            }
            if (seen++ != index) continue;
            const std::string found = path.substr(prefix.size());
            if (found.size() >= kSubkeyNameBufferSize) return RegistryStatus::MoreData;
            *name = found;
            return RegistryStatus::Ok;
        }
        return RegistryStatus::NoMoreItems;
    }

    RegistryStatus QueryValue(const std::string& name, std::size_t dataBufferSize,
                              RegistryValue* value) override {
        std::lock_guard<std::mutex> lock(g_storeMutex);
        RegFile store;
        const RegFileKey* key = nullptr;
        if (!LoadKey(&store, &key)) return RegistryStatus::Failed;
        const RegFileValue* found = key == nullptr ? nullptr : RegFile::FindValue(*key, name);
        if (found == nullptr) return RegistryStatus::NotFound;
        if (found->data.size() > dataBufferSize) return RegistryStatus::MoreData;
        Fill(*found, value);
        value->name = name;  // as Windows answers: the name asked for, not its stored spelling
        return RegistryStatus::Ok;
    }

    bool SetString(const std::string& name, const std::string& data) override {
        return Write(RegFileValue{name, kRegSz, data + '\0'});
    }

    bool SetDWord(const std::string& name, std::uint32_t data) override {
        std::string bytes;
        for (int i = 0; i < 4; ++i, data >>= 8) bytes += static_cast<char>(data & 0xff);
        return Write(RegFileValue{name, kRegDWord, bytes});
    }

    bool SetBinary(const std::string& name, const std::string& bytes) override {
        return Write(RegFileValue{name, kRegBinary, bytes});
    }

    bool SetRaw(const std::string& name, std::uint32_t registryType,
                const std::string& bytes) override {
        return Write(RegFileValue{name, registryType, bytes});
    }

    bool DeleteValue(const std::string& name) override {
        if (!m_writable) return false;
        std::lock_guard<std::mutex> lock(g_storeMutex);
        const std::string file = StoreFileLocked();
        RegFile store;
        if (!LoadStore(file, &store) || !store.DeleteValue(m_path, name)) return false;
        return SaveStore(file, store);
    }

private:
    /// Loads the store and finds this key: null for a root without values of its own. False
    /// when the store is unreadable or the key was deleted meanwhile, as a Windows handle to a
    /// deleted key fails.
    bool LoadKey(RegFile* store, const RegFileKey** key) const {
        if (!LoadStore(StoreFileLocked(), store)) return false;
        *key = store->FindKey(m_path);
        return *key != nullptr || IsRootPath(m_path);
    }

    static void Fill(const RegFileValue& found, RegistryValue* value) {
        value->name = found.name;
        value->type = RegistryTypeOf(found.type);
        value->data = StringData(found);
    }

    bool Write(const RegFileValue& value) {
        if (!m_writable) return false;
        std::lock_guard<std::mutex> lock(g_storeMutex);
        const std::string file = StoreFileLocked();
        RegFile store;
        if (!LoadStore(file, &store)) return false;
        if (store.FindKey(m_path) == nullptr) {
            if (!IsRootPath(m_path)) return false;
            store.CreateKey(m_path);
        }
        return store.SetValue(m_path, value) && SaveStore(file, store);
    }

    std::string m_path;
    bool m_writable;
};

}  // namespace

std::unique_ptr<RegistryKey> RegistryKey::Open(RegistryRoot root, const std::string& path,
                                               RegistryAccess access) {
    std::string storePath;
    if (!StorePath(root, path, &storePath)) return nullptr;
    std::lock_guard<std::mutex> lock(g_storeMutex);
    const std::string file = StoreFileLocked();
    RegFile store;
    if (!LoadStore(file, &store)) return nullptr;
    if (store.FindKey(storePath) == nullptr && !IsRootPath(storePath)) return nullptr;
    const bool writable = access != RegistryAccess::Read;
    if (writable && !StoreWritable(file)) return nullptr;
    return std::make_unique<StoreRegistryKey>(storePath, writable);
}

std::unique_ptr<RegistryKey> RegistryKey::Create(RegistryRoot root, const std::string& path) {
    std::string storePath;
    if (!StorePath(root, path, &storePath)) return nullptr;
    std::lock_guard<std::mutex> lock(g_storeMutex);
    const std::string file = StoreFileLocked();
    if (!StoreWritable(file)) return nullptr;
    RegFile store;
    if (!LoadStore(file, &store)) return nullptr;
    if (store.FindKey(storePath) == nullptr && !IsRootPath(storePath)) {
        if (!store.CreateKey(storePath) || !SaveStore(file, store)) return nullptr;
    }
    return std::make_unique<StoreRegistryKey>(storePath, true);
}

bool RegistryKey::DeleteTree(RegistryRoot root, const std::string& path) {
    std::string storePath;
    if (!StorePath(root, path, &storePath) || IsRootPath(storePath)) return false;
    std::lock_guard<std::mutex> lock(g_storeMutex);
    const std::string file = StoreFileLocked();
    RegFile store;
    if (!LoadStore(file, &store)) return false;
    if (!store.DeleteTree(storePath)) return true;  // already gone
    return SaveStore(file, store);
}

void UseRegistryStoreFile(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_storeMutex);
    g_storeFile = path;
}

std::string RegistryStoreFile() {
    std::lock_guard<std::mutex> lock(g_storeMutex);
    return StoreFileLocked();
}

}  // namespace platform
