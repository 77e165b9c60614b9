#include "support/mdataset.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "support/exception.h"
#include "support/strutil.h"
#include "support/tdttools.h"

namespace krv {

namespace {

std::string NumberText(double value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

double ParseNumber(std::string_view text) {
    std::string t = Trim(text);
    double value = 0;
    auto result = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || result.ec != std::errc() || result.ptr != t.data() + t.size())
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return value;
}

double ParseDateTime(std::string_view text) {
    TdtTools value;
    if (!value.FromString(Trim(text), TdtTools::kStorage))
        throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
    return value.Value();
}

int32_t ToInteger(double value) {
    double r = std::round(value);
    if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
        throw EConvertError("'" + NumberText(value) + "' is not a valid integer value");
    return static_cast<int32_t>(r);
}

}  // namespace

// --- detail::IntColumn -------------------------------------------------------

namespace detail {

void IntColumn::Resize(size_t rows) {
    switch (width_) {
        case 1: i8_.resize(rows); break;
        case 2: i16_.resize(rows); break;
        default: i32_.resize(rows); break;
    }
}

void IntColumn::Insert(size_t row) {
    auto at = [row](auto& v) {
        v.insert(v.begin() + static_cast<ptrdiff_t>(row), 0);
        v.pop_back();
    };
    switch (width_) {
        case 1: at(i8_); break;
        case 2: at(i16_); break;
        default: at(i32_); break;
    }
}

void IntColumn::Clear() {
    width_ = 1;
    i8_.clear();
    i16_ = {};
    i32_ = {};
}

void IntColumn::Reserve(size_t rows) {
    switch (width_) {
        case 1: i8_.reserve(rows); break;
        case 2: i16_.reserve(rows); break;
        default: i32_.reserve(rows); break;
    }
}

void IntColumn::Widen(int32_t value) {
    if (width_ == 1) {
        size_t capacity = i8_.capacity();
        if (value >= INT16_MIN && value <= INT16_MAX) {
            i16_.reserve(capacity);
            i16_.assign(i8_.begin(), i8_.end());
            width_ = 2;
        } else {
            i32_.reserve(capacity);
            i32_.assign(i8_.begin(), i8_.end());
            width_ = 4;
        }
        i8_ = {};
    } else if (width_ == 2) {
        i32_.reserve(i16_.capacity());
        i32_.assign(i16_.begin(), i16_.end());
        i16_ = {};
        width_ = 4;
    }
}

}  // namespace detail

// --- TMField -----------------------------------------------------------------

void TMField::SetName(std::string name) {
    if (owner_->open_) throw Exception("Field '" + name_ + "': the table is already open");
    name_ = std::move(name);
}

void TMField::SetType(TMFieldType type) {
    if (owner_->open_) throw Exception("Field '" + name_ + "': the table is already open");
    type_ = type;
}

size_t TMField::Row() const {
    CheckRow(owner_->position_);
    return owner_->position_;
}

void TMField::RowError(size_t row) const {
    throw Exception("Field '" + name_ + "': row " + std::to_string(row) + " does not exist (" +
                    std::to_string(owner_->count_) + " rows)");
}

std::string TMField::GetAsStringAt(size_t row) const {
    CheckRow(row);
    switch (type_) {
        case TMFieldType::ftString: return std::string(StringViewAt(row));
        case TMFieldType::ftInteger: return IntToStr(ints_.Get(row));
        case TMFieldType::ftFloat: return NumberText(numbers_[row]);
        case TMFieldType::ftDateTime: return TdtTools(numbers_[row]).ToString(TdtTools::kDateTime);
    }
    return {};
}

int32_t TMField::ConvertToInteger(size_t row) const {
    switch (type_) {
        case TMFieldType::ftInteger: return ints_.Get(row);
        case TMFieldType::ftString: return StrToInt(Trim(StringViewAt(row)));
        case TMFieldType::ftFloat:
        case TMFieldType::ftDateTime: return ToInteger(numbers_[row]);
    }
    return 0;
}

double TMField::GetAsExtendedAt(size_t row) const {
    CheckRow(row);
    switch (type_) {
        case TMFieldType::ftInteger: return ints_.Get(row);
        case TMFieldType::ftString: return ParseNumber(StringViewAt(row));
        case TMFieldType::ftFloat:
        case TMFieldType::ftDateTime: return numbers_[row];
    }
    return 0;
}

void TMField::SetAsStringAt(size_t row, std::string_view value) {
    CheckRow(row);
    switch (type_) {
        case TMFieldType::ftString: StoreString(row, value); break;
        case TMFieldType::ftInteger: ints_.Set(row, StrToInt(Trim(value))); break;
        case TMFieldType::ftFloat: numbers_[row] = ParseNumber(value); break;
        case TMFieldType::ftDateTime: numbers_[row] = ParseDateTime(value); break;
    }
}

void TMField::ConvertFromInteger(size_t row, int32_t value) {
    switch (type_) {
        case TMFieldType::ftInteger: ints_.Set(row, value); break;
        case TMFieldType::ftString: StoreString(row, IntToStr(value)); break;
        case TMFieldType::ftFloat:
        case TMFieldType::ftDateTime: numbers_[row] = value; break;
    }
}

void TMField::SetAsExtendedAt(size_t row, double value) {
    CheckRow(row);
    switch (type_) {
        case TMFieldType::ftInteger: ints_.Set(row, ToInteger(value)); break;
        case TMFieldType::ftString: StoreString(row, NumberText(value)); break;
        case TMFieldType::ftFloat:
        case TMFieldType::ftDateTime: numbers_[row] = value; break;
    }
}

void TMField::StoreString(size_t row, std::string_view value) {
    Cell& c = cells_[row];
    if (value.size() <= c.length) {
        // Fits where the old text was: no new arena bytes.
        if (!value.empty()) std::memcpy(arena_.data() + c.offset, value.data(), value.size());
        waste_ += c.length - value.size();
        c.length = static_cast<uint32_t>(value.size());
        return;
    }
    if (arena_.size() + value.size() > std::numeric_limits<uint32_t>::max()) {
        Compact();
        if (arena_.size() + value.size() > std::numeric_limits<uint32_t>::max())
            throw Exception("Field '" + name_ + "': too much text for one table column");
    }
    waste_ += c.length;
    c.offset = static_cast<uint32_t>(arena_.size());
    c.length = static_cast<uint32_t>(value.size());
    arena_.append(value);
    // Texts rewritten longer leave their old bytes behind; reclaim them once
    // they are the larger part of the arena.
    if (waste_ > (1u << 20) && waste_ > arena_.size() / 2) Compact();
}

void TMField::Compact() {
    std::string packed;
    packed.reserve(arena_.size() - waste_);
    for (Cell& c : cells_) {
        uint32_t offset = static_cast<uint32_t>(packed.size());
        packed.append(arena_, c.offset, c.length);
        c.offset = c.length ? offset : 0;
    }
    arena_.swap(packed);
    waste_ = 0;
}

void TMField::ResizeRows(size_t rows) {
    switch (type_) {
        case TMFieldType::ftString: cells_.resize(rows, Cell{0, 0}); break;
        case TMFieldType::ftInteger: ints_.Resize(rows); break;
        default: numbers_.resize(rows, 0.0); break;
    }
}

void TMField::InsertDefault(size_t row) {
    // There is always an unused slot at the end to drop.
    switch (type_) {
        case TMFieldType::ftString:
            cells_.insert(cells_.begin() + static_cast<ptrdiff_t>(row), Cell{0, 0});
            cells_.pop_back();
            break;
        case TMFieldType::ftInteger: ints_.Insert(row); break;
        default:
            numbers_.insert(numbers_.begin() + static_cast<ptrdiff_t>(row), 0.0);
            numbers_.pop_back();
            break;
    }
}

void TMField::ClearRows() {
    ints_.Clear();
    numbers_.clear();
    cells_.clear();
    arena_.clear();
    waste_ = 0;
}

void TMField::Reserve(size_t rows) {
    switch (type_) {
        case TMFieldType::ftString: cells_.reserve(rows); break;
        case TMFieldType::ftInteger: ints_.Reserve(rows); break;
        default: numbers_.reserve(rows); break;
    }
}

// --- TMFields ----------------------------------------------------------------

TMField* TMFields::Add() {
    if (owner_->IsOpen()) throw Exception("Fields cannot be added to an open table");
    fields_.push_back(
        std::unique_ptr<TMField>(new TMField(owner_, static_cast<int>(fields_.size()))));
    return fields_.back().get();
}

// --- TMCustomDataSet ---------------------------------------------------------

TMField* TMCustomDataSet::FindField(std::string_view name) const {
    for (const auto& f : fields_.fields_)
        if (SameText(f->GetName(), name)) return f.get();
    return nullptr;
}

TMField* TMCustomDataSet::FieldByName(std::string_view name) const {
    if (TMField* f = FindField(name)) return f;
    throw Exception("Field '" + std::string(name) + "' not found");
}

void TMCustomDataSet::Open() { open_ = true; }

void TMCustomDataSet::SetPosition(int row) { position_ = row < 0 ? 0 : static_cast<size_t>(row); }

void TMCustomDataSet::Grow() {
    size_t want = allocated_ < 32 ? 64 : allocated_ * 2;
    if (reserved_ > allocated_ && reserved_ < want) want = reserved_;
    if (want <= count_) want = count_ + 1;
    for (auto& f : fields_.fields_) f->ResizeRows(want);
    allocated_ = want;
}

void TMCustomDataSet::Append() {
    if (!open_) throw Exception("The table is not open");
    if (count_ == allocated_) Grow();
    position_ = count_++;
}

void TMCustomDataSet::Insert() {
    if (!open_) throw Exception("The table is not open");
    if (position_ > count_) position_ = count_;
    if (count_ == allocated_) Grow();
    for (auto& f : fields_.fields_) f->InsertDefault(position_);
    ++count_;
}

void TMCustomDataSet::Clear() {
    for (auto& f : fields_.fields_) f->ClearRows();
    count_ = 0;
    allocated_ = 0;
    reserved_ = 0;
    position_ = 0;
}

void TMCustomDataSet::Reserve(size_t rows) {
    if (rows <= reserved_) return;
    reserved_ = rows;
    for (auto& f : fields_.fields_) f->Reserve(rows);
}

}  // namespace krv
