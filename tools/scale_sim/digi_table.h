// The PLU file of the simulated DIGI scale: every decoded field of each PLU,
// with the frame that wrote it.
//
// State file: one line per PLU, sorted by number, "<8-digit PLU>\t<the write
// frame in hex>\n", so that a restarted scale decodes what it held. The JSON
// dump and the listing give the decoded fields, texts as UTF-8.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "codepage.h"
#include "digi_frame.h"

namespace krv::scalesim {

class DigiTable {
  public:
    // Stores (or replaces) the PLU of a decoded write frame.
    void Put(const tools::digi::PluRecord& record, std::string frame);
    bool Erase(uint32_t plu) { return plus_.erase(plu) > 0; }
    void Clear() { plus_.clear(); }
    size_t Size() const { return plus_.size(); }
    const tools::digi::PluRecord* Find(uint32_t plu) const;

    std::string Serialize() const;
    // nullopt with *error set when a line is not "<8 digits>\t<hex of a write frame>".
    static std::optional<DigiTable> Parse(std::string_view text, std::string* error);

    // {"plus":[{...}, ...]} with every field; texts through the code page.
    std::string Json(const tools::CodePage& page) const;
    // A table for people: PLU, first name line, price, piece/weight, label
    // and barcode formats, barcode, lines.
    std::string Listing(const tools::CodePage& page) const;

  private:
    struct Entry {
        tools::digi::PluRecord record;
        std::string frame;
    };
    std::map<uint32_t, Entry> plus_;
};

}  // namespace krv::scalesim
