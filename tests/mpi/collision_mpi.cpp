// cycle::mpi::findCollision on however many ranks mpiexec starts: every rank
// must return the same answer, a true pair, the same one again for the same
// seed, none for a bijection within the budget, and the same exception
// wherever f throws. A plain program (exit status 1 on any failure), since
// every rank must reach every collective.
#include "../collision_functions.h"

#include <cycle/mpi/collision.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace {

int failures = 0;
int rank = 0;

void expect(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "rank %d: %s\n", rank, what);
        failures++;
    }
}

// Whether every rank holds the same value.
bool same(uint64_t value) {
    uint64_t low = 0;
    uint64_t high = 0;
    MPI_Allreduce(&value, &low, 1, MPI_UINT64_T, MPI_MIN, MPI_COMM_WORLD);
    MPI_Allreduce(&value, &high, 1, MPI_UINT64_T, MPI_MAX, MPI_COMM_WORLD);
    return low == high;
}

void truePairs() {
    for (unsigned bits : {16u, 28u, 36u}) {
        for (unsigned threads : {1u, 2u}) {
            cycle::CollisionOptions options;
            options.threads = threads;
            options.seed = bits;
            const auto c = cycle::mpi::findCollision(MPI_COMM_WORLD, mix, bits, options);
            expect(same(c.has_value()), "ranks disagree on whether there is a collision");
            expect(c.has_value(), "no collision of the mixer");
            if (!c) {
                continue;
            }
            const uint64_t low = (uint64_t{1} << bits) - 1;
            expect(c->a != c->b && (mix(c->a) & low) == c->image && (mix(c->b) & low) == c->image,
                   "the pair is not a collision");
            expect(same(c->a) && same(c->b) && same(c->calls) && same(c->points),
                   "ranks return different collisions");
            if (threads == 1) {
                const auto again = cycle::mpi::findCollision(MPI_COMM_WORLD, mix, bits, options);
                expect(again && again->a == c->a && again->b == c->b && again->calls == c->calls,
                       "one thread a rank and one seed gave another collision");
            }
        }
    }
}

void noneForABijection() {
    cycle::CollisionOptions options;
    options.max_calls = 2000000;
    options.distinguished_bits = 8;
    for (unsigned bits : {24u, 48u}) {
        uint64_t calls = 0;
        auto step = [&calls](uint64_t x) {
            calls++;
            return x + 1;
        };
        const auto c = cycle::mpi::findCollision(MPI_COMM_WORLD, step, bits, options);
        expect(!c, "a collision of x + 1");
        uint64_t total = 0;
        MPI_Allreduce(&calls, &total, 1, MPI_UINT64_T, MPI_SUM, MPI_COMM_WORLD);
        // The walks again to locate merges may pass the budget by 40 * 2^d each.
        expect(total > options.max_calls / 2 && total <= options.max_calls + 100 * (40 << 8),
               "the budget over all ranks did not hold");
    }
}

void whatFThrowsReachesEveryRank() {
    struct Boom : std::runtime_error {
        Boom() : std::runtime_error("boom") {}
    };
    for (int thrower : {0, 1}) {
        uint64_t calls = 0;
        auto f = [&calls, thrower](uint64_t x) {
            if (rank == thrower && ++calls == 1000) {
                throw Boom();
            }
            return mix(x);
        };
        bool own = false;
        bool named = false;
        try {
            cycle::mpi::findCollision(MPI_COMM_WORLD, f, 40);
        } catch (const Boom&) {
            own = true;
        } catch (const std::runtime_error& e) {
            named = std::string(e.what()).find("rank") != std::string::npos;
        }
        int ranks = 1;
        MPI_Comm_size(MPI_COMM_WORLD, &ranks);
        if (thrower < ranks) {
            expect(rank == thrower ? own : named, "f's exception did not reach this rank");
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    int provided = 0;
    MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    truePairs();
    noneForABijection();
    whatFThrowsReachesEveryRank();
    int all = 0;
    MPI_Allreduce(&failures, &all, 1, MPI_INT, MPI_SUM, MPI_COMM_WORLD);
    if (rank == 0) {
        std::printf("%s: %d failure(s) over all ranks\n", all ? "FAILED" : "passed", all);
    }
    MPI_Finalize();
    return all ? 1 : 0;
}
