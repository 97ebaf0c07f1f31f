// What a run needs of the platform: the clock, a yield to the event loop, the hourglass.
#pragma once

namespace kestle {

// Seconds from a monotonic clock: no wrap at midnight, sub-millisecond resolution.
double clock_seconds();

// Lets the event loop handle what is pending (and paint), then returns.
void yield_events();

// The hourglass pointer while it lives; nested ones are fine.
class Hourglass {
public:
    Hourglass();
    ~Hourglass();
    Hourglass(const Hourglass &) = delete;
    Hourglass &operator=(const Hourglass &) = delete;
};

} // namespace kestle
