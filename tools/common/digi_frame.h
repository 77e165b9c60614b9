// The frames of a DIGI SM scale's TCP protocol for its PLU file: write one
// record, delete records, clear the file. A frame is the command byte, the
// file byte and a body, with no outer length or checksum; the scale answers
// each frame, and a first answer byte of ACK means success.
//
// Pure functions over buffers: sm_eth encodes, scale_sim decodes, and the tests
// check one against the other.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krv::tools::digi {

inline constexpr unsigned char kAck = 0x06;
inline constexpr unsigned char kNak = 0x15;

inline constexpr unsigned char kWrite = 0xF1;   // add or overwrite one record
inline constexpr unsigned char kClear = 0xF2;   // empty the whole file
inline constexpr unsigned char kDelete = 0xF3;  // delete records by number
inline constexpr unsigned char kPluFile = 0x25;

// The port of a scale whose address names none: 2000 + the last octet.
inline constexpr int kPortBase = 2000;

// One line of a name or of an embedded text block: [font][length][text], then
// 0x0D, or 0x0C after the last line.
struct TextLine {
    int font = 0;      // 0-255
    std::string text;  // in the scale's code page, at most 255 bytes
    bool operator==(const TextLine&) const = default;
};

// A PLU record as the write frame carries it. The optional fields are sent
// only when present; each has its status bit.
struct PluRecord {
    uint32_t plu = 0;  // 0-99999999
    // Status 1, byte 1.
    bool by_piece = false;
    bool print_sell_date = false;
    bool print_use_by_date = false;
    bool print_packed_date = false;
    bool print_packed_time = false;
    uint32_t price = 0;                    // smallest currency unit, 0-99999999
    int label_format = 0;                  // 0-255
    int barcode_format = 0;                // 0-255
    std::string barcode;                   // 14 digits
    std::optional<int> sell_by_days;       // 0-9999
    std::optional<int> use_by_days;        // 0-9999
    std::optional<int> special_message;    // 0-255
    std::optional<int> ingredient_number;  // 0-255
    std::vector<TextLine> name;            // empty: no name field
    std::vector<TextLine> text_block;      // empty: no embedded block
    bool operator==(const PluRecord&) const = default;
};

// The frames. Values beyond their field are clipped to it; callers check them.
std::string EncodeWrite(const PluRecord& record);
std::string EncodeDelete(const std::vector<uint32_t>& plus);
std::string EncodeClear();

struct Frame {
    enum class Kind { kWrite, kDelete, kClear };
    Kind kind = Kind::kWrite;
    PluRecord record;               // kWrite
    std::vector<uint32_t> deleted;  // kDelete
};

// The size of the frame at the start of a received buffer: 0 when more bytes
// are needed to tell, SIZE_MAX for a delete that may go on (it has no length:
// it ends where the sender stops to wait for the answer, or where the next
// command byte follows), otherwise the number of bytes.
size_t FrameSize(std::string_view buffer);

// Decodes one whole frame; nullopt with *error set when it is not one this
// protocol knows (an unknown command or file, a status bit whose field is not
// known, a length that does not match, bad digits).
std::optional<Frame> Decode(std::string_view frame, std::string* error);

// "F1 25 00 ..." — upper-case hex bytes separated by blanks.
std::string Hex(std::string_view bytes);
// The reverse of Hex(); nullopt for anything but hex byte pairs and blanks.
std::optional<std::string> FromHex(std::string_view hex);

}  // namespace krv::tools::digi
