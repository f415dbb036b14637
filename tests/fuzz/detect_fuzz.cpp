// libFuzzer target: every public function of the library against a
// brute-force truth, on lists, function tables, mappings, directed graphs,
// graphs kept acyclic edge by edge and collisions, made from the input.
// Build and run (CI does, for a short fixed time):
//   clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address -Iinclude \
//       tests/fuzz/detect_fuzz.cpp -o detect_fuzz && ./detect_fuzz -max_total_time=30
#include "../call_bounds.h"

#include <cycle/detect.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace {

struct Node {
    const Node* next;
};

// Reads the input a byte at a time; past its end, zeros.
struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at;
};

uint32_t take(Bytes& bytes, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; i++) {
        value = value << 8 | (bytes.at < bytes.size ? bytes.data[bytes.at++] : 0);
    }
    return value;
}

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// next or f, counting its calls.
template <typename F> auto counted(F f, int64_t& calls) {
    return [f, &calls](const auto& x) {
        calls++;
        return f(x);
    };
}

// The first position of every value of the sequence from start under table,
// until one comes back: mu and lambda.
void periodTruth(const std::vector<uint32_t>& table, uint32_t start, int64_t& mu, int64_t& lambda) {
    std::vector<int64_t> first(table.size(), -1);
    uint32_t x = start;
    for (int64_t i = 0;; i++) {
        if (first[x] >= 0) {
            mu = first[x];
            lambda = i - first[x];
            return;
        }
        first[x] = i;
        x = table[x];
    }
}

// The bucket of a node's key in the largest table a list walk makes (and so
// in every smaller one).
uint64_t bucketOf(const Node* node) {
    return cycle::detail::spreadKey(reinterpret_cast<uintptr_t>(node)) >>
           (64 - cycle::detail::LIST_TABLE_BITS);
}

// A list of n nodes in the memory order the input picks, tail to k (or
// linear when k >= n), checked with every list function. Where the input
// asks, every node sits in one bucket of the walk's table, as an unlucky or
// hostile allocator could place them.
void checkList(Bytes& bytes) {
    const int64_t n = take(bytes, 2) % 600;
    const int64_t k = n == 0 ? 0 : take(bytes, 2) % (n + n / 4 + 1);
    const bool one_bucket = take(bytes, 1) % 2 == 1;
    std::vector<Node> arena(static_cast<size_t>(one_bucket ? 160 * n + 64 : n));
    std::vector<Node*> pool;
    for (Node& node : arena) {
        if (static_cast<int64_t>(pool.size()) < n &&
            (!one_bucket || bucketOf(&node) == bucketOf(&arena[0]))) {
            pool.push_back(&node);
        }
    }
    check(static_cast<int64_t>(pool.size()) == n);
    std::vector<size_t> order(static_cast<size_t>(n));
    for (size_t i = 0; i < order.size(); i++) {
        order[i] = i;
    }
    for (size_t i = order.size(); i > 1; i--) {
        std::swap(order[i - 1], order[take(bytes, 2) % i]);
    }
    for (int64_t i = 0; i < n; i++) {
        const Node* following = i + 1 < n ? pool[order[i + 1]] : (k < n ? pool[order[k]] : nullptr);
        pool[order[i]]->next = following;
    }
    const Node* head = n == 0 ? nullptr : pool[order[0]];
    const bool cyclic = n > 0 && k < n;
    auto next = [](const Node* node) {
        check(node != nullptr);
        return node->next;
    };
    // Each function's verdict, and its calls against its contract's bound.
    const int64_t mu = cyclic ? k : n;
    const int64_t lambda = cyclic ? n - k : 0;
    int64_t sighting = 0;
    check(cycle::hasCycle(head, counted(next, sighting)) == cyclic);
    check(sighting == hasCycleLinearCalls(n) || cyclic);
    check(!cyclic || sighting <= hasCycleBound(mu, lambda));
    int64_t calls = 0;
    check(cycle::floyd(head, counted(next, calls)) == cyclic);
    check(calls <= 3 * (mu + lambda) / (cyclic ? 1 : 2) + 1);
    calls = 0;
    check(cycle::brent(head, counted(next, calls)) == cyclic);
    check(calls <= (cyclic ? brentBound(mu, lambda) : n));
    calls = 0;
    check(cycle::nivasch(head, counted(next, calls)) == cyclic);
    check(calls <= std::max(2 * mu + lambda, mu + 5 * lambda));
    calls = 0;
    cycle::Cycle<Node> found = cycle::findCycle(head, counted(next, calls));
    check(found.entry == (cyclic ? pool[order[k]] : nullptr));
    check(found.mu == mu && found.lambda == lambda);
    check(calls <= findCycleBound(sighting, mu, lambda));
    const Node* heads[3] = {head, nullptr, head};
    bool verdicts[3];
    cycle::hasCycleEach(heads, 3, next, verdicts, 1 + take(bytes, 1) % 70);
    check(verdicts[0] == cyclic && !verdicts[1] && verdicts[2] == cyclic);
}

// A random function on m values and a start, with the hash the input picks
// (the standard one, a constant, a few low bits, or one crafted to put every
// value in one bucket with pairs of values sharing a key), checked with
// findPeriod and findPeriodWithin at a limit near mu + lambda, answers and
// calls.
void checkPeriod(Bytes& bytes) {
    const uint32_t m = 1 + take(bytes, 2) % 3000;
    std::vector<uint32_t> table(m);
    for (uint32_t& value : table) {
        value = take(bytes, 2) % m;
    }
    const uint32_t start = take(bytes, 2) % m;
    int64_t mu = 0;
    int64_t lambda = 0;
    periodTruth(table, start, mu, lambda);
    auto f = [&table](const uint32_t& x) { return table[x]; };
    const uint32_t hash_kind = take(bytes, 1) % 4;
    uint64_t inverse = cycle::detail::KEY_MULTIPLIER;
    for (int i = 0; i < 6; i++) {
        inverse *= 2 - cycle::detail::KEY_MULTIPLIER * inverse;
    }
    uint32_t pairs[4][2];
    for (auto& pair : pairs) {
        pair[0] = take(bytes, 2) % m;
        pair[1] = take(bytes, 2) % m;
    }
    auto hash = [hash_kind, inverse, &pairs](const uint32_t& x) -> size_t {
        if (hash_kind == 3) {
            uint64_t id = x;
            for (const auto& pair : pairs) {
                id = x == pair[1] ? pair[0] : id;
            }
            return static_cast<size_t>(inverse * (2 * id + 1));
        }
        return hash_kind == 0 ? std::hash<uint32_t>{}(x) : hash_kind == 1 ? 7 : x & 3;
    };
    int64_t calls = 0;
    cycle::Period<uint32_t> period = cycle::findPeriod(start, counted(f, calls), hash);
    check(period.mu == mu && period.lambda == lambda);
    const int64_t sighting = brentBound(mu, lambda);
    check(calls <= sighting + 13 * std::max<int64_t>(8, sighting / 127) + (mu <= 56 ? 56 : 0));
    uint32_t entry = start;
    for (int64_t i = 0; i < mu; i++) {
        entry = table[entry];
    }
    check(period.entry == entry);
    const int64_t limit = mu + lambda + static_cast<int64_t>(take(bytes, 1) % 5) - 2;
    calls = 0;
    std::optional<cycle::Period<uint32_t>> within =
        cycle::findPeriodWithin(start, counted(f, calls), limit, hash);
    check(within.has_value() == (mu + lambda <= limit));
    // Only the plain hash gives distinct values distinct results; the
    // others may cost 3 limit.
    const int64_t walked = (hash_kind == 0 ? limit : 3 * limit) + 64;
    check(within || calls <= walked + 14 * std::max<int64_t>(8, walked / 127) + 56);
    check(!within || (within->mu == mu && within->lambda == lambda && within->entry == entry));
}

// A mapping on m elements whose entries the input gives, some outside
// [0, m), checked with findCycles, findCyclesOf and traceAll against one
// walk per start that remembers its path.
// Whether a mapping's entry ends its path.
bool endsPath(int32_t entry, uint64_t m) {
    return entry < 0 || static_cast<uint64_t>(entry) >= m;
}

void checkMapping(Bytes& bytes) {
    const uint64_t m = take(bytes, 2) % 700;
    std::vector<int32_t> next(m);
    for (int32_t& entry : next) {
        const uint32_t raw = take(bytes, 2);
        entry = raw % 16 == 0 ? -1 - static_cast<int32_t>(raw % 3)
                              : static_cast<int32_t>(raw % (m + m / 8 + 1));
    }
    auto successor = [&](uint64_t x) {
        return next[x] < 0 || static_cast<uint64_t>(next[x]) >= m ? m
                                                                  : static_cast<uint64_t>(next[x]);
    };
    std::vector<uint64_t> end(m);
    std::vector<uint64_t> distance(m);
    std::vector<std::pair<uint64_t, uint64_t>> loops;
    std::vector<int64_t> position(m, -1);
    std::vector<uint64_t> path;
    for (uint64_t start = 0; start < m; start++) {
        path.clear();
        uint64_t x = start;
        while (x != m && position[x] < 0) {
            position[x] = static_cast<int64_t>(path.size());
            path.push_back(x);
            x = successor(x);
        }
        if (x == m) {
            end[start] = path.back();
            distance[start] = path.size() - 1;
        } else {
            const size_t entry = static_cast<size_t>(position[x]);
            uint64_t least = m;
            for (size_t i = entry; i < path.size(); i++) {
                least = std::min(least, path[i]);
            }
            end[start] = least;
            distance[start] = entry;
            if (entry == 0 && least == start) {
                loops.emplace_back(start, path.size());
            }
        }
        for (uint64_t visited : path) {
            position[visited] = -1;
        }
    }
    std::vector<cycle::Loop<int32_t>> found = cycle::findCycles(next.data(), m);
    int64_t calls = 0;
    std::vector<cycle::Loop<int32_t>> of = cycle::findCyclesOf(
        static_cast<int32_t>(m), counted([&next](int32_t i) { return next[i]; }, calls));
    check(found.size() == loops.size() && of.size() == loops.size());
    check(calls <= static_cast<int64_t>(2 * m));
    for (size_t i = 0; i < loops.size(); i++) {
        check(static_cast<uint64_t>(found[i].leader) == loops[i].first &&
              found[i].length == loops[i].second);
        check(of[i].leader == found[i].leader && of[i].length == found[i].length);
    }
    // f's results judged in their own type: an end of a path given as a
    // 64-bit value that narrowing would bring back inside [0, m).
    std::vector<cycle::Loop<int32_t>> wide =
        cycle::findCyclesOf(static_cast<int32_t>(m), [&next, m](int32_t i) {
            return endsPath(next[i], m) ? (int64_t{1} << 32) + i : int64_t{next[i]};
        });
    check(wide.size() == loops.size());
    std::vector<int32_t> ends(m);
    std::vector<int32_t> distances(m);
    cycle::MapSummary summary = cycle::traceAll(next.data(), m, ends.data(), distances.data());
    check(summary.cycles == loops.size());
    for (uint64_t i = 0; i < m; i++) {
        check(static_cast<uint64_t>(ends[i]) == end[i]);
        check(static_cast<uint64_t>(distances[i]) == distance[i]);
    }
    // The same mapping in bytes: answered while a uint8_t counts m, refused
    // past that.
    std::vector<uint8_t> small(m);
    for (uint64_t i = 0; i < m; i++) {
        small[i] = successor(i) == m ? uint8_t{255} : static_cast<uint8_t>(successor(i));
    }
    std::vector<uint8_t> small_ends(m);
    if (m <= 255) {
        cycle::traceAll(small.data(), m, small_ends.data(), nullptr);
        for (uint64_t i = 0; i < m; i++) {
            check(small_ends[i] == end[i]);
        }
    } else {
        bool refused = false;
        try {
            cycle::traceAll(small.data(), m, small_ends.data(), nullptr);
        } catch (const std::invalid_argument&) {
            refused = true;
        }
        check(refused);
    }
}

// A directed graph of up to 40 vertices whose rows the input gives, now and
// then with a target outside [0, n) or offsets that go down: the three
// graph functions either reject it with std::invalid_argument or answer
// as the truth (who reaches whom) says. Each edge may come repeated up to
// 640 times, so that the search spends its first slice and the count pass
// and the peel take their turns, the search's path blocking the peel.
void checkGraph(Bytes& bytes) {
    const size_t n = 1 + take(bytes, 1) % 40;
    const uint32_t repeat = 1 + (take(bytes, 1) % 4 == 0 ? take(bytes, 1) % 640 : 0);
    std::vector<int64_t> offsets(n + 1, 0);
    std::vector<int32_t> targets;
    bool sound = true;
    for (size_t v = 0; v < n; v++) {
        offsets[v] = static_cast<int64_t>(targets.size());
        const uint32_t degree = take(bytes, 1) % 5;
        for (uint32_t i = 0; i < degree; i++) {
            const uint32_t raw = take(bytes, 1);
            const int32_t w = raw == 255   ? -1
                              : raw == 254 ? static_cast<int32_t>(n)
                                           : static_cast<int32_t>(raw % n);
            sound = sound && w >= 0 && static_cast<size_t>(w) < n;
            targets.insert(targets.end(), repeat, w);
        }
    }
    offsets[n] = static_cast<int64_t>(targets.size());
    if (n > 2 && offsets[2] > 0 && take(bytes, 1) == 253) {
        offsets[2] = offsets[1] - 1; // offsets that go down
        sound = false;
    }
    std::vector<int32_t> component(n);
    if (!sound) {
        int rejected = 0;
        try {
            cycle::findGraphCycle(offsets.data(), targets.data(), n);
        } catch (const std::invalid_argument&) {
            rejected++;
        }
        try {
            cycle::topologicalOrder(offsets.data(), targets.data(), n);
        } catch (const std::invalid_argument&) {
            rejected++;
        }
        try {
            cycle::stronglyConnected(offsets.data(), targets.data(), n, component.data());
        } catch (const std::invalid_argument&) {
            rejected++;
        }
        check(rejected == 3);
        return;
    }
    auto row = [&](size_t v) {
        return std::vector<int32_t>(targets.begin() + offsets[v], targets.begin() + offsets[v + 1]);
    };
    auto edge = [&](size_t u, size_t w) {
        const std::vector<int32_t> r = row(u);
        return std::find(r.begin(), r.end(), static_cast<int32_t>(w)) != r.end();
    };
    std::vector<std::vector<bool>> reach(n, std::vector<bool>(n, false));
    bool acyclic = true;
    for (size_t s = 0; s < n; s++) {
        std::vector<int32_t> stack = row(s);
        while (!stack.empty()) {
            const size_t v = static_cast<size_t>(stack.back());
            stack.pop_back();
            if (!reach[s][v]) {
                reach[s][v] = true;
                const std::vector<int32_t> more = row(v);
                stack.insert(stack.end(), more.begin(), more.end());
            }
        }
        acyclic = acyclic && !reach[s][s];
    }
    auto isCycle = [&](const std::vector<int32_t>& cycle) {
        std::vector<bool> seen(n, false);
        for (size_t i = 0; i < cycle.size(); i++) {
            const size_t u = static_cast<size_t>(cycle[i]);
            if (u >= n || seen[u] || !edge(u, static_cast<size_t>(cycle[(i + 1) % cycle.size()]))) {
                return false;
            }
            seen[u] = true;
        }
        return !cycle.empty();
    };
    const std::vector<int32_t> cycle = cycle::findGraphCycle(offsets.data(), targets.data(), n);
    check(acyclic ? cycle.empty() : isCycle(cycle));
    const cycle::Order<int32_t> order = cycle::topologicalOrder(offsets.data(), targets.data(), n);
    if (acyclic) {
        check(order.cycle.empty() && order.order.size() == n);
        std::vector<size_t> position(n, n);
        for (size_t i = 0; i < n; i++) {
            check(position[static_cast<size_t>(order.order[i])] == n);
            position[static_cast<size_t>(order.order[i])] = i;
        }
        for (size_t u = 0; u < n; u++) {
            for (int32_t w : row(u)) {
                check(position[u] < position[static_cast<size_t>(w)]);
            }
        }
    } else {
        check(order.order.empty() && isCycle(order.cycle));
    }
    const size_t count =
        cycle::stronglyConnected(offsets.data(), targets.data(), n, component.data());
    for (size_t u = 0; u < n; u++) {
        check(static_cast<size_t>(component[u]) < count);
        for (size_t w = 0; w < n; w++) {
            check((component[u] == component[w]) == (u == w || (reach[u][w] && reach[w][u])));
        }
        for (int32_t w : row(u)) {
            check(component[u] >= component[static_cast<size_t>(w)]);
        }
    }
}

// AcyclicGraph driven by the input: adds, removes and new vertices on up to
// 24 vertices, each answer, each refusal's cycle and the order checked
// against reachability over the edges held.
void checkAcyclic(Bytes& bytes) {
    size_t n = 1 + take(bytes, 1) % 16;
    cycle::AcyclicGraph<uint8_t> graph(n);
    std::vector<std::vector<bool>> edge(24, std::vector<bool>(24, false));
    auto reaches = [&](size_t from, size_t to) {
        std::vector<bool> seen(n, false);
        std::vector<size_t> stack{from};
        seen[from] = true;
        while (!stack.empty()) {
            const size_t v = stack.back();
            stack.pop_back();
            if (v == to) {
                return true;
            }
            for (size_t w = 0; w < n; w++) {
                if (edge[v][w] && !seen[w]) {
                    seen[w] = true;
                    stack.push_back(w);
                }
            }
        }
        return false;
    };
    std::vector<uint8_t> loop;
    for (int op = 0; op < 64 && bytes.at < bytes.size; op++) {
        const uint32_t code = take(bytes, 2);
        const size_t u = (code >> 8) % n;
        const size_t w = (code >> 3) % n;
        if (code % 8 == 0 && n < 24) {
            check(graph.addVertex() == n);
            n++;
        } else if (code % 8 == 1) {
            check(graph.removeEdge(static_cast<uint8_t>(u), static_cast<uint8_t>(w)) == edge[u][w]);
            edge[u][w] = false;
        } else {
            const bool expected = edge[u][w] || !(u == w || reaches(w, u));
            const bool added =
                graph.addEdge(static_cast<uint8_t>(u), static_cast<uint8_t>(w), loop);
            check(added == expected);
            if (added) {
                check(loop.empty());
                edge[u][w] = true;
            } else {
                check(!loop.empty() && loop[0] == u && (u == w || loop[1] == w));
                for (size_t i = 0; i < loop.size(); i++) {
                    const size_t to = i + 1 < loop.size() ? loop[i + 1] : u;
                    check(i == 0 ? to == w : edge[loop[i]][to]);
                }
            }
        }
        std::vector<int> position(n, -1);
        for (size_t i = 0; i < graph.order().size(); i++) {
            check(graph.order()[i] < n && position[graph.order()[i]] < 0);
            position[graph.order()[i]] = static_cast<int>(i);
        }
        for (size_t a = 0; a < n; a++) {
            for (size_t b = 0; b < n; b++) {
                check(graph.hasEdge(static_cast<uint8_t>(a), static_cast<uint8_t>(b)) ==
                      edge[a][b]);
                check(!edge[a][b] || position[a] < position[b]);
            }
        }
    }
}

// findCollision: on up to 10 bits, a table from the input, whose answer
// must exist exactly when two entries share an image; past 20 bits, walks
// over a keyed mixer (any pair found must be true) and over a bijection
// (none may be found, however the walks merge).
void checkCollision(Bytes& bytes) {
    cycle::CollisionOptions options;
    options.seed = take(bytes, 2);
    options.threads = 1 + take(bytes, 1) % 2;
    const unsigned bits = 1 + take(bytes, 1) % 10;
    const uint64_t n = uint64_t{1} << bits;
    std::vector<uint64_t> table(n);
    std::vector<int> hits(n, 0);
    bool exists = false;
    for (uint64_t i = 0; i < n; i++) {
        table[i] = take(bytes, 2);
        exists |= ++hits[table[i] & (n - 1)] > 1;
    }
    const auto small = cycle::findCollision([&](uint64_t x) { return table[x]; }, bits, options);
    check(small.has_value() == exists);
    check(!small || (small->a != small->b && (table[small->a] & (n - 1)) == small->image &&
                     (table[small->b] & (n - 1)) == small->image));
    const unsigned wide = 21 + take(bytes, 1) % 8;
    const uint64_t key = take(bytes, 4) | 1;
    options.distinguished_bits = take(bytes, 1) % 8;
    options.max_calls = 1 << 16;
    const uint64_t low = (uint64_t{1} << wide) - 1;
    auto keyed = [key](uint64_t x) {
        x = (x ^ key) * 0x9e3779b97f4a7c15ull;
        return x ^ (x >> 29);
    };
    const auto found = cycle::findCollision(keyed, wide, options);
    check(!found || (found->a != found->b && found->a <= low && found->b <= low &&
                     (keyed(found->a) & low) == found->image &&
                     (keyed(found->b) & low) == found->image && found->calls <= 1 << 16));
    // x -> x * key + 1 is a bijection modulo 2^wide: key is odd.
    check(!cycle::findCollision([key](uint64_t x) { return x * key + 1; }, wide, options));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes bytes{data, size, 0};
    switch (take(bytes, 1) % 6) {
    case 0:
        checkList(bytes);
        break;
    case 1:
        checkPeriod(bytes);
        break;
    case 2:
        checkMapping(bytes);
        break;
    case 3:
        checkGraph(bytes);
        break;
    case 4:
        checkAcyclic(bytes);
        break;
    default:
        checkCollision(bytes);
        break;
    }
    return 0;
}
