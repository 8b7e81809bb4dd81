#include "platform/setup_library.h"

namespace platform {

std::unique_ptr<SetupLibrary> LoadSetupLibrary() { return nullptr; }

}  // namespace platform
