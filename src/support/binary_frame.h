// TBinaryFrame: a binary device message described as a sequence of typed
// fields over one byte buffer. Each device's frame class derives from it and
// fills the fields in Compose (for sending) or reads them after Process (for
// received data).
//
// Numbers are kept in the machine's (little-endian) order in the buffer;
// unless the native-order flag is set, GetFrame reverses numeric and BCD
// fields for the wire (most significant byte first) and Process reverses them
// back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace krv {

class TBinaryFrame {
  public:
    static constexpr size_t kBufferSize = 1024;
    static constexpr size_t kMaxFields = 100;

    enum Kind : uint8_t {
        kFixedText = 0,  // text padded with blanks
        kZeroText = 1,   // zero-terminated text of variable length
        kBCD = 2,        // packed decimal, two digits a byte
        kBinary = 3,     // a number
    };

    // Uses the frame's own buffer (every byte 0xFF).
    TBinaryFrame();
    // Uses the caller's buffer of `size` bytes, which must outlive the frame.
    TBinaryFrame(uint8_t* buffer, size_t size = kBufferSize);
    virtual ~TBinaryFrame() = default;
    TBinaryFrame(const TBinaryFrame&) = delete;
    TBinaryFrame& operator=(const TBinaryFrame&) = delete;

    // Append a field right after the previous one and return its index. A
    // layout that would not fit into the buffer, or more than kMaxFields
    // fields, throws Exception.
    int AddField(size_t length);      // a number
    int AddTextField(size_t length);  // fixed text; length 0 gives zero-terminated text
    int AddBCDField(size_t length);

    // Switches to the caller's buffer and lays the fields out from its start.
    void SetBuffer(uint8_t* buffer, size_t size = kBufferSize);

    virtual size_t GetDataSize() const;
    // Composes the frame and turns it into wire order; returns the data.
    uint8_t* GetFrame();
    // Takes received data in the buffer: measures the zero-terminated texts,
    // restores machine order, then calls Analyze.
    void Process();

    uint8_t* Data() { return data_; }
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    size_t FieldPosition(int index) const { return At(index).position; }
    size_t FieldLength(int index) const { return At(index).length; }
    Kind FieldKind(int index) const { return At(index).kind; }

    void SetNativeOrder(bool native) { nativeOrder_ = native; }
    bool NativeOrder() const { return nativeOrder_; }
    bool BCDError() const { return bcdError_; }
    void ClearBCDError() { bcdError_ = false; }

    void SetFieldAsShort(int index, int16_t value);
    int16_t GetFieldAsShort(int index) const;
    void SetFieldAsUChar(int index, uint8_t value);
    uint8_t GetFieldAsUChar(int index) const;
    void SetFieldAsInteger(int index, int32_t value);
    void SetFieldAsUInt(int index, uint32_t value);
    int32_t GetFieldAsInteger(int index) const;
    uint32_t GetFieldAsUInt(int index) const;
    void SetFieldAsI64(int index, int64_t value);
    void SetFieldAsUInt64(int index, uint64_t value);
    int64_t GetFieldAsI64(int index) const;
    uint64_t GetFieldAsUInt64(int index) const;
    void SetFieldAsString(int index, const std::string& text);
    std::string GetFieldAsString(int index) const;

  protected:
    // Fills the fields of a frame to send.
    virtual void Compose() = 0;
    // Reads the fields of received data; nothing in the base.
    virtual void Analyze() {}

  private:
    struct Field {
        size_t position;
        size_t length;
        Kind kind;
    };

    int Add(size_t length, Kind kind);
    const Field& At(int index) const;
    // The field's bytes, checked to lie inside the buffer.
    uint8_t* Bytes(const Field& f) const;
    // Lays the fields out one after the other from the buffer's start.
    void Relayout();
    void ReverseNumbers();
    void WriteLow(int index, uint64_t value, size_t width);
    uint64_t ReadLow(int index, size_t width, const char* name) const;

    std::array<uint8_t, kBufferSize> own_;
    uint8_t* data_ = nullptr;
    size_t size_;
    std::vector<Field> fields_;
    bool nativeOrder_ = false;
    mutable bool bcdError_ = false;
};

}  // namespace krv
