// KSKontrRec: a partner of the host's goods file ("KON" and "KONA" lines),
// its fields listed in kontrrec_fields.h; KSAsort: an assortment ("ASS"
// lines).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "exportdata/kontrrec_fields.h"
#include "exportdata/record_field.h"
#include "support/lgext.h"

namespace krv {

class KSKontrRec {
  public:
    // The defaults of kontrrec_fields.h.
    void Clear();
    // Fills the record from a line; throws the translated format error or
    // EConvertError for a bad number or date.
    void FromLine(std::string_view line, const TMLgExtTools* lg);
    // "T"/"t" true, "F"/"f" false, anything else the format error.
    static bool Bool(char c, const TMLgExtTools* lg);

    // Text of every field, "name=value" in column order, for messages and
    // test failures.
    std::string Text() const;

    bool operator==(const KSKontrRec&) const = default;

#define KRV_KONTRREC_MEMBER(member, kind, init) field::kind::Type member = init;
    KRV_KONTRREC_FIELDS(KRV_KONTRREC_MEMBER)
#undef KRV_KONTRREC_MEMBER
};

// The record's Text(); test frameworks print failed comparisons with it.
std::ostream& operator<<(std::ostream& out, const KSKontrRec& rec);

class KSAsort {
  public:
    KSAsort() { Clear(); }
    void Clear();
    // Word 1 is the number (EConvertError when it is none), word 2 the name.
    void FromLine(std::string_view line);

    int32_t as_asno = 0;
    std::string as_name;
};

}  // namespace krv
