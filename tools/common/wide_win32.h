// UTF-8 to the UTF-16 of the Windows API, shared by the tools' Windows files.
#pragma once

#include <string>

namespace krv::tools {

std::wstring WideFromUtf8(const std::string& utf8);

}  // namespace krv::tools
