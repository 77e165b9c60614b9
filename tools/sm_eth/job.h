// The errors of one run of the program, gathered for the error file, and its
// progress log.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "error_file.h"
#include "transfer.h"

namespace krv::smeth {

class Job {
  public:
    explicit Job(ProgressLog log) : log_(std::move(log)) {}

    void SetScale(const std::string& name, const std::string& address) {
        name_ = name;
        address_ = address;
    }
    // An error of the whole run (line number 0).
    void RunError(int code, const std::string& text) {
        errors_.push_back({name_, address_, 0, "", std::to_string(code), text});
    }
    void LineError(int line, const std::string& plu, const std::string& code,
                   const std::string& text) {
        errors_.push_back({name_, address_, line, plu, code, text});
    }
    // An error of another scale than the one set.
    void Add(ErrorLine line) { errors_.push_back(std::move(line)); }
    // Errors of the whole run first, then the records in file order.
    std::string ErrorFileBytes() {
        std::stable_sort(errors_.begin(), errors_.end(),
                         [](const ErrorLine& a, const ErrorLine& b) { return a.line < b.line; });
        return FormatErrorFile(errors_);
    }
    size_t ErrorCount() const { return errors_.size(); }
    const ProgressLog& Log() const { return log_; }

  private:
    ProgressLog log_;
    std::string name_, address_;
    std::vector<ErrorLine> errors_;
};

}  // namespace krv::smeth
