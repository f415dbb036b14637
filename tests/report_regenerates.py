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

from report import acyclic, graphs  # noqa: E402
from report.load import kernels_in, ordered, run_problems  # noqa: E402


class Report(unittest.TestCase):
    def test_the_committed_report_is_what_the_committed_results_give(self):
        results = os.path.join(SOURCE, "bench", "results")
        with tempfile.TemporaryDirectory() as scratch:
            tools = os.path.join(scratch, "bin")
            os.mkdir(tools)
            fake = os.path.join(tools, "gnuplot")
            with open(fake, "w") as f:
                f.write("#!/bin/sh\ncat >/dev/null\n")
            os.chmod(fake, stat.S_IRWXU)
            out = os.path.join(scratch, "out")
            env = dict(os.environ, PATH=tools + os.pathsep + os.environ.get("PATH", ""))
            subprocess.run([sys.executable, os.path.join(SOURCE, "bench", "plot"),
                            os.path.join(results, "results.json"), out],
                           env=env, check=True, stdout=subprocess.DEVNULL)
            for name in ("results.md", "short.md", "mapping.md", "graph.md"):
                with open(os.path.join(results, name)) as f:
                    committed = f.read()
                with open(os.path.join(out, name)) as f:
                    regenerated = f.read()
                self.assertEqual(committed, regenerated, f"bench/results/{name} is not what "
                                 "bench/plot gives from the committed results")

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


if __name__ == "__main__":
    unittest.main()
