// The independent model of the whole-chain property test, written from the
// file layouts (the goods file, the 1000-character PLU record, the export
// result, the DIGI PLU record) and not from the library's code: it reads the
// goods file as the layout says, decides which goods the scale must get, builds
// each PLU record, applies the records in file order to the table the scale
// held before (a write replaces, a delete removes, nothing else changes), and
// names the result lines the host must get back. A malformed goods line (a
// status word other than the four, a bad flag or number) fails the whole
// export: then the scale keeps its table and no result is written. A goods
// item the scale would take but whose short code, PLU number or price does not
// fit its field is left out and not confirmed (a delete needs no price);
// prices round half away from zero; shelf lives lie within 0 to 999 days. On
// a DIGI scale a line of spaces is no line, while a font digit before blanks
// is an empty line the host asked for. The group digits of a full code are
// read whenever the subgroup filter is on, whatever gives the PLU number.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "goods_cases.h"

namespace krv::test::chain {

struct Expected {
    bool success = true;
    std::vector<std::string> records;  // the PLU records sent, 1000 characters each
    std::vector<std::string> result;   // the lines of wynik.exp
};

Expected Model(const Case& c);

// The tables as the simulator dumps them, by PLU number: our protocol keeps
// the record as received; the DIGI scale keeps its decoded fields (one JSON
// object, as in its dump).
using Table = std::map<int, std::string>;
Table HeldRecords(const Case& c);
Table HeldDigi(const Case& c);
Table AfterRecords(const Case& c, const Expected& e);
Table AfterDigi(const Case& c, const Expected& e);

// The simulator's state-file lines for the held goods: records, DIGI frames.
std::string RecordStateFile(const Case& c);
std::string DigiStateFile(const Case& c);

}  // namespace krv::test::chain
