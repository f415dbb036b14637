// cycle_collide64: one collision of the collision rows' sha256 on bits
// bits (default 64) on threads threads (default 2), from seed 1, printed
// as one JSON object with its wall time, calls and points: the search the
// report quotes past what its rows repeat. Minutes at 64 bits.
//
// Usage: cycle_collide64 [bits [threads [k=v,...]]]: the last, bench/run's
// context (its run, build and machine), goes into the object as "context".
#include "collision/collision_kernels.h"

#include "cycle/detect.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    const unsigned bits = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 64;
    const unsigned threads =
        argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 2;
    if (!collisionFunctionBuilt(COLLISION_SHA256)) {
        std::fprintf(stderr, "cycle_collide64: built without libcrypto\n");
        return 1;
    }
    try {
        cycle::CollisionOptions options;
        options.threads = threads;
        options.seed = 1;
        const auto begin = std::chrono::steady_clock::now();
        std::optional<cycle::Collision> c =
            cycle::findCollision(Sha256{lowMask(bits)}, bits, options);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        if (!c) {
            std::fprintf(stderr, "cycle_collide64: no collision within max_calls\n");
            return 1;
        }
        CollisionFound found{true, c->a, c->b, c->image, c->calls, c->points};
        std::printf("{\"context\": %s, \"bits\": %u, \"threads\": %u, \"a\": \"%016llx\", \"b\": "
                    "\"%016llx\", "
                    "\"image\": \"%016llx\", \"calls\": %llu, \"points\": %llu, \"seconds\": %.2f, "
                    "\"calls_ratio\": %.4f, \"verified\": %s}\n",
                    ("{" + contextMembers(argc > 3 ? argv[3] : "") + "}").c_str(), bits, threads,
                    static_cast<unsigned long long>(c->a), static_cast<unsigned long long>(c->b),
                    static_cast<unsigned long long>(c->image),
                    static_cast<unsigned long long>(c->calls),
                    static_cast<unsigned long long>(c->points), seconds,
                    static_cast<double>(c->calls) / birthdayCalls(bits),
                    isCollision(COLLISION_SHA256, bits, found) ? "true" : "false");
        return isCollision(COLLISION_SHA256, bits, found) ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cycle_collide64: %s\n", e.what());
        return 1;
    }
}
