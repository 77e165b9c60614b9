#include "fakes/test_library.h"

#include "support/cp1250.h"

namespace krv::test {

std::string W(const char* utf8) { return Utf8ToCp1250(utf8); }

}  // namespace krv::test
