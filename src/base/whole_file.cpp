#include "base/whole_file.h"

#include <cstdio>

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    char buffer[4096];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, count);
    std::fclose(file);
    return true;
}
