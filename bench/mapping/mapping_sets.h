// The mappings the mapping rows run on: uint32_t tables i -> next[i] of m
// elements, made once per shape and size from a fixed seed. A root's entry
// is ROOT (-1 as a signed table would hold it).
#ifndef CYCLE_BENCH_MAPPING_SETS_H
#define CYCLE_BENCH_MAPPING_SETS_H

#include <cstdint>
#include <vector>

constexpr uint32_t ROOT = 0xFFFFFFFFu;

// random: a uniform random mapping; permutation: a random permutation, every
// element on a cycle; forest: a parent array, each element's parent a random
// earlier one in a shuffled order, one root; forest_loop: the same with the
// root pointed into its own tree; chain: one list in random memory order
// ending at a root, one dependent chain.
enum MapShape { MAP_RANDOM, MAP_PERMUTATION, MAP_FOREST, MAP_FOREST_LOOP, MAP_CHAIN };
const char* mapShapeName(MapShape shape);

// The table of shape with m elements; the same object until another shape or
// size is asked for (one table is kept at a time).
const std::vector<uint32_t>& mapping(MapShape shape, uint64_t m);

#endif
