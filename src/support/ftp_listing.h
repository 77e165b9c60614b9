// Directory listings of FTP servers: one parsed entry per line of the three
// styles servers answer with — MLSD facts, Unix "ls -l" and DOS/IIS — and
// TFTPListingItems, the parsed listing handed to callers.
//
// Parsers are pure functions over one line. Times are the host's date values
// (days since 1899-12-30) as the server states them: MLSD gives UTC, LIST
// the server's local time.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krv {

struct FtpListingEntry {
    enum class Kind { kFile, kDirectory, kLink, kOther };
    Kind kind = Kind::kFile;
    std::string name;
    std::string permissions;  // lower case: "-rw-r--r--", MLSD perm facts, "" for DOS
    int64_t size = 0;
    double modified = 0.0;
};

// The date a listing is read on: a Unix line without a year means the most
// recent such date not later than a day after it.
struct ListingDate {
    int year = 1970;
    int month = 1;
    int day = 1;
};

// A line of an MLSD answer ("type=file;size=3;modify=20260101120000; name").
// Nothing for the folder's own entries (type=cdir/pdir) and for lines that
// are no entry.
std::optional<FtpListingEntry> ParseMlsdLine(std::string_view line);
// A line of a LIST answer, Unix or DOS/IIS style. Nothing for "total" lines,
// "." and "..", and lines of neither style.
std::optional<FtpListingEntry> ParseListLine(std::string_view line, const ListingDate& today);

// Windows-1250 names compared without regard to case (Polish letters too).
bool SameName(std::string_view a, std::string_view b);

class TFTPListingItem {
  public:
    TFTPListingItem(std::string name, std::string attributes, int64_t size, double date)
        : name_(std::move(name)), attributes_(std::move(attributes)), size_(size), date_(date) {}
    const std::string& Name() const { return name_; }
    const std::string& Attributes() const { return attributes_; }
    int64_t Size() const { return size_; }
    double Date() const { return date_; }

  private:
    std::string name_;
    std::string attributes_;
    int64_t size_;
    double date_;
};

class TFTPListingItems {
  public:
    // The size text as an integer (0 when it is none); the date text is not
    // read (the zero date).
    void AddFile(const std::string& name, const std::string& attributes,
                 const std::string& sizeText, const std::string& dateText);
    void AddFile(const std::string& name, const std::string& attributes, int64_t size, double date);
    int Count() const { return static_cast<int>(items_.size()); }
    // Throws Exception for an index outside 0..Count()-1.
    const TFTPListingItem& Get(int index) const;

  private:
    std::vector<TFTPListingItem> items_;
};

}  // namespace krv
