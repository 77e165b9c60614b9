// TErrorLog: a line log that an operation fills with warnings and then reads
// back from the start. Adding and reading share one file position: write the
// log completely first, then read it.
#pragma once

#include <string>

#include "support/mfile.h"

namespace krv {

class TErrorLog {
  public:
    // Opens the file (created when missing) and empties it.
    explicit TErrorLog(const std::string& path);
    ~TErrorLog() = default;  // the file closes with its TMFile

    // Appends the text as one line and counts it.
    void Add(const std::string& text);
    void GotoFirst();
    // Both give true at the end of the log (with an empty line), false when a
    // line was delivered.
    bool GetFirst(std::string& line);
    bool GetNext(std::string& line);
    // The number of lines added since construction.
    int GetCount() const { return count_; }

  private:
    TMFile file_;
    int count_ = 0;
};

}  // namespace krv
