// findCollision over MPI ranks: the same distinguished-point walks, every
// rank running options.threads of them, each point sent to the rank that
// owns it (its mixed value modulo the ranks), where it meets the points
// stored before it. Target cycle::mpi (MPI::MPI_CXX), installed only where
// MPI is found.
//
// The search goes in rounds, all ranks together: each rank makes its share
// of the round's calls, the points go to their owners in one
// MPI_Alltoallv, each owner stores them and locates any pair they meet, and
// one MPI_Allreduce tells every rank the calls made, whether a rank found a
// pair and whether f threw anywhere. So a found pair ends the search on
// every rank within the round, and max_calls holds over all ranks.
#ifndef CYCLE_MPI_COLLISION_H
#define CYCLE_MPI_COLLISION_H

#include "../collision.h"

#include <mpi.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cycle::mpi {

// Calls one rank makes a round for each of its threads: a round then costs
// an exchange of about 2^14 / 2^d points a thread.
constexpr uint64_t ROUND_CALLS = uint64_t{1} << 16;

namespace detail {

using cycle::detail::CallBudget;
using cycle::detail::CollisionPlan;
using cycle::detail::CountedSteps;
using cycle::detail::FoundPair;
using cycle::detail::PointSlot;
using cycle::detail::PointTable;
using cycle::detail::WalkState;

inline void check(int status, const char* what) {
    if (status != MPI_SUCCESS) {
        throw std::runtime_error(std::string("cycle::mpi::findCollision: ") + what + " failed");
    }
}

inline uint64_t ownerOf(uint64_t point, int ranks) {
    return cycle::detail::mixBits(point ^ 0x2545f4914f6cdd1dull) % static_cast<uint64_t>(ranks);
}

// Sends each rank the (point, start, length) triples it owns; returns those
// this rank owns, from every rank in rank order.
inline std::vector<uint64_t> exchange(MPI_Comm comm, int ranks,
                                      const std::vector<std::vector<uint64_t>>& outgoing) {
    std::vector<int> send_counts(ranks), receive_counts(ranks), send_at(ranks), receive_at(ranks);
    std::vector<uint64_t> sending;
    for (int r = 0; r < ranks; r++) {
        send_at[r] = static_cast<int>(sending.size());
        send_counts[r] = static_cast<int>(outgoing[r].size());
        sending.insert(sending.end(), outgoing[r].begin(), outgoing[r].end());
    }
    check(MPI_Alltoall(send_counts.data(), 1, MPI_INT, receive_counts.data(), 1, MPI_INT, comm),
          "MPI_Alltoall");
    int total = 0;
    for (int r = 0; r < ranks; r++) {
        receive_at[r] = total;
        total += receive_counts[r];
    }
    std::vector<uint64_t> received(static_cast<size_t>(total));
    check(MPI_Alltoallv(sending.data(), send_counts.data(), send_at.data(), MPI_UINT64_T,
                        received.data(), receive_counts.data(), receive_at.data(), MPI_UINT64_T,
                        comm),
          "MPI_Alltoallv");
    return received;
}

} // namespace detail

// Collective over comm: every rank calls it with the same f, bits and options, and runs
// options.threads walks; every rank returns the same collision (or every rank nullopt).
//   Returns: as cycle::findCollision, the same on every rank: calls and
//            points are summed over the ranks. One seed, one thread a rank
//            and one number of ranks give the same collision every time.
//   Calls:   at most max_calls over all ranks, each round's share split
//            among them, plus the walks again to locate a pair, at most
//            40 * 2^d for each point that meets another (a merge; both
//            walks are at most 20 * 2^d long). Up to
//            SMALL_COLLISION_BITS, rank 0 alone searches its table. Expected
//            as findCollision's with every rank's threads counted as walks
//            in flight; d is chosen for all of them together.
//   Memory:  on each rank, the table of options.memory bytes (or the
//            default) for the points it owns, a 1 / ranks share; and the
//            round's points in flight, 24 bytes each, twice.
//   Messages: each round, one MPI_Alltoall of counts, one MPI_Alltoallv of
//            24 bytes a point, two MPI_Allreduce of a few words; a found
//            pair, one MPI_Bcast. A round is ROUND_CALLS calls a thread.
//   Threads: options.threads on each rank, calling f at once; MPI is called
//            from the calling thread only (MPI_THREAD_FUNNELED is enough).
//   Throws:  as findCollision, on every rank: what f threw on this rank, or
//            std::runtime_error naming a rank where f threw; the search has
//            stopped on every rank.
template <typename F>
std::optional<Collision> findCollision(MPI_Comm comm, F f, unsigned bits,
                                       CollisionOptions options = {}) {
    int rank = 0;
    int ranks = 1;
    detail::check(MPI_Comm_rank(comm, &rank), "MPI_Comm_rank");
    detail::check(MPI_Comm_size(comm, &ranks), "MPI_Comm_size");
    const unsigned threads = options.threads < 1 ? 1 : options.threads;
    // d is chosen for every walk in flight on every rank.
    CollisionOptions all = options;
    all.threads = threads * static_cast<unsigned>(ranks);
    detail::CollisionPlan plan = cycle::detail::planCollision(bits, all, SMALL_COLLISION_BITS);
    plan.threads = threads > cycle::detail::MOST_COLLISION_THREADS
                       ? cycle::detail::MOST_COLLISION_THREADS
                       : threads;
    uint64_t answer[5] = {0, 0, 0, 0, 0}; // collided, a, b, image, calls
    if (bits <= SMALL_COLLISION_BITS) {
        int failed = 0;
        std::exception_ptr failure;
        if (rank == 0) {
            try {
                if (auto found = cycle::detail::tableSearch(f, plan)) {
                    answer[0] = 1;
                    answer[1] = found->a;
                    answer[2] = found->b;
                    answer[3] = found->image;
                    answer[4] = found->calls;
                }
            } catch (...) {
                failure = std::current_exception();
                failed = 1;
            }
        }
        detail::check(MPI_Bcast(&failed, 1, MPI_INT, 0, comm), "MPI_Bcast");
        if (failed) {
            if (failure) {
                std::rethrow_exception(failure);
            }
            throw std::runtime_error("cycle::mpi::findCollision: f threw on rank 0");
        }
        detail::check(MPI_Bcast(answer, 5, MPI_UINT64_T, 0, comm), "MPI_Bcast");
        if (!answer[0]) {
            return std::nullopt;
        }
        return Collision{answer[1], answer[2], answer[3], answer[4], 0};
    }

    detail::PointTable table(plan.slots);
    std::vector<detail::WalkState> walks(plan.threads);
    for (unsigned t = 0; t < plan.threads; t++) {
        walks[t].stream = static_cast<uint64_t>(rank) * plan.threads + t;
        cycle::detail::startWalk(walks[t], plan);
    }
    uint64_t calls = 0; // over every rank, as of the last round
    std::atomic<bool> never{false};
    for (;;) {
        // This round's share of what is left, the remainder to the lowest ranks.
        const uint64_t left = plan.max_calls > calls ? plan.max_calls - calls : 0;
        const uint64_t round = ROUND_CALLS * plan.threads * static_cast<uint64_t>(ranks);
        const uint64_t taken = left < round ? left : round;
        const uint64_t share = taken / static_cast<uint64_t>(ranks) +
                               (static_cast<uint64_t>(rank) < taken % static_cast<uint64_t>(ranks));
        std::vector<std::vector<uint64_t>> outgoing(static_cast<size_t>(ranks));
        std::vector<std::vector<uint64_t>> found_points(plan.threads);
        uint64_t made = 0;
        int failed = 0;
        std::exception_ptr failure;
        try {
            detail::CallBudget budget(share);
            std::vector<uint64_t> made_by(plan.threads, 0);
            cycle::detail::onThreads(plan.threads, [&](unsigned t) {
                detail::CountedSteps<F> steps{f, plan.mask, budget, never};
                struct Tally {
                    detail::CountedSteps<F>& steps;
                    uint64_t& made;
                    ~Tally() {
                        made = steps.made;
                    }
                } tally{steps, made_by[t]};
                while (cycle::detail::walkToPoint(walks[t], steps, plan)) {
                    found_points[t].insert(found_points[t].end(),
                                           {walks[t].x, walks[t].start, walks[t].length});
                    cycle::detail::startWalk(walks[t], plan);
                }
            });
            for (uint64_t m : made_by) {
                made += m;
            }
            for (const auto& points : found_points) {
                for (size_t i = 0; i < points.size(); i += 3) {
                    auto& to = outgoing[detail::ownerOf(points[i], ranks)];
                    to.insert(to.end(), points.begin() + i, points.begin() + i + 3);
                }
            }
        } catch (...) {
            failure = std::current_exception();
            failed = 1;
        }
        // Every rank takes part in the exchange, a failed one with nothing.
        if (failed) {
            outgoing.assign(static_cast<size_t>(ranks), {});
        }
        const std::vector<uint64_t> mine = detail::exchange(comm, ranks, outgoing);
        detail::FoundPair pair{false, 0, 0, 0, 0, 0};
        if (!failed) {
            try {
                detail::CallBudget locating(~uint64_t{0});
                detail::CountedSteps<F> steps{f, plan.mask, locating, never};
                for (size_t i = 0; i < mine.size() && !pair.collided; i += 3) {
                    const auto other = table.meet(mine[i], mine[i + 1], mine[i + 2]);
                    if (other) {
                        cycle::detail::locatePair(steps, other->start, other->length, mine[i + 1],
                                                  mine[i + 2], pair);
                    }
                }
                made += steps.made;
            } catch (...) {
                failure = std::current_exception();
                failed = 1;
            }
        }
        // [calls, stored points] summed; [a failure, the lowest rank with a
        // pair as ranks - rank] at their largest.
        uint64_t sums[2] = {made, table.stored()};
        uint64_t totals[2] = {0, 0};
        detail::check(MPI_Allreduce(sums, totals, 2, MPI_UINT64_T, MPI_SUM, comm), "MPI_Allreduce");
        int flags[2] = {failed ? ranks - rank : 0, pair.collided ? ranks - rank : 0};
        int worst[2] = {0, 0};
        detail::check(MPI_Allreduce(flags, worst, 2, MPI_INT, MPI_MAX, comm), "MPI_Allreduce");
        calls += totals[0];
        if (worst[0] != 0) {
            if (failure) {
                std::rethrow_exception(failure);
            }
            throw std::runtime_error("cycle::mpi::findCollision: f threw on rank " +
                                     std::to_string(ranks - worst[0]));
        }
        if (worst[1] != 0) {
            const int winner = ranks - worst[1];
            answer[0] = 1;
            answer[1] = pair.a;
            answer[2] = pair.b;
            answer[3] = pair.image;
            detail::check(MPI_Bcast(answer, 4, MPI_UINT64_T, winner, comm), "MPI_Bcast");
            return Collision{answer[1], answer[2], answer[3], calls, totals[1]};
        }
        if (taken == 0 || calls >= plan.max_calls) {
            return std::nullopt;
        }
    }
}

} // namespace cycle::mpi

#endif
