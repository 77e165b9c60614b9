#include "digi_session.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace krv::scalesim {
namespace {

using tools::IoResult;
using tools::digi::Frame;

constexpr int kSliceMs = 100;  // how often a waiting scale looks at the stop flag
// A delete frame has no length: it ends where the sender stops to wait for
// the answer. Bytes that arrive within this pause still belong to it.
constexpr int kQuietMs = 30;
constexpr int kWriteTimeoutMs = 5000;

bool Pause(int ms, const volatile std::sig_atomic_t& stop) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 20)));
    return !stop;
}

// The answer a --reject rule sets for one of the PLUs, or -1.
int RejectedAnswer(const std::vector<uint32_t>& plus, const Options& options) {
    for (uint32_t plu : plus)
        for (const RejectRule& rule : options.rejects)
            if (static_cast<uint32_t>(rule.plu) == plu) return rule.answer_byte;
    return -1;
}

// Reads until buffer holds a whole frame; false when the connection ended or
// a stop was requested.
bool ReadFrame(const tools::Socket& s, std::string* buffer, std::string* frame,
               const volatile std::sig_atomic_t& stop) {
    for (;;) {
        size_t size = tools::digi::FrameSize(*buffer);
        if (size == SIZE_MAX) {
            // Take in what still comes until the sender pauses.
            IoResult r;
            while ((r = tools::Receive(s, kQuietMs, buffer)) == IoResult::kOk) {
            }
            if (r != IoResult::kTimeout && buffer->empty()) return false;
            *frame = std::move(*buffer);
            buffer->clear();
            return true;
        }
        if (size > 0 && buffer->size() >= size) {
            *frame = buffer->substr(0, size);
            buffer->erase(0, size);
            return true;
        }
        if (stop) return false;
        IoResult r = tools::Receive(s, kSliceMs, buffer);
        if (r == IoResult::kClosed || r == IoResult::kError) return false;
    }
}

}  // namespace

unsigned char ApplyDigiFrame(std::string_view bytes, DigiSessionContext& ctx) {
    std::string error;
    std::optional<Frame> frame = tools::digi::Decode(bytes, &error);
    if (!frame) {
        ctx.log("frame refused (" + error + "): " + tools::digi::Hex(bytes.substr(0, 16)) +
                (bytes.size() > 16 ? " ..." : ""));
        return tools::digi::kNak;
    }
    std::vector<uint32_t> plus = frame->kind == Frame::Kind::kWrite
                                     ? std::vector<uint32_t>{frame->record.plu}
                                     : frame->deleted;
    if (int answer = RejectedAnswer(plus, ctx.options); answer >= 0) {
        ctx.log("PLU " + std::to_string(plus.front()) + " answered with byte " +
                std::to_string(answer));
        return static_cast<unsigned char>(answer);
    }
    switch (frame->kind) {
        case Frame::Kind::kWrite:
            ctx.table.Put(frame->record, std::string(bytes));
            ctx.log("PLU " + std::to_string(frame->record.plu) + " stored");
            break;
        case Frame::Kind::kDelete:
            for (uint32_t plu : frame->deleted)
                ctx.log("PLU " + std::to_string(plu) +
                        (ctx.table.Erase(plu) ? " deleted" : " deleted (was not held)"));
            break;
        case Frame::Kind::kClear:
            ctx.table.Clear();
            ctx.log("PLU file cleared");
            break;
    }
    ctx.save();
    return tools::digi::kAck;
}

void ServeDigiClient(const tools::Socket& socket, DigiSessionContext& ctx) {
    std::string buffer, frame;
    int answered = 0;
    while (ReadFrame(socket, &buffer, &frame, ctx.stop)) {
        if (ctx.options.mute) continue;
        if (ctx.options.delay_ms > 0 && !Pause(ctx.options.delay_ms, ctx.stop)) return;
        std::string answer(1, static_cast<char>(ApplyDigiFrame(frame, ctx)));
        if (tools::SendAll(socket, answer, kWriteTimeoutMs) != IoResult::kOk) return;
        if (ctx.options.drop_after > 0 && ++answered >= ctx.options.drop_after) {
            ctx.log("dropping the connection after " + std::to_string(answered) + " answers");
            return;
        }
    }
}

}  // namespace krv::scalesim
