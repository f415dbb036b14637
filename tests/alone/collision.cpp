// collision.h alone: the search instantiated, on one thread and several.
#include <cycle/collision.h>

#include <cstdint>

uint64_t collisionAlone(unsigned bits, unsigned threads) {
    cycle::CollisionOptions options;
    options.threads = threads;
    const auto found = cycle::findCollision([](uint64_t x) { return x * x + 1; }, bits, options);
    return found ? found->a ^ found->b : 0;
}
