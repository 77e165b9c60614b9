// TMDataSet: the support package's in-memory table. Fields are declared before
// Open; rows are numbered from 0. Storage is by column (one typed vector per
// field, strings packed in one byte arena per column), so a table of many
// rows stays small and a walk over one column stays fast.
//
// A TMField reads and writes the current row of its table; the ...At(row)
// forms address a row directly. Callers look a field up once (FieldByName)
// and keep the pointer: fields live as long as their table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace krv {

enum class TMFieldType { ftInteger, ftString, ftFloat, ftDateTime };

class TMCustomDataSet;

namespace detail {

// An integer column stored in the narrowest width that holds every value
// written so far (1, 2 or 4 bytes): most columns hold flags, statuses and
// small numbers. A wider value widens the whole column once.
class IntColumn {
  public:
    int32_t Get(size_t row) const {
        switch (width_) {
            case 1: return i8_[row];
            case 2: return i16_[row];
            default: return i32_[row];
        }
    }
    void Set(size_t row, int32_t value) {
        if (width_ == 1 && value >= INT8_MIN && value <= INT8_MAX) {
            i8_[row] = static_cast<int8_t>(value);
        } else if (width_ == 2 && value >= INT16_MIN && value <= INT16_MAX) {
            i16_[row] = static_cast<int16_t>(value);
        } else if (width_ == 4) {
            i32_[row] = value;
        } else {
            Widen(value);
            Set(row, value);
        }
    }
    void Resize(size_t rows);
    // A zero at `row`; the last value (an unused slot) drops off the end.
    void Insert(size_t row);
    void Clear();
    void Reserve(size_t rows);

  private:
    void Widen(int32_t value);

    int width_ = 1;
    std::vector<int8_t> i8_;
    std::vector<int16_t> i16_;
    std::vector<int32_t> i32_;
};

}  // namespace detail

class TMField {
  public:
    TMField(const TMField&) = delete;
    TMField& operator=(const TMField&) = delete;

    void SetName(std::string name);
    const std::string& GetName() const { return name_; }
    void SetType(TMFieldType type);
    TMFieldType GetType() const { return type_; }
    int GetIndex() const { return index_; }

    // The current row. Reading a field as another type converts: a string
    // field read as a number must hold one (EConvertError otherwise).
    std::string GetAsString() const { return GetAsStringAt(Row()); }
    int32_t GetAsInteger() const { return GetAsIntegerAt(Row()); }
    double GetAsExtended() const { return GetAsExtendedAt(Row()); }
    double GetAsDateTime() const { return GetAsExtendedAt(Row()); }
    void SetAsString(std::string_view value) { SetAsStringAt(Row(), value); }
    void SetAsInteger(int32_t value) { SetAsIntegerAt(Row(), value); }
    void SetAsExtended(double value) { SetAsExtendedAt(Row(), value); }
    void SetAsDateTime(double value) { SetAsExtendedAt(Row(), value); }

    // A row by its number.
    std::string GetAsStringAt(size_t row) const;
    inline int32_t GetAsIntegerAt(size_t row) const;
    double GetAsExtendedAt(size_t row) const;
    void SetAsStringAt(size_t row, std::string_view value);
    inline void SetAsIntegerAt(size_t row, int32_t value);
    void SetAsExtendedAt(size_t row, double value);

    // The bytes of a string field without a copy; valid until the next write
    // to this field. Inline with the integer read: the export's row loops
    // call them millions of times.
    inline std::string_view StringViewAt(size_t row) const;

  private:
    friend class TMCustomDataSet;
    friend class TMFields;
    TMField(TMCustomDataSet* owner, int index) : owner_(owner), index_(index) {}

    struct Cell {
        uint32_t offset;
        uint32_t length;
    };

    size_t Row() const;
    inline void CheckRow(size_t row) const;
    [[noreturn]] void RowError(size_t row) const;
    int32_t ConvertToInteger(size_t row) const;
    void ConvertFromInteger(size_t row, int32_t value);
    void ResizeRows(size_t rows);
    void InsertDefault(size_t row);
    void ClearRows();
    void Reserve(size_t rows);
    void StoreString(size_t row, std::string_view value);
    void Compact();

    TMCustomDataSet* owner_;
    int index_;
    std::string name_;
    TMFieldType type_ = TMFieldType::ftString;

    detail::IntColumn ints_;
    std::vector<double> numbers_;
    std::vector<Cell> cells_;
    std::string arena_;  // the bytes of every string cell
    size_t waste_ = 0;   // arena bytes no cell refers to any more
};

// The field list of a table.
class TMFields {
  public:
    explicit TMFields(TMCustomDataSet* owner) : owner_(owner) {}
    // A new field, named and typed by the caller before the table opens.
    TMField* Add();
    TMField* GetFields(int index) const { return fields_.at(static_cast<size_t>(index)).get(); }
    int GetCount() const { return static_cast<int>(fields_.size()); }

  private:
    friend class TMCustomDataSet;
    TMCustomDataSet* owner_;
    std::vector<std::unique_ptr<TMField>> fields_;
};

class TMCustomDataSet {
  public:
    TMCustomDataSet() : fields_(this) {}
    virtual ~TMCustomDataSet() = default;
    TMCustomDataSet(const TMCustomDataSet&) = delete;
    TMCustomDataSet& operator=(const TMCustomDataSet&) = delete;

    TMFields& GetFields() { return fields_; }
    const TMFields& GetFields() const { return fields_; }
    // The field of that name (compared case-insensitively); throws when none.
    TMField* FieldByName(std::string_view name) const;
    // As FieldByName, but null when there is none.
    TMField* FindField(std::string_view name) const;

    // Fixes the field list; rows can be added from now on.
    void Open();
    bool IsOpen() const { return open_; }

    int GetCount() const { return static_cast<int>(count_); }
    int GetPosition() const { return static_cast<int>(position_); }
    void SetPosition(int row);
    void First() { position_ = 0; }
    void Next() {
        if (position_ < count_) ++position_;
    }
    bool Eof() const { return position_ >= count_; }

    // A new last row with empty values; it becomes the current row.
    void Append();
    // A new row with empty values at the current position (the rows from there
    // move down by one); it becomes the current row.
    void Insert();
    // Removes every row; the fields stay.
    void Clear();
    // Room for this many rows without reallocating.
    void Reserve(size_t rows);

  private:
    friend class TMField;

    // Columns hold allocated_ slots, the unused ones empty, so that appending
    // a row is a count most of the time and the columns grow in bulk.
    void Grow();

    TMFields fields_;
    bool open_ = false;
    size_t count_ = 0;
    size_t allocated_ = 0;
    size_t reserved_ = 0;
    size_t position_ = 0;
};

class TMDataSet : public TMCustomDataSet {};

// --- the inline reads of TMField ---------------------------------------------

inline void TMField::CheckRow(size_t row) const {
    if (row >= owner_->count_) RowError(row);
}

inline std::string_view TMField::StringViewAt(size_t row) const {
    CheckRow(row);
    if (type_ != TMFieldType::ftString) return {};
    const Cell& c = cells_[row];
    return std::string_view(arena_.data() + c.offset, c.length);
}

inline void TMField::SetAsIntegerAt(size_t row, int32_t value) {
    CheckRow(row);
    if (type_ == TMFieldType::ftInteger)
        ints_.Set(row, value);
    else
        ConvertFromInteger(row, value);
}

inline int32_t TMField::GetAsIntegerAt(size_t row) const {
    CheckRow(row);
    if (type_ == TMFieldType::ftInteger) return ints_.Get(row);
    return ConvertToInteger(row);
}

}  // namespace krv
