#include "ports/Clock.h"

#include <chrono>
#include <ctime>

int64_t CSystemClock::Now() const { return static_cast<int64_t>(std::time(nullptr)); }

int64_t CSystemClock::Milliseconds() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
