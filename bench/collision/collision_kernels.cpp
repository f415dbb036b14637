#include "collision/collision_kernels.h"

#include "cycle/detect.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// A seed's first value, spread over the bits so that nearby seeds start
// far apart.
uint64_t firstValue(uint64_t seed, unsigned bits) {
    uint64_t z = seed * 0x9E3779B97F4A7C15u + 0x632BE59BD9B4E019u;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return (z ^ (z >> 31)) & lowMask(bits);
}

// One start's rho: the start's sequence enters its cycle at x_mu, reached
// from x_(mu-1) on the tail and x_(mu+lambda-1) on the cycle. A start on
// its own cycle (mu = 0) has no tail, and the next start is tried.
template <typename F> CollisionFound rho(F f, unsigned bits, uint64_t seed) {
    uint64_t calls = 0;
    auto counted = [&calls, f](const uint64_t& x) {
        calls++;
        return f(x);
    };
    for (uint64_t start = firstValue(seed, bits);; start = (start + 1) & lowMask(bits)) {
        cycle::Period<uint64_t> period = cycle::findPeriod(start, counted);
        if (period.mu == 0) {
            continue;
        }
        uint64_t a = start;
        for (int64_t i = 1; i < period.mu; i++) {
            a = counted(a);
        }
        uint64_t b = a;
        for (int64_t i = 0; i < period.lambda; i++) {
            b = counted(b);
        }
        return {true, a, b, period.entry, calls, 0};
    }
}

// The textbook birthday search: the images of start, start + 1, ... into a
// hash table of image to value, until an image is there already.
template <typename F> CollisionFound table(F f, unsigned bits, uint64_t seed) {
    std::unordered_map<uint64_t, uint64_t> seen;
    const uint64_t start = firstValue(seed, bits);
    const uint64_t values = lowMask(bits);
    for (uint64_t i = 0; i <= values; i++) {
        const uint64_t x = (start + i) & values;
        const uint64_t image = f(x);
        auto placed = seen.emplace(image, x);
        if (!placed.second) {
            return {true, placed.first->second, x, image, i + 1, 0};
        }
    }
    return {false, 0, 0, 0, values + 1, 0};
}

// Images of 2^ceil(bits/2) consecutive values, sorted by image and scanned
// for two alike; while none are, the next as many values are added and all
// sorted again.
template <typename F> CollisionFound sorted(F f, unsigned bits, uint64_t seed) {
    const uint64_t batch = uint64_t{1} << ((bits + 1) / 2);
    const uint64_t start = firstValue(seed, bits);
    const uint64_t values = lowMask(bits);
    std::vector<std::pair<uint64_t, uint64_t>> images;
    for (uint64_t next = 0; next <= values;) {
        for (uint64_t i = 0; i < batch && next <= values; i++, next++) {
            const uint64_t x = (start + next) & values;
            images.emplace_back(f(x), x);
        }
        std::sort(images.begin(), images.end());
        for (size_t i = 1; i < images.size(); i++) {
            if (images[i].first == images[i - 1].first) {
                return {true, images[i - 1].second, images[i].second, images[i].first, next, 0};
            }
        }
    }
    return {false, 0, 0, 0, values + 1, 0};
}

template <typename F> CollisionFound library(F f, unsigned bits, uint64_t seed, unsigned threads) {
    cycle::CollisionOptions options;
    options.threads = threads;
    options.seed = seed;
    std::optional<cycle::Collision> c = cycle::findCollision(f, bits, options);
    if (!c) {
        return {false, 0, 0, 0, 0, 0};
    }
    return {true, c->a, c->b, c->image, c->calls, c->points};
}

CollisionFound runRho(CollisionFunctionKind kind, unsigned bits, uint64_t seed) {
    return withCollisionFunction(kind, bits, [=](auto f) { return rho(f, bits, seed); });
}
CollisionFound runTable(CollisionFunctionKind kind, unsigned bits, uint64_t seed) {
    return withCollisionFunction(kind, bits, [=](auto f) { return table(f, bits, seed); });
}
CollisionFound runSorted(CollisionFunctionKind kind, unsigned bits, uint64_t seed) {
    return withCollisionFunction(kind, bits, [=](auto f) { return sorted(f, bits, seed); });
}
CollisionFound runLibrary(CollisionFunctionKind kind, unsigned bits, uint64_t seed) {
    return withCollisionFunction(kind, bits, [=](auto f) { return library(f, bits, seed, 1); });
}
CollisionFound runLibraryOnTwo(CollisionFunctionKind kind, unsigned bits, uint64_t seed) {
    return withCollisionFunction(kind, bits, [=](auto f) { return library(f, bits, seed, 2); });
}

} // namespace

const char* collisionFunctionName(CollisionFunctionKind kind) {
    return kind == COLLISION_MIX ? "mix" : "sha256";
}

bool collisionFunctionBuilt(CollisionFunctionKind kind) {
    return kind == COLLISION_MIX || sha256Built();
}

uint64_t collisionImage(CollisionFunctionKind kind, unsigned bits, uint64_t x) {
    return withCollisionFunction(kind, bits, [x](auto f) { return f(x); });
}

uint64_t collisionFloor(CollisionFunctionKind kind, unsigned bits, uint64_t start, uint64_t calls) {
    return withCollisionFunction(kind, bits, [=](auto f) {
        uint64_t x = start;
        for (uint64_t i = 0; i < calls; i++) {
            x = f(x);
        }
        return x;
    });
}

double birthdayCalls(unsigned bits) {
    return std::sqrt(3.14159265358979 / 2 * std::ldexp(1.0, static_cast<int>(bits)));
}

bool isCollision(CollisionFunctionKind kind, unsigned bits, const CollisionFound& found) {
    const uint64_t mask = lowMask(bits);
    return found.found && found.a != found.b && found.a <= mask && found.b <= mask &&
           collisionImage(kind, bits, found.a) == found.image &&
           collisionImage(kind, bits, found.b) == found.image;
}

const CollisionKernel COLLISION_KERNELS[] = {
    {"rho", runRho, 48, true},
    {"table", runTable, 40, true},
    {"sorted", runSorted, 40, true},
    {"findcollision", runLibrary, 64, true},
    {"findcollision_t2", runLibraryOnTwo, 64, false},
};
const size_t COLLISION_KERNEL_COUNT = sizeof(COLLISION_KERNELS) / sizeof(COLLISION_KERNELS[0]);

std::string contextMembers(const char* given) {
    std::string members;
    const std::string text = given == nullptr ? "" : given;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(',', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string item = text.substr(at, end - at);
        const size_t equals = item.find('=');
        if (equals != std::string::npos) {
            members += (members.empty() ? "\"" : ", \"") + item.substr(0, equals) + "\": \"" +
                       item.substr(equals + 1) + "\"";
        }
        at = end + 1;
    }
    return members;
}
