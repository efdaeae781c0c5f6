#pragma once
// Port: the current time, so that scheduling and stamping can be tested.

#include <cstdint>

class IClock {
public:
    virtual ~IClock() = default;
    // Seconds since 1970-01-01 00:00 UTC.
    virtual int64_t Now() const = 0;
    // Milliseconds from any fixed start, never going back: for pauses
    // shorter than a second (the keys' idle time).
    virtual int64_t Milliseconds() const { return Now() * 1000; }
};

// The real clock.
class CSystemClock : public IClock {
public:
    int64_t Now() const override;
    int64_t Milliseconds() const override;
};
