#include "error_file.h"

#include <gtest/gtest.h>

namespace krv::test {
namespace {

using namespace krv::smeth;

TEST(ErrorFile, NoErrorsGiveAnEmptyFile) { EXPECT_EQ(FormatErrorFile({}), ""); }

TEST(ErrorFile, LinesAreTabSeparatedAndCrLfJoined) {
    std::vector<ErrorLine> lines = {
        {"Waga 1", "127.0.0.1:5001", 0, "", "203",
         "Waga przerwa\xb3"
         "a po\xb3\xb9"
         "czenie"},
        {"Waga 1", "127.0.0.1:5001", 12, "00000034", "E42", "Brak miejsca"},
    };
    EXPECT_EQ(FormatErrorFile(lines),
              "Waga 1\t127.0.0.1:5001\t0\t\t203\tWaga przerwa\xb3"
              "a po\xb3\xb9"
              "czenie\r\n"
              "Waga 1\t127.0.0.1:5001\t12\t00000034\tE42\tBrak miejsca");
}

// A TAB or line break inside a field would shift the fields of the reader or
// make a second error out of one.
TEST(ErrorFile, ControlCharactersInFieldsBecomeBlanks) {
    std::vector<ErrorLine> lines = {
        {"Wa\tga", "1.2.3.4\r\n", 3, "0000\n0001", "E\t1", "tekst\r\nz\ttabem\x01"}};
    EXPECT_EQ(FormatErrorFile(lines), "Wa ga\t1.2.3.4  \t3\t0000 0001\tE 1\ttekst  z tabem ");
}

}  // namespace
}  // namespace krv::test
