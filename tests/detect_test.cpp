// The header library against a brute-force truth, on three node types: next
// first, next after a payload, and a list of indices held in a vector. Every
// detector must give the right verdict, findCycle the exact entry, mu and
// lambda, within the stated bounds, never calling next on nullptr and never
// changing the list.
#include "cycle/detect.h"

#include "call_bounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace {

struct LinkFirst {
    LinkFirst* next;
    int32_t payload;
};

struct LinkAfterPayload {
    char payload[40];
    const LinkAfterPayload* next;
};

// A random memory order for a list of n nodes: list index i is element
// order[i] of the storage.
std::vector<size_t> randomOrder(int64_t n, std::mt19937_64& random) {
    std::vector<size_t> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), size_t{0});
    std::shuffle(order.begin(), order.end(), random);
    return order;
}

// n nodes linked in a random memory order, the tail to the k-th node of the
// list, or to nothing when k < 0. Index i of the list is nodes[order[i]].
template <typename Node> struct PointerList {
    std::vector<Node> nodes;
    std::vector<size_t> order;

    PointerList(int64_t n, int64_t k, std::mt19937_64& random)
        : nodes(n), order(randomOrder(n, random)) {
        for (int64_t i = 0; i < n; i++) {
            nodes[order[i]].next = i + 1 < n ? at(i + 1) : (k >= 0 ? at(k) : nullptr);
        }
    }
    Node* at(int64_t i) {
        return &nodes[order[i]];
    }
    const Node* head() {
        return nodes.empty() ? nullptr : at(0);
    }
    std::vector<const void*> links() const {
        std::vector<const void*> links;
        for (const Node& node : nodes) {
            links.push_back(node.next);
        }
        return links;
    }
    static auto next() {
        return [](const Node* node) { return node->next; };
    }
};

// The same shapes as a vector of successor indices (-1 ends the list); a node
// is a pointer into the vector.
struct IndexList {
    std::vector<int32_t> successor;
    std::vector<size_t> order;

    IndexList(int64_t n, int64_t k, std::mt19937_64& random)
        : successor(n), order(randomOrder(n, random)) {
        for (int64_t i = 0; i < n; i++) {
            size_t following = i + 1 < n ? order[i + 1] : (k >= 0 ? order[k] : SIZE_MAX);
            successor[order[i]] = following == SIZE_MAX ? -1 : static_cast<int32_t>(following);
        }
    }
    const int32_t* at(int64_t i) const {
        return &successor[order[i]];
    }
    const int32_t* head() const {
        return successor.empty() ? nullptr : at(0);
    }
    std::vector<int32_t> links() const {
        return successor;
    }
    auto next() const {
        const int32_t* base = successor.data();
        return [base](const int32_t* node) { return *node < 0 ? nullptr : base + *node; };
    }
};

// Wraps next to count its calls and to fail the test if it is given nullptr.
template <typename Next> auto counted(Next next, int64_t& calls) {
    return [next, &calls](auto node) {
        if (node == nullptr) {
            ADD_FAILURE() << "next was called on nullptr";
            return decltype(next(node)){nullptr};
        }
        calls++;
        return next(node);
    };
}

// Every detector on one shape of list type List, against the truth: n nodes,
// the tail to index k (mu = k, lambda = n - k), or linear when k < 0.
template <typename List> void checkShape(List& list, int64_t n, int64_t k) {
    SCOPED_TRACE("n = " + std::to_string(n) + ", k = " + std::to_string(k));
    const bool cyclic = k >= 0;
    const int64_t mu = cyclic ? k : n;
    const int64_t lambda = cyclic ? n - k : 0;
    const auto before = list.links();
    auto next = list.next();

    int64_t calls = 0;
    EXPECT_EQ(cycle::hasCycle(list.head(), counted(next, calls)), cyclic);
    const int64_t sighting = calls;
    EXPECT_EQ(calls, cyclic ? calls : hasCycleLinearCalls(n))
        << "hasCycle walks a linear list once";
    if (cyclic) {
        EXPECT_GE(calls, mu + lambda) << "hasCycle stopped before a node came round";
        EXPECT_LE(calls, hasCycleBound(mu, lambda)) << "hasCycle";
    }

    calls = 0;
    EXPECT_EQ(cycle::floyd(list.head(), counted(next, calls)), cyclic);
    EXPECT_LE(calls, cyclic ? 3 * (mu + lambda) : 3 * n / 2 + 1) << "floyd";
    calls = 0;
    EXPECT_EQ(cycle::brent(list.head(), counted(next, calls)), cyclic);
    EXPECT_EQ(calls, cyclic ? calls : n);
    EXPECT_LE(calls, cyclic ? brentBound(mu, lambda) : n) << "brent";
    calls = 0;
    EXPECT_EQ(cycle::nivasch(list.head(), counted(next, calls)), cyclic);
    EXPECT_LE(calls, cyclic ? mu + 2 * lambda : n) << "nivasch";

    calls = 0;
    cycle::Cycle<std::remove_cv_t<std::remove_pointer_t<decltype(list.head())>>> found =
        cycle::findCycle(list.head(), counted(next, calls));
    EXPECT_EQ(found.entry, cyclic ? list.at(k) : nullptr);
    EXPECT_EQ(found.mu, mu);
    EXPECT_EQ(found.lambda, lambda);
    EXPECT_LE(calls, findCycleBound(sighting, mu, lambda)) << "findCycle";

    EXPECT_EQ(list.links(), before) << "a detector changed the list";
}

template <typename List> class DetectorsOn : public testing::Test {};
using ListTypes = testing::Types<PointerList<LinkFirst>, PointerList<LinkAfterPayload>, IndexList>;
TYPED_TEST_SUITE(DetectorsOn, ListTypes);

TYPED_TEST(DetectorsOn, EveryShapeOfSmallLists) {
    std::mt19937_64 random(1);
    for (int64_t n = 0; n <= 40; n++) {
        for (int64_t k = -1; k < n; k++) {
            TypeParam list(n, k, random);
            checkShape(list, n, k);
        }
    }
}

TYPED_TEST(DetectorsOn, RandomShapesUpToAHundredThousandNodes) {
    std::mt19937_64 random(2);
    for (int trial = 0; trial < 60; trial++) {
        int64_t n = std::uniform_int_distribution<int64_t>(1, trial < 50 ? 5000 : 100000)(random);
        int64_t k = std::uniform_int_distribution<int64_t>(-1, n - 1)(random);
        TypeParam list(n, k, random);
        checkShape(list, n, k);
    }
}

// hasCycle and findCycle within their bounds, and findCycle exact, on every
// list of up to 1,100 nodes whose cycle starts among the first 64 (the lists
// whose repeat may be a node saved before the table was built, which must
// then measure lambda again), and on every shape of up to 460 nodes (where
// the hare's stretch hands over to the table at every point of a lap).
TEST(FindCycle, KeepsItsBoundWhereTheCycleStartsEarly) {
    std::vector<int32_t> successor(1100);
    auto next = [&successor](const int32_t* at) -> const int32_t* {
        return *at < 0 ? nullptr : &successor[static_cast<size_t>(*at)];
    };
    for (int64_t n = 1; n <= 1100; n++) {
        for (int64_t i = 0; i + 1 < n; i++) {
            successor[i] = static_cast<int32_t>(i + 1);
        }
        for (int64_t k = 0; k < std::min<int64_t>(n, n <= 460 ? n : 64); k++) {
            successor[n - 1] = static_cast<int32_t>(k);
            int64_t sighting = 0;
            ASSERT_TRUE(cycle::hasCycle(&successor[0], counted(next, sighting)));
            ASSERT_LE(sighting, hasCycleBound(k, n - k)) << "n = " << n << ", k = " << k;
            int64_t calls = 0;
            cycle::Cycle<int32_t> found = cycle::findCycle(&successor[0], counted(next, calls));
            ASSERT_EQ(found.mu, k) << "n = " << n;
            ASSERT_EQ(found.lambda, n - k) << "n = " << n;
            ASSERT_LE(calls, findCycleBound(sighting, k, n - k)) << "n = " << n << ", k = " << k;
        }
    }
}

// Shared slots may cost a checkpoint, but on the whole hasCycle stops within
// a gap of the first repeat: past mu + lambda by under a 31st, on average.
TEST(HasCycle, OvershootsALapByLessThanAGapOnAverage) {
    std::mt19937_64 random(3);
    double overshoot = 0;
    const int trials = 200;
    for (int trial = 0; trial < trials; trial++) {
        int64_t n = std::uniform_int_distribution<int64_t>(1000, 50000)(random);
        int64_t k = std::uniform_int_distribution<int64_t>(0, n - 1)(random);
        PointerList<LinkFirst> list(n, k, random);
        int64_t calls = 0;
        ASSERT_TRUE(cycle::hasCycle(list.head(), counted(list.next(), calls)));
        overshoot += static_cast<double>(calls - n) / static_cast<double>(n) / trials;
    }
    EXPECT_LT(overshoot, 1.0 / 31);
}

// Nodes that all fall into one bucket of the checkpoint table, as an
// unlucky allocator could give: the walk must still catch a short cycle
// within a gap of its first repeat (a new checkpoint gets in unless its
// bucket holds two anchors), and findCycle must still measure every cycle
// exactly (a node pushed out of its bucket may be saved twice).
// The bucket of a node in the largest table a list walk makes; it is in the
// same bucket in every smaller table too.
int64_t bucketOf(const void* node) {
    uint64_t key = cycle::detail::spreadKey(reinterpret_cast<uintptr_t>(node));
    return static_cast<int64_t>(key >> (64 - cycle::detail::ListCheckpoints<LinkFirst>::MOST_BITS));
}

struct Crowd {
    std::vector<LinkFirst> pool;
    std::vector<LinkFirst*> crowded;
};

const Crowd& crowd() {
    static Crowd crowd{std::vector<LinkFirst>(600000), {}};
    if (crowd.crowded.empty()) {
        const int64_t home = bucketOf(&crowd.pool[0]);
        for (LinkFirst& node : crowd.pool) {
            if (bucketOf(&node) == home) {
                crowd.crowded.push_back(&node);
            }
        }
    }
    return crowd;
}

// Links nodes into a list whose tail goes to index k; returns the head.
LinkFirst* linkList(const std::vector<LinkFirst*>& nodes, int64_t k) {
    for (size_t i = 0; i + 1 < nodes.size(); i++) {
        nodes[i]->next = nodes[i + 1];
    }
    nodes.back()->next = nodes[k];
    return nodes[0];
}

TEST(CrowdedBucket, StillCatchesAShortCycleWithinAGap) {
    const Crowd& all = crowd();
    std::vector<LinkFirst*> others;
    for (const LinkFirst& node : all.pool) {
        if (bucketOf(&node) != bucketOf(all.crowded[0])) {
            others.push_back(const_cast<LinkFirst*>(&node));
        }
    }
    for (int64_t lambda : {1, 2, 3}) {
        for (int64_t n : {int64_t{4097}, int64_t{5000}, int64_t{20001}}) {
            // Every 16th node before the cycle, and the cycle's, crowd one bucket.
            std::vector<LinkFirst*> nodes;
            size_t next_crowded = 0;
            for (int64_t i = 0; i < n; i++) {
                bool crowded = i % 16 == 0 || i >= n - lambda;
                nodes.push_back(crowded ? all.crowded[next_crowded++] : others[i]);
            }
            const int64_t mu = n - lambda;
            LinkFirst* head = linkList(nodes, mu);
            SCOPED_TRACE("n = " + std::to_string(n) + ", lambda = " + std::to_string(lambda));
            int64_t calls = 0;
            EXPECT_TRUE(cycle::hasCycle(head, counted(PointerList<LinkFirst>::next(), calls)));
            EXPECT_LE(calls, n + n / 31 + lambda + 112) << "waited for an anchor";
            cycle::Cycle<LinkFirst> found = cycle::findCycle(head, PointerList<LinkFirst>::next());
            EXPECT_EQ(found.entry, nodes[mu]);
            EXPECT_EQ(found.mu, mu);
            EXPECT_EQ(found.lambda, lambda);
        }
    }
}

TEST(CrowdedBucket, FindCycleIsExactWhenEveryNodeSharesOneBucket) {
    const Crowd& all = crowd();
    const int64_t n = 700;
    ASSERT_GE(static_cast<int64_t>(all.crowded.size()), n);
    std::vector<LinkFirst*> nodes(all.crowded.begin(), all.crowded.begin() + n);
    for (int64_t k = 0; k < n; k++) {
        LinkFirst* head = linkList(nodes, k);
        int64_t calls = 0;
        cycle::Cycle<LinkFirst> found =
            cycle::findCycle(head, counted(PointerList<LinkFirst>::next(), calls));
        ASSERT_EQ(found.mu, k);
        ASSERT_EQ(found.lambda, n - k);
        ASSERT_EQ(found.entry, nodes[k]);
        calls = 0;
        EXPECT_TRUE(cycle::hasCycle(head, counted(PointerList<LinkFirst>::next(), calls)));
        EXPECT_LE(calls, hasCycleBound(k, n - k));
    }
}

// The stated bounds whatever the addresses: every shape with mu and lambda up
// to 300 on nodes that all share one bucket, where the table keeps little
// beside its anchors. The first stretch's anchor (position 128) is checked
// only from the table's build on; a cycle that brings it round just before
// that, then pushes the checkpoints after it out, must still be caught by
// it within the bound.
TEST(CrowdedBucket, EveryBoundHoldsForEveryShapeUpToThreeHundred) {
    const Crowd& all = crowd();
    ASSERT_GE(all.crowded.size(), size_t{600});
    std::vector<LinkFirst*> nodes(all.crowded.begin(), all.crowded.begin() + 600);
    int64_t over = 0;
    for (int64_t mu = 0; mu <= 300; mu++) {
        for (int64_t lambda = 1; lambda <= 300; lambda++) {
            std::vector<LinkFirst*> shape(nodes.begin(), nodes.begin() + mu + lambda);
            LinkFirst* head = linkList(shape, mu);
            int64_t sighting = 0;
            ASSERT_TRUE(cycle::hasCycle(head, counted(PointerList<LinkFirst>::next(), sighting)));
            int64_t calls = 0;
            cycle::Cycle<LinkFirst> found =
                cycle::findCycle(head, counted(PointerList<LinkFirst>::next(), calls));
            ASSERT_EQ(found.entry, shape[mu]);
            ASSERT_EQ(found.mu, mu);
            ASSERT_EQ(found.lambda, lambda);
            const bool within = sighting <= hasCycleBound(mu, lambda) &&
                                calls <= findCycleBound(sighting, mu, lambda);
            over += within ? 0 : 1;
            EXPECT_TRUE(within || over > 3) << "mu = " << mu << ", lambda = " << lambda << ": "
                                            << sighting << " and " << calls << " calls";
        }
    }
    EXPECT_EQ(over, 0) << "shapes over a stated bound";
}

// Nodes placed so that one of Nivasch's stacks fills in the cycle's second
// lap (mu, then lambda = 100 nodes of one stack, its smallest value half way
// round and the values before it larger than those after): the walk hands
// over to Brent's method and must still keep its stated total.
class NivaschHandOver : public testing::TestWithParam<int64_t> {};

TEST_P(NivaschHandOver, KeepsTheTotalBound) {
    const int64_t mu = GetParam();
    const int64_t lambda = 100;
    std::vector<LinkFirst> pool(20000);
    const LinkFirst* head = &pool[0];
    auto stackOf = [head](const LinkFirst* node) {
        return cycle::detail::nivaschValue(node, head) >> (64 - cycle::detail::NIVASCH_STACK_BITS);
    };
    const uint64_t crowded = (stackOf(head) + 1) % cycle::detail::NIVASCH_STACKS;
    std::vector<LinkFirst*> ring;
    std::vector<LinkFirst*> tail{&pool[0]};
    for (LinkFirst& node : pool) {
        if (&node != head && stackOf(&node) == crowded) {
            if (static_cast<int64_t>(ring.size()) < lambda) {
                ring.push_back(&node);
            }
        } else if (&node != head && static_cast<int64_t>(tail.size()) < mu) {
            tail.push_back(&node);
        }
    }
    ASSERT_EQ(static_cast<int64_t>(ring.size()), lambda);
    std::sort(ring.begin(), ring.end(), [head](const LinkFirst* a, const LinkFirst* b) {
        return cycle::detail::nivaschValue(a, head) < cycle::detail::nivaschValue(b, head);
    });
    // Round the cycle: the 50 largest values, the smallest, then the rest.
    std::vector<LinkFirst*> nodes(tail.begin(), tail.end());
    nodes.insert(nodes.end(), ring.begin() + lambda / 2, ring.end());
    nodes.push_back(ring[0]);
    nodes.insert(nodes.end(), ring.begin() + 1, ring.begin() + lambda / 2);
    LinkFirst* first = linkList(nodes, mu);
    int64_t calls = 0;
    EXPECT_TRUE(cycle::nivasch(first, counted(PointerList<LinkFirst>::next(), calls)));
    EXPECT_GT(calls, mu + 2 * lambda) << "no stack filled: the layout is not the one meant";
    EXPECT_LE(calls, std::max(2 * mu + lambda, mu + 5 * lambda));
}

INSTANTIATE_TEST_SUITE_P(Tails, NivaschHandOver, testing::Values(1, 40, 300));

// A next that returns Node* rather than const Node* works as well.
TEST(HasCycle, TakesANextReturningAMutableNode) {
    std::vector<LinkFirst> nodes(3);
    nodes[0].next = &nodes[1];
    nodes[1].next = &nodes[2];
    nodes[2].next = &nodes[1];
    auto next = [](const LinkFirst* node) -> LinkFirst* { return node->next; };
    EXPECT_TRUE(cycle::hasCycle(&nodes[0], next));
    cycle::Cycle<LinkFirst> found = cycle::findCycle(&nodes[0], next);
    EXPECT_EQ(found.entry, &nodes[1]);
    EXPECT_EQ(found.mu, 1);
    EXPECT_EQ(found.lambda, 2);
}

TEST(FindCycle, GivesZerosForAnEmptyList) {
    cycle::Cycle<LinkFirst> found =
        cycle::findCycle(static_cast<const LinkFirst*>(nullptr), PointerList<LinkFirst>::next());
    EXPECT_EQ(found.entry, nullptr);
    EXPECT_EQ(found.mu, 0);
    EXPECT_EQ(found.lambda, 0);
}

// hasCycleEach against hasCycle on thousands of lists, some empty, with the
// number in flight below, at and above the number of lists.
class HasCycleEach : public testing::TestWithParam<size_t> {};

TEST_P(HasCycleEach, AgreesWithHasCycleOnEveryList) {
    std::mt19937_64 random(4 + GetParam());
    std::vector<PointerList<LinkFirst>> lists;
    std::vector<const LinkFirst*> heads;
    const size_t count = GetParam() == 1 ? 300 : 3000;
    for (size_t i = 0; i < count; i++) {
        int64_t n = std::uniform_int_distribution<int64_t>(0, i % 7 == 0 ? 3000 : 40)(random);
        int64_t k = std::uniform_int_distribution<int64_t>(-1, n - 1)(random);
        lists.emplace_back(n, k, random);
    }
    for (PointerList<LinkFirst>& list : lists) {
        heads.push_back(list.head());
    }
    std::unique_ptr<bool[]> cyclic(new bool[count]);
    int64_t calls = 0;
    cycle::hasCycleEach(heads.data(), count, counted(PointerList<LinkFirst>::next(), calls),
                        cyclic.get(), GetParam());
    int64_t most = 0;
    for (size_t i = 0; i < count; i++) {
        bool expected = cycle::hasCycle(heads[i], PointerList<LinkFirst>::next());
        EXPECT_EQ(cyclic[i], expected) << "list " << i;
        int64_t n = static_cast<int64_t>(lists[i].nodes.size());
        most += expected ? brentBound(n, n) : n;
    }
    EXPECT_LE(calls, most);
}

INSTANTIATE_TEST_SUITE_P(InFlight, HasCycleEach, testing::Values(1, 3, 16, 64, 100, 5000));

TEST(HasCycleEach, TakesNoListsAtAll) {
    bool untouched = true;
    cycle::hasCycleEach(static_cast<const LinkFirst* const*>(nullptr), 0,
                        PointerList<LinkFirst>::next(), &untouched);
    EXPECT_TRUE(untouched);
}

} // namespace
