#pragma once
// Port: the current time, so that scheduling and stamping can be tested.

#include <cstdint>

class IClock {
public:
    virtual ~IClock() = default;
    // Seconds since 1970-01-01 00:00 UTC.
    virtual int64_t Now() const = 0;
};

// The real clock.
class CSystemClock : public IClock {
public:
    int64_t Now() const override;
};
