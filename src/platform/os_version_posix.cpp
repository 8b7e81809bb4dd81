#include "platform/os_version.h"

namespace platform {

// No Windows version to report, so the channels take their plain-open paths here.
bool QueryOsVersion(OsVersion* /*version*/) { return false; }

}  // namespace platform
