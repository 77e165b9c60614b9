// KSTowRec: one goods record of the host's goods file ("PLU" lines). Its
// fields, with their kinds and defaults, are listed in towrec_fields.h; their
// names are the column names of the export buffer's goods table.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "exportdata/record_field.h"
#include "exportdata/towrec_fields.h"
#include "support/lgext.h"

namespace krv {

class FieldViews;
class TLJWords;

// The change a goods line asks for.
enum KSTowStatus : int32_t {
    kStatusAdd = 0,          // "DOD"
    kStatusUpdate = 1,       // "AKT"
    kStatusPriceChange = 2,  // "CEN"
    kStatusDelete = 3,       // "USU"
    kStatusNone = 4,         // no change pending
};

// The word of a status 0 to 3 in the host's files; "" for any other value.
const char* StatusWord(int32_t status);

class KSTowRec {
  public:
    // The defaults of an empty record, except for the fields that the list
    // marks Keep (towrec_fields.h).
    void Clear();

    // Fills the record from a line split at ";" (field 0 is the tag). Throws
    // the translated format error, or EConvertError for a bad number. Numbers
    // are read with "." as the point whatever the process locale; a field is
    // copied only into the member that keeps it.
    void FromLine(FieldViews& fields, const TMLgExtTools* lg);
    // The same for an export that never reads stawka, jedn, plu_opakowania
    // and nr_asort: a number there that cannot be read becomes 0 and its
    // field is named in `unread` (", "-separated) instead of failing.
    void FromLine(FieldViews& fields, const TMLgExtTools* lg, std::string& unread);
    void FromLine(TLJWords& words, const TMLgExtTools* lg);
    void FromLine(std::string_view line, const TMLgExtTools* lg);

    // "T"/"t" true, "F"/"f" false, anything else the format error.
    static bool Bool(char c, const TMLgExtTools* lg);

    // 1 wholesale, 2 night, 3 additional, anything else the retail price.
    double CenaAkt(int type) const;

    // Text of every field, "name=value" in column order, for messages and
    // test failures.
    std::string Text() const;

    bool operator==(const KSTowRec&) const = default;

#define KRV_TOWREC_MEMBER(member, kind, init, ...) field::kind::Type member = init;
    KRV_TOWREC_FIELDS(KRV_TOWREC_MEMBER)
#undef KRV_TOWREC_MEMBER

  private:
    void Read(FieldViews& fields, const TMLgExtTools* lg, std::string* unread);
};

// The record's Text(); test frameworks print failed comparisons with it.
std::ostream& operator<<(std::ostream& out, const KSTowRec& rec);

}  // namespace krv
