#include "error_file.h"

namespace krv::smeth {
namespace {

void AppendField(std::string* out, const std::string& field) {
    for (char c : field) {
        auto u = static_cast<unsigned char>(c);
        *out += (u < 0x20 || u == 0x7F) ? ' ' : c;
    }
}

}  // namespace

std::string FormatErrorFile(const std::vector<ErrorLine>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        const ErrorLine& e = lines[i];
        if (i > 0) out += "\r\n";
        AppendField(&out, e.scale_name);
        out += '\t';
        AppendField(&out, e.address);
        out += '\t';
        out += std::to_string(e.line);
        out += '\t';
        AppendField(&out, e.plu);
        out += '\t';
        AppendField(&out, e.code);
        out += '\t';
        AppendField(&out, e.text);
    }
    return out;
}

}  // namespace krv::smeth
