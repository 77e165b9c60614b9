#include "exportdata/record_field.h"

#include <charconv>

namespace krv::field {

namespace {

void AppendName(std::string& out, std::string_view name) {
    if (!out.empty()) out += "; ";
    out += name;
    out += '=';
}

}  // namespace

void AppendText(std::string& out, std::string_view name, int32_t value) {
    AppendName(out, name);
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void AppendText(std::string& out, std::string_view name, bool value) {
    AppendName(out, name);
    out += value ? "T" : "F";
}

void AppendText(std::string& out, std::string_view name, double value) {
    AppendName(out, name);
    char digits[32];  // the shortest form that reads back the same
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void AppendText(std::string& out, std::string_view name, const std::string& value) {
    AppendName(out, name);
    out += '"';
    out += value;
    out += '"';
}

}  // namespace krv::field
