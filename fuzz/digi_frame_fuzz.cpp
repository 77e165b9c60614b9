// The DIGI frame decoder of the scale simulator, on any bytes: it must never
// read past its input, and a write frame it accepts must encode back to a
// frame that decodes to the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "digi_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace krv::tools::digi;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    size_t frame_size = FrameSize(bytes);
    if (frame_size != 0 && frame_size != SIZE_MAX && frame_size < 2) std::abort();
    std::string error;
    std::optional<Frame> frame = Decode(bytes, &error);
    if (!frame) {
        if (error.empty()) std::abort();  // every refusal says why
        return 0;
    }
    if (frame->kind != Frame::Kind::kWrite) return 0;
    std::string again = EncodeWrite(frame->record);
    std::optional<Frame> back = Decode(again, &error);
    if (!back || !(back->record == frame->record)) std::abort();
    return 0;
}
