#include "digi_frame.h"

#include <algorithm>
#include <cstdint>

namespace krv::tools::digi {
namespace {

// Status 1, byte 1.
constexpr unsigned kByPiece = 0x01;
constexpr unsigned kPrintSellDate = 0x04;
constexpr unsigned kPrintUseByDate = 0x08;
constexpr unsigned kPrintPackedDate = 0x10;
constexpr unsigned kPrintPackedTime = 0x40;
// Status 2, byte 1: which fields follow.
constexpr unsigned kHasLabelFormat = 0x01;
constexpr unsigned kHasBarcodeFormat = 0x04;
constexpr unsigned kHasBarcodeData = 0x08;
// Status 2, byte 2.
constexpr unsigned kHasSpecialMessage = 0x02;
constexpr unsigned kHasIngredientNumber = 0x04;
constexpr unsigned kHasName = 0x20;
constexpr unsigned kHasOtherTextBlock = 0x40;
constexpr unsigned kHasTextBlock = 0x80;  // the bit the peers set for ingredient text
// Status 2, byte 3.
constexpr unsigned kHasSellByDays = 0x01;
constexpr unsigned kHasUseByDays = 0x04;

// Bits whose fields this protocol does not know the size or place of: a
// frame that sets them cannot be read.
constexpr unsigned kKnown2a = kHasLabelFormat | kHasBarcodeFormat | kHasBarcodeData;
constexpr unsigned kKnown2b =
    kHasSpecialMessage | kHasIngredientNumber | kHasName | kHasOtherTextBlock | kHasTextBlock;
constexpr unsigned kKnown2c = kHasSellByDays | kHasUseByDays;

constexpr unsigned kLineEnd = 0x0D;
constexpr unsigned kLastLineEnd = 0x0C;

char Byte(unsigned v) { return static_cast<char>(static_cast<unsigned char>(v & 0xFF)); }
unsigned At(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }

// value as digits decimal digits (the lowest ones when it is longer), packed
// two a byte, most significant first.
std::string Bcd(uint64_t value, int digits) {
    std::string out(static_cast<size_t>(digits / 2), '\0');
    for (int i = digits / 2 - 1; i >= 0; --i) {
        unsigned low = static_cast<unsigned>(value % 10);
        value /= 10;
        unsigned high = static_cast<unsigned>(value % 10);
        value /= 10;
        out[static_cast<size_t>(i)] = Byte(high << 4 | low);
    }
    return out;
}

// A text of decimal digits packed two a byte; a non-digit counts as 0.
std::string BcdOfDigits(std::string_view digits) {
    std::string out;
    auto digit = [](char c) {
        return (c >= '0' && c <= '9') ? static_cast<unsigned>(c - '0') : 0u;
    };
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out += Byte(digit(digits[i]) << 4 | digit(digits[i + 1]));
    return out;
}

void AppendLines(std::string* out, const std::vector<TextLine>& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view text = lines[i].text;
        if (text.size() > 255) text = text.substr(0, 255);
        *out += Byte(static_cast<unsigned>(std::clamp(lines[i].font, 0, 255)));
        *out += Byte(static_cast<unsigned>(text.size()));
        out->append(text);
        *out += Byte(i + 1 == lines.size() ? kLastLineEnd : kLineEnd);
    }
}

unsigned Clip(int v, int max) { return static_cast<unsigned>(std::clamp(v, 0, max)); }

// Packed decimal digits; nullopt when a nibble is not a digit.
std::optional<std::string> Digits(std::string_view bytes) {
    std::string d;
    for (char c : bytes) {
        unsigned b = static_cast<unsigned char>(c);
        if ((b >> 4) > 9 || (b & 0x0F) > 9) return std::nullopt;
        d += static_cast<char>('0' + (b >> 4));
        d += static_cast<char>('0' + (b & 0x0F));
    }
    return d;
}

std::optional<uint32_t> Number(std::string_view bytes) {
    std::optional<std::string> d = Digits(bytes);
    if (!d) return std::nullopt;
    uint64_t v = 0;
    for (char c : *d) v = v * 10 + static_cast<unsigned>(c - '0');
    return static_cast<uint32_t>(v);
}

// Walks a record body with bounds checks.
class Reader {
  public:
    explicit Reader(std::string_view s) : s_(s) {}
    bool Take(size_t n, std::string_view* out) {
        if (s_.size() - pos_ < n) return false;
        *out = s_.substr(pos_, n);
        pos_ += n;
        return true;
    }
    std::string_view Rest() const { return s_.substr(pos_); }

  private:
    std::string_view s_;
    size_t pos_ = 0;
};

bool ReadLines(Reader* r, std::vector<TextLine>* lines, std::string* error, const char* what) {
    for (;;) {
        std::string_view head, text, end;
        if (!r->Take(2, &head) || !r->Take(At(head, 1), &text) || !r->Take(1, &end)) {
            *error = std::string(what) + " runs past the end of the record";
            return false;
        }
        lines->push_back({static_cast<int>(At(head, 0)), std::string(text)});
        if (At(end, 0) == kLastLineEnd) return true;
        if (At(end, 0) != kLineEnd) {
            *error = std::string(what) + ": a line ends with neither 0D nor 0C";
            return false;
        }
    }
}

bool Fail(std::string* error, const std::string& text) {
    *error = text;
    return false;
}

bool DecodeWrite(std::string_view frame, PluRecord* r, std::string* error) {
    Reader in(frame.substr(2));
    std::string_view plu, length, status, price, one;
    if (!in.Take(4, &plu) || !in.Take(2, &length) || !in.Take(5, &status))
        return Fail(error, "write frame shorter than its fixed part");
    size_t declared = At(length, 0) << 8 | At(length, 1);
    if (declared != frame.size() - 2) {
        return Fail(error, "record length " + std::to_string(declared) + " but " +
                               std::to_string(frame.size() - 2) + " bytes follow the command");
    }
    std::optional<uint32_t> number = Number(plu);
    if (!number) return Fail(error, "PLU number is not packed decimal");
    r->plu = *number;
    unsigned s1 = At(status, 0), s2a = At(status, 2), s2b = At(status, 3), s2c = At(status, 4);
    if ((s2a & ~kKnown2a) || (s2b & ~kKnown2b) || (s2c & ~kKnown2c))
        return Fail(error, "status bits of fields this scale cannot read");
    r->by_piece = s1 & kByPiece;
    r->print_sell_date = s1 & kPrintSellDate;
    r->print_use_by_date = s1 & kPrintUseByDate;
    r->print_packed_date = s1 & kPrintPackedDate;
    r->print_packed_time = s1 & kPrintPackedTime;

    if (!in.Take(4, &price)) return Fail(error, "no price");
    std::optional<uint32_t> p = Number(price);
    if (!p) return Fail(error, "price is not packed decimal");
    r->price = *p;
    auto byte = [&](const char* what, int* out) {
        if (!in.Take(1, &one)) return Fail(error, std::string("no ") + what);
        *out = static_cast<int>(At(one, 0));
        return true;
    };
    auto days = [&](const char* what, std::optional<int>* out) {
        std::string_view two;
        if (!in.Take(2, &two)) return Fail(error, std::string("no ") + what);
        std::optional<uint32_t> d = Number(two);
        if (!d) return Fail(error, std::string(what) + " is not packed decimal");
        *out = static_cast<int>(*d);
        return true;
    };
    if ((s2a & kHasLabelFormat) && !byte("label format", &r->label_format)) return false;
    if ((s2a & kHasBarcodeFormat) && !byte("barcode format", &r->barcode_format)) return false;
    // A frame without barcode data carries the barcode the encoder sends for
    // none: 14 zeros (a record's barcode is always 14 digits).
    r->barcode = std::string(14, '0');
    if (s2a & kHasBarcodeData) {
        std::string_view code;
        if (!in.Take(7, &code)) return Fail(error, "no barcode data");
        std::optional<std::string> d = Digits(code);
        if (!d) return Fail(error, "barcode data is not packed decimal");
        r->barcode = *d;
    }
    if ((s2c & kHasSellByDays) && !days("sell-by days", &r->sell_by_days)) return false;
    if ((s2c & kHasUseByDays) && !days("use-by days", &r->use_by_days)) return false;
    int n = 0;
    if (s2b & kHasSpecialMessage) {
        if (!byte("special-message number", &n)) return false;
        r->special_message = n;
    }
    if (s2b & kHasIngredientNumber) {
        if (!byte("ingredient number", &n)) return false;
        r->ingredient_number = n;
    }
    if ((s2b & kHasName) && !ReadLines(&in, &r->name, error, "name")) return false;
    if ((s2b & (kHasTextBlock | kHasOtherTextBlock)) &&
        !ReadLines(&in, &r->text_block, error, "text block"))
        return false;
    // The checksum, then nothing but the zeros some senders pad with.
    std::string_view rest = in.Rest();
    if (rest.empty()) return Fail(error, "no checksum byte");
    if (rest.find_first_not_of('\0', 1) != std::string_view::npos)
        return Fail(error, "bytes after the checksum");
    return true;
}

}  // namespace

std::string EncodeWrite(const PluRecord& r) {
    unsigned s1 = 0, s2b = 0, s2c = 0;
    const unsigned s2a = kHasLabelFormat | kHasBarcodeFormat | kHasBarcodeData;
    if (r.by_piece) s1 |= kByPiece;
    if (r.print_sell_date) s1 |= kPrintSellDate;
    if (r.print_use_by_date) s1 |= kPrintUseByDate;
    if (r.print_packed_date) s1 |= kPrintPackedDate;
    if (r.print_packed_time) s1 |= kPrintPackedTime;
    if (r.special_message) s2b |= kHasSpecialMessage;
    if (r.ingredient_number) s2b |= kHasIngredientNumber;
    if (!r.name.empty()) s2b |= kHasName;
    if (!r.text_block.empty()) s2b |= kHasTextBlock;
    if (r.sell_by_days) s2c |= kHasSellByDays;
    if (r.use_by_days) s2c |= kHasUseByDays;

    std::string rec = Bcd(r.plu, 8);
    rec += std::string(2, '\0');  // the length, filled in below
    rec += Byte(s1);
    rec += '\0';  // per kg, as the peers send
    rec += Byte(s2a);
    rec += Byte(s2b);
    rec += Byte(s2c);
    rec += Bcd(r.price, 8);
    rec += Byte(Clip(r.label_format, 255));
    rec += Byte(Clip(r.barcode_format, 255));
    std::string code = r.barcode.substr(0, 14);
    code.insert(0, 14 - code.size(), '0');
    rec += BcdOfDigits(code);
    if (r.sell_by_days) rec += Bcd(Clip(*r.sell_by_days, 9999), 4);
    if (r.use_by_days) rec += Bcd(Clip(*r.use_by_days, 9999), 4);
    if (r.special_message) rec += Byte(Clip(*r.special_message, 255));
    if (r.ingredient_number) rec += Byte(Clip(*r.ingredient_number, 255));
    AppendLines(&rec, r.name);
    AppendLines(&rec, r.text_block);
    rec += '\0';  // checksum: no scale has been seen to check it
    rec[4] = Byte(static_cast<unsigned>(rec.size() >> 8));
    rec[5] = Byte(static_cast<unsigned>(rec.size()));
    return std::string{Byte(kWrite), Byte(kPluFile)} + rec;
}

std::string EncodeDelete(const std::vector<uint32_t>& plus) {
    std::string out{Byte(kDelete), Byte(kPluFile)};
    for (uint32_t plu : plus) out += Bcd(plu, 8);
    return out;
}

std::string EncodeClear() { return std::string{Byte(kClear), Byte(kPluFile)}; }

size_t FrameSize(std::string_view b) {
    if (b.empty()) return 0;
    switch (At(b, 0)) {
        case kClear: return 2;
        case kDelete:
            // Packed digits never make a byte above 0x99: one there starts the next frame.
            for (size_t i = 2; i < b.size(); i += 4)
                if (At(b, i) > 0x99) return i;
            return SIZE_MAX;
        case kWrite: return b.size() < 8 ? 0 : 2 + (At(b, 6) << 8 | At(b, 7));
        default: return SIZE_MAX;  // unknown: whatever came is one bad frame
    }
}

std::optional<Frame> Decode(std::string_view frame, std::string* error) {
    Frame f;
    if (frame.size() < 2) return Fail(error, "frame shorter than 2 bytes"), std::nullopt;
    if (At(frame, 1) != kPluFile)
        return Fail(error, "not the PLU file (25): " + Hex(frame.substr(1, 1))), std::nullopt;
    switch (At(frame, 0)) {
        case kClear:
            if (frame.size() != 2) return Fail(error, "clear frame with a body"), std::nullopt;
            f.kind = Frame::Kind::kClear;
            return f;
        case kDelete: {
            std::string_view body = frame.substr(2);
            if (body.empty() || body.size() % 4 != 0)
                return Fail(error, "delete frame body is not whole 4-byte PLU numbers"),
                       std::nullopt;
            f.kind = Frame::Kind::kDelete;
            for (size_t i = 0; i < body.size(); i += 4) {
                std::optional<uint32_t> plu = Number(body.substr(i, 4));
                if (!plu) return Fail(error, "PLU number is not packed decimal"), std::nullopt;
                f.deleted.push_back(*plu);
            }
            return f;
        }
        case kWrite:
            f.kind = Frame::Kind::kWrite;
            if (!DecodeWrite(frame, &f.record, error)) return std::nullopt;
            return f;
        default: return Fail(error, "unknown command " + Hex(frame.substr(0, 1))), std::nullopt;
    }
}

std::string Hex(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        unsigned b = static_cast<unsigned char>(c);
        if (!out.empty()) out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::optional<std::string> FromHex(std::string_view hex) {
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        if (i + 1 >= hex.size() || value(hex[i]) < 0 || value(hex[i + 1]) < 0) return std::nullopt;
        out += Byte(static_cast<unsigned>(value(hex[i]) << 4 | value(hex[i + 1])));
        i += 2;
    }
    return out;
}

}  // namespace krv::tools::digi
