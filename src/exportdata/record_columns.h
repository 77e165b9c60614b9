// How a record's field lives in a column of the export buffer: the column
// type of each field kind, and the write and read of one cell. The buffer
// applies them to the field lists of the records.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "exportdata/record_field.h"
#include "support/mdataset.h"

namespace krv::field {

template <typename Kind>
constexpr TMFieldType ColumnType();
template <>
constexpr TMFieldType ColumnType<Int>() {
    return TMFieldType::ftInteger;
}
template <>
constexpr TMFieldType ColumnType<Flag>() {
    return TMFieldType::ftInteger;
}
template <>
constexpr TMFieldType ColumnType<Num>() {
    return TMFieldType::ftFloat;
}
template <>
constexpr TMFieldType ColumnType<Text>() {
    return TMFieldType::ftString;
}
template <>
constexpr TMFieldType ColumnType<Date>() {
    return TMFieldType::ftDateTime;
}

// Appends a column to a table that is not open yet.
inline TMField* AddColumn(TMDataSet& table, const char* name, TMFieldType type) {
    TMField* f = table.GetFields().Add();
    f->SetName(name);
    f->SetType(type);
    return f;
}

// Writes one cell. On a `fresh` row (just appended) a zero or an empty text
// is already in place: most goods leave half their columns at that, and
// skipping them is the cheapest write. A negative zero is written.
inline void Put(TMField* f, size_t row, int32_t value, bool fresh) {
    if (!fresh || value != 0) f->SetAsIntegerAt(row, value);
}
inline void Put(TMField* f, size_t row, bool value, bool fresh) {
    if (!fresh || value) f->SetAsIntegerAt(row, value);
}
inline void Put(TMField* f, size_t row, double value, bool fresh) {
    if (!fresh || value != 0 || std::signbit(value)) f->SetAsExtendedAt(row, value);
}
inline void Put(TMField* f, size_t row, const std::string& value, bool fresh) {
    if (!fresh || !value.empty()) f->SetAsStringAt(row, value);
}

inline void Get(const TMField* f, size_t row, int32_t& value) { value = f->GetAsIntegerAt(row); }
inline void Get(const TMField* f, size_t row, bool& value) { value = f->GetAsIntegerAt(row) != 0; }
inline void Get(const TMField* f, size_t row, double& value) { value = f->GetAsExtendedAt(row); }
// clear() and append() rather than assign(): the cheaper copy on the export's
// row walk, where a record's texts are overwritten millions of times.
inline void Get(const TMField* f, size_t row, std::string& value) {
    value.clear();
    value.append(f->StringViewAt(row));
}

}  // namespace krv::field
