// The PLUs that the simulated scale holds, and their state file: one line per
// PLU, sorted by PLU number, "<8-digit PLU>\t<1000-character record>\n", in
// the Windows-1250 bytes that the scale received.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace krv::scalesim {

class PluTable {
  public:
    void Put(const std::string& plu, std::string record) { records_[plu] = std::move(record); }
    // False when the PLU was not held.
    bool Erase(const std::string& plu) { return records_.erase(plu) > 0; }
    size_t Size() const { return records_.size(); }

    std::string Serialize() const;
    // nullopt with *error set when a line is not "<8 digits>\t<record>".
    static std::optional<PluTable> Parse(std::string_view text, std::string* error);

  private:
    std::map<std::string, std::string> records_;  // 8-digit texts sort as numbers
};

}  // namespace krv::scalesim
