#include "support/binary_frame.h"

#include <algorithm>
#include <cstring>

#include "support/cp1250.h"
#include "support/exception.h"

namespace krv {

namespace {

[[noreturn]] void Fail(const std::string& utf8) { throw Exception(Utf8ToCp1250(utf8)); }

}  // namespace

TBinaryFrame::TBinaryFrame() : size_(kBufferSize) {
    own_.fill(0xFF);
    data_ = own_.data();
}

TBinaryFrame::TBinaryFrame(uint8_t* buffer, size_t size) : data_(buffer), size_(size) {
    own_.fill(0xFF);
}

int TBinaryFrame::Add(size_t length, Kind kind) {
    if (fields_.size() >= kMaxFields)
        Fail("TBinaryFrame: za dużo pól (najwyżej " + std::to_string(kMaxFields) + ")");
    size_t position = fields_.empty() ? 0 : fields_.back().position + fields_.back().length;
    if (length > size_ || position > size_ - length)
        Fail("TBinaryFrame: pole nie mieści się w buforze (" + std::to_string(position) + "+" +
             std::to_string(length) + " > " + std::to_string(size_) + ")");
    fields_.push_back({position, length, kind});
    return static_cast<int>(fields_.size()) - 1;
}

int TBinaryFrame::AddField(size_t length) { return Add(length, kBinary); }
int TBinaryFrame::AddTextField(size_t length) {
    return Add(length, length == 0 ? kZeroText : kFixedText);
}
int TBinaryFrame::AddBCDField(size_t length) { return Add(length, kBCD); }

void TBinaryFrame::SetBuffer(uint8_t* buffer, size_t size) {
    data_ = buffer;
    size_ = size;
    Relayout();
}

void TBinaryFrame::Relayout() {
    size_t position = 0;
    for (Field& f : fields_) {
        f.position = position;
        position += f.length;
    }
}

const TBinaryFrame::Field& TBinaryFrame::At(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= fields_.size())
        Fail("TBinaryFrame: nie ma pola " + std::to_string(index));
    return fields_[static_cast<size_t>(index)];
}

uint8_t* TBinaryFrame::Bytes(const Field& f) const {
    if (f.position > size_ || f.length > size_ - f.position)
        Fail("TBinaryFrame: pole poza buforem (" + std::to_string(f.position) + "+" +
             std::to_string(f.length) + " > " + std::to_string(size_) + ")");
    return data_ + f.position;
}

size_t TBinaryFrame::GetDataSize() const {
    size_t total = 0;
    for (const Field& f : fields_) total += f.length;
    return total;
}

void TBinaryFrame::ReverseNumbers() {
    if (nativeOrder_) return;
    // Texts have no byte order: only numbers and BCD travel reversed.
    for (const Field& f : fields_) {
        bool inside = f.position <= size_ && f.length <= size_ - f.position;
        if ((f.kind == kBCD || f.kind == kBinary) && f.length <= 8 && inside) {
            uint8_t* p = Bytes(f);
            std::reverse(p, p + f.length);
        }
    }
}

uint8_t* TBinaryFrame::GetFrame() {
    Compose();
    ReverseNumbers();
    return data_;
}

void TBinaryFrame::Process() {
    size_t position = 0;
    for (Field& f : fields_) {
        f.position = position;
        if (f.kind == kZeroText) {
            // Received data need not hold the zero: the text then ends with
            // the buffer, and the fields after it are empty.
            size_t room = position < size_ ? size_ - position : 0;
            const void* zero = std::memchr(data_ + std::min(position, size_), 0, room);
            f.length =
                zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - (data_ + position)) +
                           1
                     : room;
        }
        position = std::min(size_, position + f.length);
    }
    ReverseNumbers();
    Analyze();
}

void TBinaryFrame::WriteLow(int index, uint64_t value, size_t width) {
    const Field& f = At(index);
    uint8_t* p = Bytes(f);
    size_t n = std::min(width, f.length);
    for (size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t TBinaryFrame::ReadLow(int index, size_t width, const char* name) const {
    const Field& f = At(index);
    if (f.length > width)
        Fail(std::string(name) + " użyto do pola o długości >" + std::to_string(width) + "!");
    const uint8_t* p = Bytes(f);
    uint64_t value = 0;
    for (size_t i = 0; i < f.length; ++i) value |= static_cast<uint64_t>(p[i]) << (8 * i);
    return value;
}

void TBinaryFrame::SetFieldAsShort(int index, int16_t value) {
    if (At(index).length < 2) Fail("SetFieldAsShort użyto do pola o długości <2!");
    WriteLow(index, static_cast<uint16_t>(value), 2);
}

int16_t TBinaryFrame::GetFieldAsShort(int index) const {
    const Field& f = At(index);
    if (f.length != 1 && f.length != 2) Fail("GetFieldAsShort użyto do pola o długości >2!");
    const uint8_t* p = Bytes(f);
    if (f.length == 1) return p[0];
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

void TBinaryFrame::SetFieldAsUChar(int index, uint8_t value) {
    // One byte into a field of none would overwrite the next field.
    if (At(index).length == 0) Fail("SetFieldAsUChar użyto do pola o długości 0!");
    WriteLow(index, value, 1);
}

uint8_t TBinaryFrame::GetFieldAsUChar(int index) const {
    const Field& f = At(index);
    if (f.length != 1) Fail("GetFieldAsUChar użyto do pola o długości innej niż 1!");
    return *Bytes(f);
}

void TBinaryFrame::SetFieldAsInteger(int index, int32_t value) {
    WriteLow(index, static_cast<uint32_t>(value), 4);
}
void TBinaryFrame::SetFieldAsUInt(int index, uint32_t value) { WriteLow(index, value, 4); }
int32_t TBinaryFrame::GetFieldAsInteger(int index) const {
    return static_cast<int32_t>(static_cast<uint32_t>(ReadLow(index, 4, "GetFieldAsInteger")));
}
uint32_t TBinaryFrame::GetFieldAsUInt(int index) const {
    return static_cast<uint32_t>(ReadLow(index, 4, "GetFieldAsUInt"));
}
void TBinaryFrame::SetFieldAsI64(int index, int64_t value) {
    WriteLow(index, static_cast<uint64_t>(value), 8);
}
void TBinaryFrame::SetFieldAsUInt64(int index, uint64_t value) { WriteLow(index, value, 8); }
int64_t TBinaryFrame::GetFieldAsI64(int index) const {
    return static_cast<int64_t>(ReadLow(index, 8, "GetFieldAsI64"));
}
uint64_t TBinaryFrame::GetFieldAsUInt64(int index) const {
    return ReadLow(index, 8, "GetFieldAsUInt64");
}

void TBinaryFrame::SetFieldAsString(int index, const std::string& text) {
    const Field& f = At(index);
    switch (f.kind) {
        case kBinary: Fail("TBinaryFrame: Próba przypisania stringu do pola binarnego!");
        case kFixedText: {
            uint8_t* p = Bytes(f);
            std::memset(p, ' ', f.length);
            std::memcpy(p, text.data(), std::min(text.size(), f.length));
            return;
        }
        case kZeroText: {
            Field& field = fields_[static_cast<size_t>(index)];
            size_t tail = 0;  // the fields after this one keep their lengths
            for (size_t i = static_cast<size_t>(index) + 1; i < fields_.size(); ++i)
                tail += fields_[i].length;
            if (field.position > size_ || text.size() + 1 + tail > size_ - field.position)
                Fail("TBinaryFrame: tekst nie mieści się w buforze");
            std::memcpy(data_ + field.position, text.data(), text.size());
            data_[field.position + text.size()] = 0;
            field.length = text.size() + 1;
            Relayout();
            return;
        }
        case kBCD: {
            uint8_t* p = Bytes(f);
            std::memset(p, 0, f.length);
            size_t digit = 0;
            for (size_t i = text.size(); i-- > 0 && digit / 2 < f.length; ++digit) {
                uint8_t nibble = static_cast<uint8_t>(text[i] - '0') & 0x0F;
                uint8_t& byte = p[f.length - 1 - digit / 2];
                byte |= digit % 2 == 0 ? nibble : static_cast<uint8_t>(nibble << 4);
            }
            return;
        }
    }
}

std::string TBinaryFrame::GetFieldAsString(int index) const {
    const Field& f = At(index);
    const uint8_t* p = Bytes(f);
    switch (f.kind) {
        case kBinary: Fail("TBinaryFrame: Próba odczytania stringu z pola binarnego!");
        case kFixedText:
        case kZeroText: {
            const void* zero = std::memchr(p, 0, f.length);
            size_t n = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - p) : f.length;
            std::string text(reinterpret_cast<const char*>(p), n);
            // A zero-terminated text's length counts its zero: no padding.
            if (f.kind == kFixedText) text.resize(f.length, ' ');
            return text;
        }
        case kBCD: {
            std::string digits;
            for (size_t i = 0; i < f.length; ++i) {
                uint8_t high = p[i] >> 4, low = p[i] & 0x0F;
                // Either half above 9 is no decimal digit.
                if (high > 9 || low > 9) {
                    bcdError_ = true;
                    return "";
                }
                digits += static_cast<char>('0' + high);
                digits += static_cast<char>('0' + low);
            }
            return digits;
        }
    }
    return "";
}

}  // namespace krv
