// The kinds of a record's fields, for the field lists of the goods and
// partner records (towrec_fields.h, kontrrec_fields.h). A kind names the
// member's C++ type; the export buffer maps it to its column type.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace krv::field {

struct Int {
    using Type = int32_t;
};
// Kept in the buffer as an integer column holding 0 or 1.
struct Flag {
    using Type = bool;
};
struct Num {
    using Type = double;
};
struct Text {
    using Type = std::string;  // Windows-1250 bytes
};
// A date and time as the host counts it: days since 1899-12-30.
struct Date {
    using Type = double;
};

// Whether Clear() restores the field's default or leaves it alone.
enum OnClear { Reset, Keep };

// Whether the device read of the export buffer takes the field.
enum DeviceRead { Dev, No };

// Sets a member to its default. Texts are emptied with clear(), which keeps
// their storage: a record is cleared for every line of the goods file.
template <typename T, typename V>
void ToDefault(T& member, V value) {
    member = value;
}
inline void ToDefault(std::string& member, const char* value) {
    member.clear();
    if (*value != '\0') member.append(value);
}

// "name=value" appended to a record's text, fields divided by "; ". Numbers
// are written with "." whatever the process locale.
void AppendText(std::string& out, std::string_view name, int32_t value);
void AppendText(std::string& out, std::string_view name, bool value);
void AppendText(std::string& out, std::string_view name, double value);
void AppendText(std::string& out, std::string_view name, const std::string& value);

}  // namespace krv::field
