"""Short lists one at a time, hasCycle from 10^3 to 4M nodes, hasCycle
through a function pointer, and the periods of iterated functions: short.md
and short.png, from bench/run's results_short.json, results_lists_small.json,
results_lists_big.json, results_fnptr.json and results_period.json, with
the machine they ran on
(machine.txt). Medians of the repetitions; intervals are the 95% intervals
of each row's median ratio to its floor."""
import json
import os
import sys

from .load import machine
from .plots import gnuplot

SIZES = [1, 2, 4, 8, 16, 32, 64, 128, 256, 512]
KERNELS = ["hascycle", "hascycle_fnptr", "findcycle", "brent", "hare", "nivasch", "each"]
SHAPES = ["linear", "mixed", "head", "mixed_head", "random"]
LINEAR_SHAPES = ["linear", "mixed"]
LAYOUTS = ["sequential", "scattered"]
# The targets: time over the walk on linear shapes from n = 2, and over
# traverse on cyclic shapes from n = 16.
WALK_TARGET = {"hascycle": 1.15, "findcycle": 1.25}
CYCLIC_TARGET = 2.0


def load_named(path):
    """Maps each row's name, without Google Benchmark's suffixes, to its
    counters: the median aggregate where repeated, otherwise the one run."""
    with open(path) as f:
        report = json.load(f)
    rows = {}
    for run in report["benchmarks"]:
        if run.get("error_occurred"):
            sys.exit(f"bench/plot: {run['name']} failed: {run.get('error_message')}")
        if run.get("run_type") == "aggregate" and run.get("aggregate_name") != "median":
            continue
        name = "/".join(p for p in run["run_name"].split("/")
                        if p != "manual_time" and not p.startswith("iterations:"))
        rows[name] = run
    return rows


def cell(row, ratio="floor_ratio"):
    """A ratio and its 95% interval, as "1.02 (1.01-1.04)"."""
    if row is None or ratio not in row:
        return "-"
    return f"{row[ratio]:.2f} ({row[ratio + '_lo']:.2f}-{row[ratio + '_hi']:.2f})"


def short_tables(rows):
    lines = []
    for layout in LAYOUTS:
        for shape in SHAPES:
            floors = [("floor_ratio", "the traverse floor, which knows each list's length")]
            if shape in LINEAR_SHAPES:
                floors.insert(0, ("walk_ratio", "the walk to nullptr"))
            for ratio, floor in floors:
                lines += ["", f"**{layout}, {shape}**: time a list over {floor}, timed in the "
                          "same rounds (median of paired rounds, 95% interval); the floors' ns a "
                          "list first", "",
                          "| n | traverse ns | walk ns | " + " | ".join(KERNELS) + " |",
                          "|---|---|---|" + "---|" * len(KERNELS)]
                for n in SIZES:
                    floor_row = rows.get(f"short/hascycle/{layout}/{shape}/{n}")
                    traverse_ns = f"{floor_row['floor_ns_per_list']:.1f}" if floor_row else "-"
                    walk_ns = (f"{floor_row['walk_ns_per_list']:.1f}"
                               if floor_row and "walk_ns_per_list" in floor_row else "-")
                    cells = [cell(rows.get(f"short/{k}/{layout}/{shape}/{n}"), ratio)
                             for k in KERNELS]
                    lines.append(f"| {n} | {traverse_ns} | {walk_ns} | " + " | ".join(cells) + " |")
    return lines


def worst(rows, kernel, layout, shape, ratio, sizes):
    """The highest median ratio of kernel over sizes, with its n."""
    found = [(rows[f"short/{kernel}/{layout}/{shape}/{n}"][ratio], n) for n in sizes
             if f"short/{kernel}/{layout}/{shape}/{n}" in rows]
    return max(found) if found else None


def targets_table(rows):
    """hasCycle's and findCycle's targets on short lists, met or missed,
    with the row that decides each."""
    lines = ["", "| target | layout | shape | worst row: n, ratio | met |",
             "|---|---|---|---|---|"]
    for kernel, most in WALK_TARGET.items():
        for layout in LAYOUTS:
            for shape in LINEAR_SHAPES:
                w = worst(rows, kernel, layout, shape, "walk_ratio", SIZES[1:])
                if w:
                    lines.append(f"| {kernel} <= {most}x the walk, n >= 2 | {layout} | {shape} | "
                                 f"{w[1]}: {w[0]:.2f}x | {'yes' if w[0] <= most else 'no'} |")
    for layout in LAYOUTS:
        row = rows.get(f"short/hascycle/{layout}/linear/1")
        if row and "walk_ns_per_list" in row:
            over = row["ns_per_list"] - row["walk_ns_per_list"]
            lines.append(f"| hascycle, one node, <= 1 ns over the walk | {layout} | linear | "
                         f"1: {over:+.2f} ns | {'yes' if over <= 1 else 'no'} |")
    for layout in LAYOUTS:
        for shape in ["head", "mixed_head", "random"]:
            w = worst(rows, "hascycle", layout, shape, "floor_ratio", SIZES[4:])
            if w:
                lines.append(f"| hascycle <= {CYCLIC_TARGET}x traverse, n >= 16 | {layout} | "
                             f"{shape} | {w[1]}: {w[0]:.2f}x | "
                             f"{'yes' if w[0] <= CYCLIC_TARGET else 'no'} |")
            above = []
            for n in SIZES[1:]:
                mine = rows.get(f"short/hascycle/{layout}/{shape}/{n}")
                hare = rows.get(f"short/hare/{layout}/{shape}/{n}")
                # Above the hare only where the intervals do not overlap.
                if mine and hare and mine["floor_ratio_lo"] > hare["floor_ratio_hi"]:
                    above.append(f"{n} ({mine['floor_ratio']:.2f} vs {hare['floor_ratio']:.2f})")
            lines.append(f"| hascycle never above the hare's ratio | {layout} | {shape} | "
                         f"{', '.join(above) if above else 'none above'} | "
                         f"{'no' if above else 'yes'} |")
    return lines


def big_table(rows):
    """hasCycle and findCycle against traverse and the other read-only
    detectors and the reversal, on every layout, shape and size measured."""
    kernels = ["hascycle", "findcycle", "hare", "reverse", "brent", "nivasch"]
    lines = ["", "| layout | shape | n | traverse ns a node | " + " | ".join(kernels) + " |",
             "|---|---|---|---|" + "---|" * len(kernels)]
    keys = sorted({tuple(name.split("/")[1:]) for name in rows if name.startswith("hascycle/")},
                  key=lambda k: (k[0], ["linear", "head", "middle", "self"].index(k[1]), int(k[2])))
    for layout, shape, n in keys:
        row = rows.get(f"hascycle/{layout}/{shape}/{n}")
        cells = [cell(rows.get(f"{k}/{layout}/{shape}/{n}")) for k in kernels]
        lines.append(f"| {layout} | {shape} | {n} | {row['floor_ns_per_node']:.2f} | " +
                     " | ".join(cells) + " |")
    return lines


def fnptr_table(rows):
    lines = ["", "hasCycle at 1M nodes, next as a lambda and as a pointer to a function (time "
             "over the floor, 95% interval):", "",
             "| layout | shape | lambda | function pointer |", "|---|---|---|---|"]
    for name in sorted(rows):
        parts = name.split("/")
        if parts[0] != "hascycle_fnptr":
            continue
        lam = rows.get("/".join(["hascycle"] + parts[1:]))
        lines.append(f"| {parts[1]} | {parts[2]} | {cell(lam)} | {cell(rows[name])} |")
    return lines


def period_table(rows):
    lines = ["", "| function | bits | mu | lambda | kernel | calls per value | time over the "
             "floor (95% interval) | floor ns a value |", "|---|---|---|---|---|---|---|---|"]
    for name, row in sorted(rows.items()):
        parts = name.split("/")
        if parts[0] != "period":
            continue
        lines.append(f"| {parts[2]} | {parts[3]} | {row['mu']:.0f} | {row['lambda']:.0f} | "
                     f"{parts[1]} | {row['calls_per_value']:.3f} | {cell(row)} | "
                     f"{row['floor_ns_per_value']:.1f} |")
    return lines


def plot_short(rows, out_png):
    """Time over the walk against n on linear lists of mixed lengths, both
    layouts."""
    series, plots = [], []
    for layout in LAYOUTS:
        for kernel in ["hascycle", "findcycle", "hare", "brent", "each"]:
            points = [(n, rows[f"short/{kernel}/{layout}/mixed/{n}"]["walk_ratio"])
                      for n in SIZES if f"short/{kernel}/{layout}/mixed/{n}" in rows]
            if points:
                series.append("\n".join(f"{n} {r}" for n, r in points) + "\ne\n")
                plots.append(f"'-' using 1:2 with linespoints title '{kernel}, {layout}'")
    gnuplot(f"set terminal pngcairo size 900,550\nset output '{out_png}'\n"
            "set logscale x 2\nset logscale y\nset xlabel 'mean nodes a list (lengths 1 to 2n-1)'\n"
            "set ylabel 'time over the walk to nullptr'\nset key outside\n"
            "plot " + ", ".join(plots) + "\n" + "".join(series))


def write(folder, out_dir):
    """Writes short.md (and short.png) into out_dir from the results in
    folder; returns the markdown, or None where none of the results exist."""
    found = {name: os.path.join(folder, name) for name in
             ("results_short.json", "results_lists_small.json", "results_lists_small_repeat.json",
              "results_lists_big.json", "results_lists_big_repeat.json", "results_fnptr.json",
              "results_period.json")
             if os.path.exists(os.path.join(folder, name))}
    if not found:
        return None
    lines = ["# Short lists and periods", ""] + machine(folder)
    if "results_short.json" in found:
        rows = load_named(found["results_short.json"])
        lines += ["", "## Short lists one at a time", "", "### Targets"] + targets_table(rows)
        lines += ["", "### Every row"] + short_tables(rows)
        plot_short(rows, os.path.join(out_dir, "short.png"))
    for file, title in (("results_lists_small.json", "hasCycle from 10^3 to 10^5 nodes"),
                        ("results_lists_small_repeat.json",
                         "hasCycle from 10^3 to 10^5 nodes, the run after"),
                        ("results_lists_big.json", "hasCycle at 1M and 4M nodes"),
                        ("results_lists_big_repeat.json", "hasCycle at 1M and 4M nodes, the run after")):
        if file in found:
            lines += ["", f"## {title}", "", f"`{file}`: time over the traverse floor (median of "
                      "paired rounds, 95% interval), sampled to a 2% interval:"]
            lines += big_table(load_named(found[file]))
    if "results_fnptr.json" in found:
        lines += ["", "## next as a function pointer"] + fnptr_table(
            load_named(found["results_fnptr.json"]))
    if "results_period.json" in found:
        lines += ["", "## Periods of iterated functions"] + period_table(
            load_named(found["results_period.json"]))
    text = "\n".join(lines) + "\n"
    with open(os.path.join(out_dir, "short.md"), "w") as f:
        f.write(text)
    return text
