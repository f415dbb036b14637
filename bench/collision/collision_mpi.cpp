// cycle_bench_mpi: the collision rows of the MPI form, started by mpirun on
// R ranks: collision/mpi_r<R>/<function>/<bits>. Each round takes the next
// seed and times, in an order that turns from round to round, the search
// over all R ranks, the same search on rank 0 alone (the others waiting),
// and on rank 0 the floor: f called in a dependent loop sqrt(pi N / 2)
// times, the calls a search expects (a threaded or multi-rank search's
// calls vary from run to run, so every figure is per call). Rank 0 writes the rows as JSON in the
// shape cycle_bench's rows take, for bench/plot.
//
// Usage: mpirun -np R cycle_bench_mpi OUT.json [--context k=v,...] [--quick]
#include "collision/collision_kernels.h"
#include "common/intervals.h"

#include "cycle/mpi/collision.h"

#include <mpi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

struct MpiRow {
    CollisionFunctionKind kind;
    unsigned bits;
};
const MpiRow MPI_ROWS[] = {{COLLISION_MIX, 32},    {COLLISION_MIX, 40},    {COLLISION_MIX, 48},
                           {COLLISION_SHA256, 32}, {COLLISION_SHA256, 40}, {COLLISION_SHA256, 48}};

double secondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One collective search over comm, timed on every rank from a barrier to
// its return: {ns, calls}. Rank 0's figures are the row's.
struct Timed {
    double ns;
    uint64_t calls;
    uint64_t points;
    bool right;
};

Timed searchOn(MPI_Comm comm, CollisionFunctionKind kind, unsigned bits, uint64_t seed) {
    MPI_Barrier(comm);
    const double begin = secondsNow();
    return withCollisionFunction(kind, bits, [&](auto f) {
        cycle::CollisionOptions options;
        options.seed = seed;
        std::optional<cycle::Collision> c = cycle::mpi::findCollision(comm, f, bits, options);
        const double ns = (secondsNow() - begin) * 1e9;
        if (!c) {
            return Timed{ns, 0, 0, false};
        }
        CollisionFound found{true, c->a, c->b, c->image, c->calls, c->points};
        return Timed{ns, c->calls, c->points, isCollision(kind, bits, found)};
    });
}

double floorNs(CollisionFunctionKind kind, unsigned bits, uint64_t calls) {
    const double begin = secondsNow();
    volatile uint64_t last = collisionFloor(kind, bits, 1, calls);
    (void)last;
    return (secondsNow() - begin) * 1e9;
}

void writeInterval(FILE* out, const char* name, const std::vector<double>& samples) {
    Interval interval = medianInterval(samples);
    std::fprintf(out, ", \"%s\": %.6g, \"%s_lo\": %.6g, \"%s_hi\": %.6g", name, interval.median,
                 name, interval.lo, name, interval.hi);
}

// Runs one row on every rank; rank 0 appends it to out. Returns false,
// on every rank, where a search gave no collision.
bool runRow(FILE* out, bool first, MPI_Comm alone, int ranks, int rank, const MpiRow& row,
            bool quick) {
    const size_t seeds = quick ? 2 : row.bits <= 40 ? 24 : 6;
    const size_t rounds = quick ? 2 : row.bits <= 32 ? 2 * seeds : seeds;
    std::vector<double> ns_per_call, floor_ratios, one_rank_ratios;
    double calls_sum = 0, points_sum = 0, floor_sum = 0;
    bool right = true;
    const uint64_t floor_calls = static_cast<uint64_t>(birthdayCalls(row.bits));
    for (size_t round = 0; round < rounds; round++) {
        const uint64_t seed = round % seeds + 1;
        Timed all{}, one{};
        double floor = 0;
        // The three in an order that turns: all ranks, rank 0 alone, the floor.
        for (size_t i = 0; i < 3; i++) {
            const size_t which = (i + round) % 3;
            if (which == 0) {
                all = searchOn(MPI_COMM_WORLD, row.kind, row.bits, seed);
            } else if (which == 1 && ranks > 1) {
                if (rank == 0) {
                    one = searchOn(alone, row.kind, row.bits, seed);
                }
                MPI_Barrier(MPI_COMM_WORLD);
            } else if (which == 2) {
                if (rank == 0) {
                    floor =
                        floorNs(row.kind, row.bits, floor_calls) / static_cast<double>(floor_calls);
                }
                MPI_Barrier(MPI_COMM_WORLD);
            }
        }
        right = right && all.right && (ranks == 1 || rank != 0 || one.right);
        if (rank != 0) {
            continue;
        }
        const double per_call = all.ns / static_cast<double>(all.calls);
        ns_per_call.push_back(per_call);
        floor_ratios.push_back(per_call / floor);
        if (ranks > 1) {
            one_rank_ratios.push_back(one.ns / static_cast<double>(one.calls) / per_call);
        }
        if (round < seeds) {
            calls_sum += static_cast<double>(all.calls);
            points_sum += static_cast<double>(all.points);
        }
        floor_sum += floor;
    }
    int mine = right ? 1 : 0, every = 0;
    MPI_Allreduce(&mine, &every, 1, MPI_INT, MPI_MIN, MPI_COMM_WORLD);
    if (rank != 0) {
        return every == 1;
    }
    const std::string name = "collision/mpi_r" + std::to_string(ranks) + "/" +
                             collisionFunctionName(row.kind) + "/" + std::to_string(row.bits);
    std::fprintf(out, "%s  {\"name\": \"%s\", \"run_name\": \"%s\", \"run_type\": \"iteration\"",
                 first ? "" : ",\n", name.c_str(), name.c_str());
    if (every != 1) {
        std::fprintf(out, ", \"error_occurred\": true, \"error_message\": \"no collision\"}");
        return false;
    }
    const double n = static_cast<double>(seeds);
    writeInterval(out, "ns_per_call", ns_per_call);
    writeInterval(out, "floor_ratio", floor_ratios);
    if (ranks > 1) {
        writeInterval(out, "one_rank_ratio", one_rank_ratios);
    }
    std::fprintf(out,
                 ", \"floor_ns_per_call\": %.6g, \"ranks\": %d, \"seeds\": %zu, \"rounds\": %zu"
                 ", \"calls_mean\": %.6g, \"calls_ratio\": %.6g, \"points_mean\": %.6g}",
                 floor_sum / static_cast<double>(rounds), ranks, seeds, rounds, calls_sum / n,
                 calls_sum / n / birthdayCalls(row.bits), points_sum / n);
    std::fflush(out);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    MPI_Init(&argc, &argv);
    int ranks = 1, rank = 0;
    MPI_Comm_size(MPI_COMM_WORLD, &ranks);
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    const char* path = nullptr;
    const char* context = nullptr;
    bool quick = false;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--context") == 0 && i + 1 < argc) {
            context = argv[++i];
        } else if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else {
            path = argv[i];
        }
    }
    if (path == nullptr) {
        if (rank == 0) {
            std::fprintf(stderr, "usage: mpirun -np R cycle_bench_mpi OUT.json [--context k=v,...] "
                                 "[--quick]\n");
        }
        MPI_Finalize();
        return 2;
    }
    FILE* out = nullptr;
    int opened = 1;
    if (rank == 0) {
        out = std::fopen(path, "w");
        opened = out != nullptr;
    }
    MPI_Bcast(&opened, 1, MPI_INT, 0, MPI_COMM_WORLD);
    if (!opened) {
        if (rank == 0) {
            std::fprintf(stderr, "cycle_bench_mpi: cannot write %s\n", path);
        }
        MPI_Finalize();
        return 1;
    }
    MPI_Comm alone;
    MPI_Comm_split(MPI_COMM_WORLD, rank == 0 ? 0 : MPI_UNDEFINED, 0, &alone);
    if (rank == 0) {
        std::fprintf(out, "{\"context\": {%s},\n \"benchmarks\": [\n",
                     ("\"ranks\": \"" + std::to_string(ranks) + "\"" +
                      (context != nullptr && *context ? ", " : "") + contextMembers(context))
                         .c_str());
    }
    bool right = true;
    bool first = true;
    try {
        for (const MpiRow& row : MPI_ROWS) {
            if (!collisionFunctionBuilt(row.kind) || (quick && row.bits > 32)) {
                continue;
            }
            right = runRow(out, first, alone, ranks, rank, row, quick) && right;
            first = false;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cycle_bench_mpi: %s\n", e.what());
        MPI_Abort(MPI_COMM_WORLD, 1);
    }
    int status = 0;
    if (rank == 0) {
        std::fprintf(out, "\n]}\n");
        if (std::fclose(out) != 0) {
            std::fprintf(stderr, "cycle_bench_mpi: cannot write %s\n", path);
            status = 1;
        }
    }
    if (alone != MPI_COMM_NULL) {
        MPI_Comm_free(&alone);
    }
    MPI_Finalize();
    return right ? status : 1;
}
