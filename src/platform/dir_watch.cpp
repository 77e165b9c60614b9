#include "platform/dir_watch.h"

namespace krv::platform {

std::string DirectoryOf(const std::string& path) {
    const size_t at = path.find_last_of("\\/");
    if (at == std::string::npos) return ".";
    // The root, and a drive's root ("C:\\"), keep their separator.
    if (at == 0 || path[at - 1] == ':') return path.substr(0, at + 1);
    return path.substr(0, at);
}

}  // namespace krv::platform
