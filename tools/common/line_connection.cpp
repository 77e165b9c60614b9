#include "line_connection.h"

#include <chrono>

namespace krv::tools {

IoResult LineConnection::ReadLine(int timeout_ms, std::string* line) {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    size_t scanned = 0;
    for (;;) {
        size_t lf = buffer_.find('\n', scanned);
        if (lf != std::string::npos) {
            size_t end = (lf > 0 && buffer_[lf - 1] == '\r') ? lf - 1 : lf;
            line->assign(buffer_, 0, end);
            buffer_.erase(0, lf + 1);
            return IoResult::kOk;
        }
        if (buffer_.size() > max_line_) return IoResult::kError;
        scanned = buffer_.size();
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return IoResult::kTimeout;
        IoResult r = Receive(socket_, static_cast<int>(left), &buffer_);
        if (r == IoResult::kTimeout) {
            if (Clock::now() >= deadline) return IoResult::kTimeout;
            continue;  // woken by a signal: wait on until the deadline
        }
        if (r != IoResult::kOk) return r;
    }
}

}  // namespace krv::tools
