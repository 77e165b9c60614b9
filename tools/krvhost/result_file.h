// The export result file wynik.exp that the library writes for the host: one
// line "PLU;plu;koldod;barcode;status" per goods that reached the scale
// (Windows-1250, CR LF). krvhost reads it when the library asks it to store
// the result (KRV_CB_STORE_EXPORT_RESULT).
#pragma once

#include <string>
#include <vector>

namespace krv::host {

struct ResultLine {
    long long plu = 0;
    long long koldod = 0;
    std::string barcode;  // Windows-1250
    std::string status;   // DOD, AKT, CEN or USU
};

struct ExportResult {
    std::vector<ResultLine> lines;
    std::vector<int> malformed;  // line numbers (from 1) that are not result lines
    int Count(const std::string& status) const;
};

ExportResult ParseExportResult(const std::string& text);
// False with *error set when the file cannot be read.
bool ReadExportResult(const std::string& path, ExportResult* out, std::string* error);

}  // namespace krv::host
