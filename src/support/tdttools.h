// TdtTools: date-time values as the host keeps them (days since 1899-12-30 with
// the time as the fraction) and their text forms.
//   format 1:  YYYY-MM-DD
//   format 5:  hh:mm:ss.zzz
//   format 7:  YYYY-MM-DD hh:mm:ss
//   format 13: YYYY-MM-DD hh:mm:ss (reading also accepts YYYY-MM-DD)
#pragma once

#include <string>
#include <string_view>

namespace krv {

class TdtTools {
  public:
    enum DateFormat { kDate = 1, kTime = 5, kDateTime = 7, kStorage = 13 };

    TdtTools() = default;
    explicit TdtTools(double value) : value_(value) {}

    double Value() const { return value_; }
    void SetValue(double value) { value_ = value; }
    // The date part (whole days).
    double Date() const;

    // Reads the text in the given format. A text that does not fit leaves the
    // value 0 and returns false.
    bool FromString(std::string_view text, int format);
    std::string ToString(int format) const;

    static double Now();
    static double EncodeDate(int year, int month, int day);
    static double EncodeTime(int hour, int minute, int second, int ms);
    static void DecodeDate(double value, int& year, int& month, int& day);
    static void DecodeTime(double value, int& hour, int& minute, int& second, int& ms);

  private:
    double value_ = 0.0;
};

}  // namespace krv
