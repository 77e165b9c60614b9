#include "result_file.h"

#include <cstdio>

#include "text.h"

namespace krv::host {

int ExportResult::Count(const std::string& status) const {
    int n = 0;
    for (const ResultLine& l : lines)
        if (l.status == status) ++n;
    return n;
}

ExportResult ParseExportResult(const std::string& text) {
    ExportResult r;
    int number = 0;
    for (std::string line : Split(text, '\n')) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (Trim(line).empty()) continue;
        std::vector<std::string> f = Split(line, ';');
        ResultLine l;
        bool ok = f.size() == 5 && f[0] == "PLU" && ParseInt(f[1], &l.plu) &&
                  ParseInt(f[2], &l.koldod) &&
                  (f[4] == "DOD" || f[4] == "AKT" || f[4] == "CEN" || f[4] == "USU");
        if (!ok) {
            r.malformed.push_back(number);
            continue;
        }
        l.barcode = f[3];
        l.status = f[4];
        r.lines.push_back(std::move(l));
    }
    return r;
}

bool ReadExportResult(const std::string& path, ExportResult* out, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *error = "cannot read " + ToUtf8(path);
        return false;
    }
    std::string text;
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        *error = "cannot read " + ToUtf8(path);
        return false;
    }
    *out = ParseExportResult(text);
    return true;
}

}  // namespace krv::host
