// IdMap: stable numeric identifiers for a changing set of numeric names (a
// device's PLU numbers mapped onto its memory slots, for example). Names that
// stay keep their identifiers; identifiers freed by names that went away are
// handed out again, lowest first.
#pragma once

#include <string>
#include <vector>

namespace krv {

class IdMap {
  public:
    // Reconciles `entries` ("name=id", one each) with the names given as
    // lines of `namesText`: entries of names no longer there are dropped,
    // every new name gets an identifier, and the entries end sorted by
    // identifier. Names and identifiers are decimal integers; anything else
    // (a line that is no number, an entry without "=") throws EConvertError.
    // Blank lines are not names.
    void Initialize(std::vector<std::string>& entries, const std::string& namesText);
    // The same on entries held as lines of text; the text becomes the result
    // (each line ended by CR LF).
    void Initialize(std::string& entriesText, const std::string& namesText);
};

}  // namespace krv
