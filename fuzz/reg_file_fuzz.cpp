// Any bytes either fail to parse or parse into a registry that its own text reproduces.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    platform::RegFile registry;
    std::string error;
    if (!platform::RegFile::Parse(text, &registry, &error)) {
        if (error.compare(0, 5, "line ") != 0) {
            std::fprintf(stderr, "error without a line number: %s\n", error.c_str());
            std::abort();
        }
        return 0;
    }
    const std::string written = registry.Serialise();
    platform::RegFile reread;
    if (!platform::RegFile::Parse(written, &reread, &error)) {
        std::fprintf(stderr, "own text rejected: %s\n%s\n", error.c_str(), written.c_str());
        std::abort();
    }
    if (reread != registry || reread.Serialise() != written) {
        std::fprintf(stderr, "round trip changed the registry:\n%s\n", written.c_str());
        std::abort();
    }
    return 0;
}
