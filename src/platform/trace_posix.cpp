#include "platform/trace.h"

#include <cstdio>

namespace platform {

void Trace(const char* text) {
#if defined(VELKOR_TRACE)
    std::fputs(text, stderr);
#else
    (void)text;
#endif
}

}  // namespace platform
