#include "platform/trace.h"

#include <windows.h>

namespace platform {

void Trace(const char* text) { OutputDebugStringA(text); }

}  // namespace platform
