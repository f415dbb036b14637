#include "pinned_clock.h"

#include <cstdlib>
#include <cstring>
#include <sys/time.h>

namespace {

constexpr int MAX_STAMPS = 16;

struct ClockScript {
    bool pinned;
    time_t second;
    PinnedStamp stamps[MAX_STAMPS];
    int count;
    int taken;
};

ClockScript script;
bool environment_read = false;

// A preloaded copy has no test to pin it, so it pins itself from the
// environment on first use. No allocation: this may run before main.
void readEnvironment() {
    if (environment_read) {
        return;
    }
    environment_read = true;
    const char* second = getenv("PINNED_TIME");
    if (second == nullptr) {
        return;
    }
    script.pinned = true;
    script.second = static_cast<time_t>(strtoll(second, nullptr, 10));
    const char* cursor = getenv("PINNED_STAMPS");
    while (cursor != nullptr && *cursor != '\0' && script.count < MAX_STAMPS) {
        char* end = nullptr;
        PinnedStamp stamp{strtol(cursor, &end, 10), 0};
        if (*end == '.') {
            stamp.usec = strtol(end + 1, &end, 10);
        }
        script.stamps[script.count++] = stamp;
        cursor = *end == ',' ? end + 1 : nullptr;
    }
}

timespec realTime() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

} // namespace

void pinClock(time_t second, const std::vector<PinnedStamp>& stamps) {
    environment_read = true;
    script = ClockScript{};
    script.pinned = true;
    script.second = second;
    for (const PinnedStamp& stamp : stamps) {
        if (script.count < MAX_STAMPS) {
            script.stamps[script.count++] = stamp;
        }
    }
}

void unpinClock() {
    environment_read = true;
    script = ClockScript{};
}

int pinnedStampsTaken() {
    return script.taken;
}

extern "C" time_t time(time_t* out) noexcept {
    readEnvironment();
    time_t now = script.pinned ? script.second : realTime().tv_sec;
    if (out != nullptr) {
        *out = now;
    }
    return now;
}

extern "C" int gettimeofday(timeval* __restrict out, void* __restrict) noexcept {
    readEnvironment();
    if (script.pinned && script.count > 0) {
        int index = script.taken < script.count ? script.taken : script.count - 1;
        script.taken++;
        out->tv_sec = script.stamps[index].sec;
        out->tv_usec = script.stamps[index].usec;
        return 0;
    }
    timespec now = realTime();
    out->tv_sec = now.tv_sec;
    out->tv_usec = now.tv_nsec / 1000;
    return 0;
}
