// Read-only access to the system registry (Windows); POSIX has none.
#pragma once

#include <string>

namespace krv::platform {

// The plain string value `name` of the key `key` under the local-machine root,
// opened read-only. Empty when the key or the value is missing or the value is
// not a plain string; always empty on POSIX.
std::string ReadLocalMachineString(const std::string& key, const std::string& name);

}  // namespace krv::platform
