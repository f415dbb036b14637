// The acyclic rows' workloads are what their names say, and every kernel
// accepts exactly the edges the textbook recheck accepts.
#include "acyclic/acyclic_kernels.h"
#include "acyclic/acyclic_sets.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

TEST(AcyclicRows, EveryKernelAcceptsWhatTheTextbookAccepts) {
    for (AcyclicWorkload workload : {RANDOM_DAG, MIXED, REVERSE_CHAIN, LOCK_ORDER}) {
        for (uint32_t n : {2u, 64u, 1024u}) {
            const EdgeTrace& trace = edgeTrace(workload, n);
            SCOPED_TRACE(std::string(acyclicWorkloadName(workload)) + " " + std::to_string(n));
            const uint64_t truth = ACYCLIC_KERNELS[1].run(trace);
            EXPECT_EQ(ACYCLIC_KERNELS[0].run(trace), trace.edges.size());
            for (size_t i = 2; i < ACYCLIC_KERNEL_COUNT; i++) {
                EXPECT_EQ(ACYCLIC_KERNELS[i].run(trace), truth) << ACYCLIC_KERNELS[i].name;
            }
            for (size_t i = 0; i < ACYCLIC_PEER_COUNT; i++) {
                EXPECT_EQ(ACYCLIC_PEERS[i]->run(trace), truth) << ACYCLIC_PEERS[i]->name;
            }
        }
    }
}

TEST(AcyclicRows, WorkloadsAreShapedAsNamed) {
    const uint32_t n = 4096;
    const uint64_t recheck_dag = ACYCLIC_KERNELS[1].run(edgeTrace(RANDOM_DAG, n));
    EXPECT_EQ(recheck_dag, edgeTrace(RANDOM_DAG, n).edges.size()) << "a DAG refuses nothing";
    EXPECT_EQ(edgeTrace(RANDOM_DAG, n).edges.size(), 4u * n);
    const EdgeTrace& mixed = edgeTrace(MIXED, n);
    const double accepted = static_cast<double>(ACYCLIC_KERNELS[1].run(mixed)) /
                            static_cast<double>(mixed.edges.size());
    EXPECT_GT(accepted, 0.4);
    EXPECT_LT(accepted, 0.6);
    const EdgeTrace& chain = edgeTrace(REVERSE_CHAIN, n);
    ASSERT_EQ(chain.edges.size(), n - 1u);
    EXPECT_EQ(chain.edges.front(), std::make_pair(1u, 0u));
    EXPECT_EQ(chain.edges.back(), std::make_pair(n - 1, n - 2));
    const EdgeTrace& locks = edgeTrace(LOCK_ORDER, n);
    const std::set<std::pair<uint32_t, uint32_t>> distinct(locks.edges.begin(), locks.edges.end());
    EXPECT_LT(4 * distinct.size(), locks.edges.size()) << "most acquisitions repeat an edge";
}

} // namespace
