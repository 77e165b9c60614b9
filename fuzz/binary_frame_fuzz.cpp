// Binary frames as received: the first bytes choose the field layout, the
// rest is the data; Process() and then every accessor on every field. Only
// the library's own exceptions may come out.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "support/binary_frame.h"
#include "support/exception.h"

namespace {

class Frame : public krv::TBinaryFrame {
  public:
    using TBinaryFrame::TBinaryFrame;

  protected:
    void Compose() override {}
};

template <typename F>
void Try(F f) {
    try {
        f();
    } catch (const krv::Exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    size_t fields = data[0] % 12;
    size_t at = 1;
    std::vector<std::pair<uint8_t, uint8_t>> layout;
    for (size_t i = 0; i < fields && at + 1 < size; ++i, at += 2)
        layout.push_back({data[at], data[at + 1]});
    std::vector<uint8_t> buffer(data + at, data + size);
    if (buffer.empty()) buffer.push_back(0);
    Frame f(buffer.data(), buffer.size());
    Frame* frame = &f;
    for (const auto& field : layout) {
        uint8_t kind = field.first;
        size_t n = field.second % 12;
        Try([&] {
            switch (kind % 4) {
                case 0: frame->AddField(n); break;
                case 1: frame->AddTextField(n); break;
                case 2: frame->AddBCDField(n); break;
                default: frame->AddTextField(0); break;
            }
        });
    }
    frame->SetNativeOrder(data[0] & 0x80);
    Try([&] { frame->Process(); });
    for (int i = 0; i < frame->FieldCount(); ++i) {
        Try([&] { frame->GetFieldAsShort(i); });
        Try([&] { frame->GetFieldAsUChar(i); });
        Try([&] { frame->GetFieldAsInteger(i); });
        Try([&] { frame->GetFieldAsUInt(i); });
        Try([&] { frame->GetFieldAsI64(i); });
        Try([&] { frame->GetFieldAsUInt64(i); });
        Try([&] { frame->GetFieldAsString(i); });
        Try([&] { frame->SetFieldAsString(i, "12345678901234567890"); });
        Try([&] { frame->SetFieldAsInteger(i, -1); });
    }
    Try([&] { frame->GetFrame(); });
    return 0;
}
