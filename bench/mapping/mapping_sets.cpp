#include "mapping/mapping_sets.h"

#include <algorithm>
#include <numeric>
#include <random>

const char* mapShapeName(MapShape shape) {
    switch (shape) {
    case MAP_RANDOM:
        return "random";
    case MAP_PERMUTATION:
        return "permutation";
    case MAP_FOREST:
        return "forest";
    case MAP_FOREST_LOOP:
        return "forest_loop";
    case MAP_CHAIN:
        break;
    }
    return "chain";
}

static std::vector<uint32_t> makeMapping(MapShape shape, uint64_t m) {
    std::mt19937_64 random(0x5eed + m * 8 + shape);
    std::vector<uint32_t> next(m);
    if (shape == MAP_RANDOM) {
        for (uint32_t& entry : next) {
            entry = static_cast<uint32_t>(random() % m);
        }
        return next;
    }
    std::vector<uint32_t> order(m);
    std::iota(order.begin(), order.end(), 0u);
    std::shuffle(order.begin(), order.end(), random);
    for (uint64_t i = 0; i < m; i++) {
        switch (shape) {
        case MAP_PERMUTATION:
            next[i] = order[i];
            break;
        case MAP_FOREST:
        case MAP_FOREST_LOOP:
            next[order[i]] = i == 0 ? ROOT : order[random() % i];
            break;
        default:
            next[order[i]] = i + 1 < m ? order[i + 1] : ROOT;
            break;
        }
    }
    if (shape == MAP_FOREST_LOOP) {
        next[order[0]] = order[random() % m];
    }
    return next;
}

const std::vector<uint32_t>& mapping(MapShape shape, uint64_t m) {
    static std::vector<uint32_t> kept;
    static MapShape kept_shape = MAP_RANDOM;
    static uint64_t kept_m = 0;
    if (kept_m != m || kept_shape != shape) {
        kept = std::vector<uint32_t>();
        kept = makeMapping(shape, m);
        kept_shape = shape;
        kept_m = m;
    }
    return kept;
}
