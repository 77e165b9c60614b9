// ConstFieldLenFile: a text file whose lines hold fields at fixed columns,
// read field by field with >>. The caller opens the stream with the stream's
// own open(); the constructor taking a name only records it.
//
// Fields are read in the order they were added; after the last valid field
// the next read starts a new line. How many fields are valid is decided by
// the first line read (see GetNumberOfValidFields) and kept from then on.
#pragma once

#include <cstddef>
#include <fstream>
#include <string>
#include <vector>

namespace krv {

// The target of a decimal field read the way the host's fixed-point numbers
// are written: the first '.' is dropped and the digits are taken as they are
// ("12.50" gives 1250).
struct TxfNumber {
    double value = 0.0;
};

class ConstFieldLenFile : public std::ifstream {
  public:
    static constexpr size_t kMaxFields = 100;
    // The longest line kept; the rest of a longer line is skipped.
    static constexpr size_t kMaxLine = 1023;

    ConstFieldLenFile() = default;
    explicit ConstFieldLenFile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const { return fileName_; }

    // Appends a field (start column counted from 0). A total line length of
    // 1024 or more is reported in a warning box; the field is kept. Throws
    // Exception beyond kMaxFields fields.
    void AddField(size_t start, size_t length);

    // Each reads the next field; a field that starts at or beyond the end of
    // the current line reads as zero (0, false, "") and ends the line.
    ConstFieldLenFile& operator>>(int& value);
    ConstFieldLenFile& operator>>(long double& value);
    ConstFieldLenFile& operator>>(char& value);
    ConstFieldLenFile& operator>>(bool& value);
    ConstFieldLenFile& operator>>(TxfNumber& value);
    ConstFieldLenFile& operator>>(std::string& value);

    // Reads the next line (CR LF, LF or CR end it). With SkipShortLines set
    // (the default), lines shorter than the total length are passed over.
    // False at the end of the file.
    bool getln();

    // All fields when the first line read is at least as long as the total
    // length; otherwise the leading fields that start before its end. 0 before
    // the first line.
    size_t GetNumberOfValidFields() const { return validFields_; }
    const std::string& Line() const { return line_; }
    size_t TotalLength() const { return totalLength_; }
    void SetSkipShortLines(bool skip) { skipShortLines_ = skip; }
    bool SkipShortLines() const { return skipShortLines_; }

  private:
    struct Field {
        size_t start;
        size_t length;
    };

    bool ReadRawLine();
    // The characters of the next field, or false when it lies beyond the line
    // (the line is then finished).
    bool NextField(std::string& text);

    std::string fileName_;
    std::vector<Field> fields_;
    size_t totalLength_ = 0;
    std::string line_;
    size_t nextField_ = 0;
    bool skipShortLines_ = true;
    bool validFieldsKnown_ = false;
    size_t validFields_ = 0;
};

}  // namespace krv
