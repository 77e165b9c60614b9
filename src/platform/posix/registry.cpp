#include "platform/registry.h"

namespace krv::platform {

// POSIX systems have no registry: every value reads as missing.
std::string ReadLocalMachineString(const std::string&, const std::string&) { return {}; }

}  // namespace krv::platform
