#include "fakes/manual_clock.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace krv::test {

int64_t ManualClock::MonotonicMs() {
    std::lock_guard<std::mutex> lock(mutex_);
    const int64_t now = now_;
    now_ += onRead_;
    return now;
}

void ManualClock::SleepMs(int32_t ms) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sleeps_.push_back(ms);
    }
    Pass(ms);
}

double ManualClock::NowDateTime() {
    std::lock_guard<std::mutex> lock(mutex_);
    return startDate_ + static_cast<double>(now_) / 86400000.0;
}

bool ManualClock::WaitForChange(platform::DirectoryWatch&, int32_t ms) { return Pass(ms); }

void ManualClock::Advance(int64_t ms) { Pass(ms); }

void ManualClock::At(int64_t atMs, std::function<void()> action) {
    std::lock_guard<std::mutex> lock(mutex_);
    actions_.emplace(atMs, std::move(action));
}

void ManualClock::AdvanceOnRead(int64_t ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    onRead_ = ms;
}

void ManualClock::SetLimit(int64_t ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    limit_ = ms;
}

int64_t ManualClock::Elapsed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return now_;
}

std::vector<int32_t> ManualClock::Sleeps() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sleeps_;
}

bool ManualClock::Pass(int64_t ms) {
    bool ran = false;
    for (;;) {
        std::function<void()> action;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const int64_t target = now_ + (ms > 0 ? ms : 0);
            auto due = actions_.begin();
            if (due == actions_.end() || due->first > target) {
                now_ = target;
                if (now_ > limit_) {
                    ADD_FAILURE() << "the manual clock ran past " << limit_
                                  << " ms: a wait that never ends?";
                    throw std::runtime_error("manual clock past its limit");
                }
                return ran;
            }
            // The action's moment first, then the rest of the time.
            if (due->first > now_) {
                ms -= due->first - now_;
                now_ = due->first;
            }
            action = std::move(due->second);
            actions_.erase(due);
        }
        action();
        ran = true;
    }
}

}  // namespace krv::test
