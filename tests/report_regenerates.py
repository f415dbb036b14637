#!/usr/bin/env python3
"""The benchmark report against its own results: bench/plot, run on the
committed bench/results, must give back the committed results.md, short.md
mapping.md and graph.md byte for byte (a report edited by hand, or results committed
without the report they give, fails here), and the tables must show every
kernel the results hold, known to the report or not.

Usage: report_regenerates.py SOURCE_DIR. gnuplot is stood in for by a
program that draws nothing, so that the check needs no plotting."""
import json
import os
import stat
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else os.getcwd()
sys.path.insert(0, os.path.join(SOURCE, "bench"))

from report import acyclic, collision, graphs  # noqa: E402
from report.load import kernels_in, ordered, run_problems  # noqa: E402


def plot_without_gnuplot(scratch, results_json, out):
    """Runs bench/plot on results_json into out, with a gnuplot that draws
    nothing standing in for the real one."""
    tools = os.path.join(scratch, "bin")
    os.makedirs(tools, exist_ok=True)
    fake = os.path.join(tools, "gnuplot")
    with open(fake, "w") as f:
        f.write("#!/bin/sh\ncat >/dev/null\n")
    os.chmod(fake, stat.S_IRWXU)
    env = dict(os.environ, PATH=tools + os.pathsep + os.environ.get("PATH", ""))
    subprocess.run([sys.executable, os.path.join(SOURCE, "bench", "plot"), results_json, out],
                   env=env, check=True, stdout=subprocess.DEVNULL)


class Report(unittest.TestCase):
    def test_the_committed_report_is_what_the_committed_results_give(self):
        results = os.path.join(SOURCE, "bench", "results")
        with tempfile.TemporaryDirectory() as scratch:
            out = os.path.join(scratch, "out")
            plot_without_gnuplot(scratch, os.path.join(results, "results.json"), out)
            for name in ("results.md", "short.md", "mapping.md", "graph.md"):
                with open(os.path.join(results, name)) as f:
                    committed = f.read()
                with open(os.path.join(out, name)) as f:
                    regenerated = f.read()
                self.assertEqual(committed, regenerated, f"bench/results/{name} is not what "
                                 "bench/plot gives from the committed results")

    def test_each_family_run_of_its_own_regenerates(self):
        for family, name in (("acyclic", "acyclic.md"), ("python", "python.md"),
                             ("collision", "collision.md"), ("graph2", "graph.md"),
                             ("graph3", "graph.md")):
            folder = os.path.join(SOURCE, "bench", "results", family)
            if not os.path.exists(os.path.join(folder, name)):
                continue
            with tempfile.TemporaryDirectory() as scratch:
                out = os.path.join(scratch, "out")
                os.mkdir(out)
                plot_without_gnuplot(scratch, os.path.join(folder, "results.json"), out)
                with open(os.path.join(folder, name)) as f:
                    committed = f.read()
                with open(os.path.join(out, name)) as f:
                    self.assertEqual(committed, f.read(), f"bench/results/{family}/{name} is not "
                                     "what bench/plot gives from its results")

    def test_every_kernel_in_the_results_is_shown(self):
        results = {("traverse", "sequential", "linear", 1000): {},
                   ("someday", "sequential", "linear", 1000): {},
                   ("hascycle", "sequential", "head", 1000): {},
                   ("many", "each", "scattered", 16, 1, 1): {},
                   ("pages", "sequential_cold", "linear", 1000): {}}
        self.assertEqual(kernels_in(results), ["traverse", "hascycle", "someday"])
        self.assertEqual(kernels_in(results, floors=False), ["hascycle", "someday"])
        self.assertEqual(ordered({"b", "z", "a"}, ["z"]), ["z", "a", "b"])

    def test_results_from_another_run_build_or_machine_are_refused_by_name(self):
        record = ("run: r1\nbuild: abc 0123\nmachine: AMD EPYC family 26 model 2 2 CPUs\n"
                  "lscpu: Model name: AMD EPYC\n"
                  "stage short lists: 61 s: results_short.json results.json\n"
                  "stage the gates of bench/check: 40 s: check.txt\n")
        mine = {"run": "r1", "build": "abc 0123", "machine": "AMD EPYC family 26 model 2 2 CPUs"}

        def folder_with(files):
            scratch = tempfile.mkdtemp()
            with open(os.path.join(scratch, "run.txt"), "w") as f:
                f.write(record)
            for name, context in files.items():
                with open(os.path.join(scratch, name), "w") as f:
                    f.write(json.dumps({"context": context, "benchmarks": []})
                            if name.endswith(".json") else "gates\n")
            return scratch

        whole = {"results_short.json": mine, "results.json": mine, "check.txt": None}
        self.assertEqual(run_problems(folder_with(whole)), [])
        for changed in ("run", "build", "machine"):
            problems = run_problems(folder_with(dict(whole, **{
                "results.json": dict(mine, **{changed: "other"})})))
            self.assertEqual(len(problems), 1, problems)
            self.assertTrue(problems[0].startswith("results.json: "), problems)
            self.assertIn("other", problems[0])
        # A file no stage of this run wrote, left by an older run, and a
        # results file with no context at all.
        problems = run_problems(folder_with(dict(whole, **{"machine_2026-12-08.txt": None,
                                                          "results_short.json": {}})))
        self.assertEqual(sorted(p.split(":")[0] for p in problems),
                         ["machine_2026-12-08.txt", "results_short.json"])
        self.assertEqual(run_problems(tempfile.mkdtemp())[0][-len("missing: the results carry no "
                                                                  "run record"):],
                         "missing: the results carry no run record")

    def test_graph_rows_below_their_floor_are_named(self):
        rows = {"graph/toporder/random/1024": {"floor_ratio_hi": 0.5},
                "graph/toporder/dag/1024": {"floor_ratio_hi": 0.98},
                "graph/kahn/dag/1024": {"floor_ratio_hi": 3.1}}
        self.assertEqual(graphs.below_floor(rows), ["graph/toporder/random/1024"])
        self.assertEqual(graphs.kernels_of(rows), ["kahn", "toporder"])

    def test_acyclic_targets_are_judged_from_the_medians(self):
        def run(ns):
            return {"ns_per_edge": ns, "floor_ratio": ns / 10, "floor_ratio_lo": ns / 11,
                    "floor_ratio_hi": ns / 9, "floor_ns_per_edge": 10, "edges": 100,
                    "refused": 0.5}
        rows = {"acyclic/recheck/random_dag/16384": run(3000),
                "acyclic/acyclicgraph/random_dag/16384": run(20),
                "acyclic/graphcycles/random_dag/16384": run(30),
                "acyclic/acyclicgraph/lock_order/1024": run(12),
                "acyclic/graphcycles/lock_order/1024": run(11)}
        lines = acyclic.targets(rows)
        self.assertIn("| random_dag at 2^14: at least 100x faster than recheck | 150.00x | yes |",
                      lines)
        self.assertIn("| random_dag at 2^14: at least 2x faster than graphcycles | 1.50x | no |",
                      lines)
        self.assertIn("| lock_order at 2^10: never slower than graphcycles | 0.92x | no |", lines)
        self.assertIn("| mixed at 2^14: at least 100x faster than recheck | not measured | - |",
                      lines)
        self.assertEqual(acyclic.kernels_of(rows), ["recheck", "acyclicgraph", "graphcycles"])
        table = acyclic.table(rows, 1 << 14)
        self.assertTrue(any(line.startswith("| random_dag | 100 | 0.50 | 10.0 | 3000.0 |")
                            for line in table), table)

    def test_collision_targets_follow_the_library_and_the_rounds(self):
        # The distinguished bits the library's contract names.
        self.assertEqual(collision.planned_d(40, 1), 10)
        self.assertEqual(collision.planned_d(64, 1), 17)

        def run(ns, calls, **more):
            return dict({"ns_per_call": ns, "floor_ratio": ns / 4, "floor_ratio_lo": ns / 4.2,
                         "floor_ratio_hi": ns / 3.8, "floor_ns_per_call": 4, "seeds": 24,
                         "calls_mean": calls, "calls_ratio": calls / collision.expected_calls(40),
                         "points_mean": calls / 1024, "heap_kib": 120}, **more)
        rows = {"collision/findcollision/mix/40": run(4.4, 1.4e6, table_ratio=0.05,
                                                      table_ratio_lo=0.04, table_ratio_hi=0.06),
                "collision/findcollision_t2/mix/40": run(2.3, 1.5e6, one_thread_ratio=0.5,
                                                         one_thread_ratio_lo=0.45,
                                                         one_thread_ratio_hi=0.55),
                "collision/table/mix/40": run(120, 1.3e6, heap_kib=60000)}
        lines = collision.targets(rows, {"collision/mpi_r2/mix/40": {"one_rank_ratio": 1.6}})
        self.assertIn("| mix, 40 bits: two threads at least 1.8x faster a call than one | 2.00x | "
                      "yes |", lines)
        self.assertIn("| mix, 40 bits: two MPI ranks at least 1.7x one rank | 1.60x | no |", lines)
        self.assertIn("| mix, 40 bits: at least 10x faster than table | 20.0x | yes |", lines)
        self.assertIn("| mix, 40 bits: 100x less memory than table | 500x | yes |", lines)
        self.assertIn("| mix, 40 bits: one thread at most 1.15x the calls floor | "
                      "1.10 (1.05-1.16) | yes |", lines)
        self.assertIn("| mix, 40 bits: at most 32 bytes a stored point | 90 B of heap a point "
                      "stored (24 B a slot) | no |", lines)


if __name__ == "__main__":
    unittest.main()
