#include "common/node_sets.h"

#include <algorithm>
#include <cpuid.h>
#include <cstdio>
#include <cstdlib>
#include <err.h>
#include <immintrin.h>
#include <map>
#include <random>
#include <sys/mman.h>

const Layout WARM[2] = {{"sequential", false, false}, {"scattered", true, false}};
const Layout COLD[2] = {{"sequential_cold", false, true}, {"scattered_cold", true, true}};

std::string shapeName(ListShape shape) {
    switch (shape.kind) {
    case SHAPE_LINEAR:
        return "linear";
    case SHAPE_HEAD:
        return "head";
    case SHAPE_MIDDLE:
        return "middle";
    case SHAPE_SELF:
        return "self";
    case SHAPE_SWEEP:
        break;
    }
    return "k" + std::to_string(shape.percent);
}

int64_t tailTarget(ListShape shape, int64_t n) {
    switch (shape.kind) {
    case SHAPE_LINEAR:
        return -1;
    case SHAPE_HEAD:
        return 0;
    case SHAPE_MIDDLE:
        return n / 2;
    case SHAPE_SELF:
        return n - 1;
    case SHAPE_SWEEP:
        break;
    }
    return shape.percent * (n - 1) / 100;
}

// The size-n node set in allocation order, made on first use.
static const std::vector<Node*>& nodeSet(int64_t n) {
    static std::map<int64_t, std::vector<Node*>> sets;
    std::vector<Node*>& nodes = sets[n];
    if (nodes.empty()) {
        nodes.resize(static_cast<size_t>(n));
        for (int64_t i = 0; i < n; i++) {
            Node* node = static_cast<Node*>(malloc(sizeof(Node)));
            if (node == nullptr) {
                errx(1, "cannot allocate a set of %lld list nodes", static_cast<long long>(n));
            }
            node->val = static_cast<int32_t>(i % 10000 + 1);
            node->next = nullptr;
            nodes[static_cast<size_t>(i)] = node;
        }
    }
    return nodes;
}

// Shuffles order into the scattered layout's one fixed permutation.
static void scatter(std::vector<Node*>& order, int64_t n) {
    std::mt19937_64 generator(static_cast<uint64_t>(n));
    std::shuffle(order.begin(), order.end(), generator);
}

// The size-n node set on huge pages, in allocation order, made on first use.
static const std::vector<Node*>& hugeNodeSet(int64_t n) {
    static std::map<int64_t, std::vector<Node*>> sets;
    std::vector<Node*>& nodes = sets[n];
    if (nodes.empty()) {
        const size_t huge = size_t{2} << 20;
        const size_t stride = 32;
        size_t bytes = static_cast<size_t>(n) * stride + huge;
        void* region =
            mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (region == MAP_FAILED) {
            errx(1, "cannot map %zu bytes for a set of list nodes on huge pages", bytes);
        }
        uintptr_t base = (reinterpret_cast<uintptr_t>(region) + huge - 1) & ~(huge - 1);
        madvise(reinterpret_cast<void*>(base), bytes - huge, MADV_HUGEPAGE);
        for (int64_t i = 0; i < n; i++) {
            Node* node = reinterpret_cast<Node*>(base + static_cast<size_t>(i) * stride);
            node->val = static_cast<int32_t>(i % 10000 + 1);
            node->next = nullptr;
            nodes.push_back(node);
        }
    }
    return nodes;
}

const std::vector<Node*>& hugeLinkOrder(int64_t n, Layout layout) {
    if (!layout.scattered) {
        return hugeNodeSet(n);
    }
    static std::map<int64_t, std::vector<Node*>> shuffled;
    std::vector<Node*>& order = shuffled[n];
    if (order.empty()) {
        order = hugeNodeSet(n);
        scatter(order, n);
    }
    return order;
}

const std::vector<Node*>& linkOrder(int64_t n, Layout layout) {
    if (!layout.scattered) {
        return nodeSet(n);
    }
    static std::map<int64_t, std::vector<Node*>> shuffled;
    std::vector<Node*>& order = shuffled[n];
    if (order.empty()) {
        order = nodeSet(n);
        scatter(order, n);
    }
    return order;
}

BenchList linkShape(const std::vector<Node*>& order, int64_t target) {
    size_t n = order.size();
    for (size_t i = 0; i + 1 < n; i++) {
        order[i]->next = order[i + 1];
    }
    order[n - 1]->next = target >= 0 ? order[static_cast<size_t>(target)] : nullptr;
    return BenchList{order[0], order.data(), static_cast<int64_t>(n)};
}

__attribute__((target("clflushopt"))) static void
flushWithClflushopt(const std::vector<Node*>& order) {
    for (Node* node : order) {
        _mm_clflushopt(node);
    }
    _mm_sfence();
}

static bool hasClflushopt() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0 && (ebx & bit_CLFLUSHOPT) != 0;
}

void flushNodes(const std::vector<Node*>& order) {
    static const bool clflushopt = hasClflushopt();
    if (clflushopt) {
        flushWithClflushopt(order);
        return;
    }
    static std::vector<char> buffer(size_t{256} << 20);
    volatile char sink = 0;
    for (size_t i = 0; i < buffer.size(); i += 64) {
        buffer[i]++;
        sink = sink + buffer[i];
    }
}
