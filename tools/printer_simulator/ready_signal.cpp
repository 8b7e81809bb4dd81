#include "ready_signal.h"

#include <cstdio>

bool SignalReady(const std::string& readyPath, const std::string& place) {
    if (!readyPath.empty()) {
        // Written aside and renamed, so a waiter never reads half a place.
        const std::string partial = readyPath + ".partial";
        std::FILE* file = std::fopen(partial.c_str(), "wb");
        if (file == nullptr) return false;
        const bool written = std::fputs((place + "\n").c_str(), file) >= 0;
        if (std::fclose(file) != 0 || !written) return false;
        std::remove(readyPath.c_str());
        if (std::rename(partial.c_str(), readyPath.c_str()) != 0) return false;
    }
    std::printf("ready %s\n", place.c_str());
    std::fflush(stdout);
    return true;
}
