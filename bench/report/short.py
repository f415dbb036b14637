"""Short lists one at a time, hasCycle through a function pointer, and the
periods of iterated functions: short.md and short.png, from bench/run's
results_short.json, results_fnptr.json and results_period.json, with the
machine they ran on (machine.txt). Medians of the repetitions; intervals
are the 95% intervals of each row's median ratio to its floor."""
import json
import os
import sys

from .load import machine
from .plots import gnuplot

SIZES = [1, 2, 4, 8, 16, 32, 64, 128, 256, 512]
KERNELS = ["hascycle", "hascycle_fnptr", "findcycle", "brent", "hare", "nivasch", "each"]
SHAPES = ["linear", "head", "random"]
LAYOUTS = ["sequential", "scattered"]


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


def cell(row):
    """A ratio and its 95% interval, as "1.02 (1.01-1.04)"."""
    if row is None:
        return "-"
    return f"{row['floor_ratio']:.2f} ({row['floor_ratio_lo']:.2f}-{row['floor_ratio_hi']:.2f})"


def short_tables(rows):
    lines = []
    for layout in LAYOUTS:
        for shape in SHAPES:
            lines += ["", f"**{layout}, {shape}**: time a list over the traverse floor of the "
                      "same lists (median of paired rounds, 95% interval); the floor's ns a "
                      "list first", "",
                      "| n | floor ns | " + " | ".join(KERNELS) + " |",
                      "|---|---|" + "---|" * len(KERNELS)]
            for n in SIZES:
                floor = rows.get(f"short/traverse/{layout}/{shape}/{n}")
                floor_ns = f"{floor['ns_per_list']:.1f}" if floor else "-"
                cells = [cell(rows.get(f"short/{k}/{layout}/{shape}/{n}")) for k in KERNELS]
                lines.append(f"| {n} | {floor_ns} | " + " | ".join(cells) + " |")
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
    """Time over the floor against n on linear lists, both layouts."""
    series, plots = [], []
    for layout in LAYOUTS:
        for kernel in ["hascycle", "findcycle", "brent", "each"]:
            points = [(n, rows[f"short/{kernel}/{layout}/linear/{n}"]["floor_ratio"])
                      for n in SIZES if f"short/{kernel}/{layout}/linear/{n}" in rows]
            if points:
                series.append("\n".join(f"{n} {r}" for n, r in points) + "\ne\n")
                plots.append(f"'-' using 1:2 with linespoints title '{kernel}, {layout}'")
    gnuplot(f"set terminal pngcairo size 900,550\nset output '{out_png}'\n"
            "set logscale x 2\nset logscale y\nset xlabel 'nodes a list'\n"
            "set ylabel 'time over the traverse floor (linear lists)'\nset key outside\n"
            "plot " + ", ".join(plots) + "\n" + "".join(series))


def write(folder, out_dir):
    """Writes short.md (and short.png) into out_dir from the results in
    folder; returns the markdown, or None where none of the results exist."""
    found = {name: os.path.join(folder, name) for name in
             ("results_short.json", "results_fnptr.json", "results_period.json")
             if os.path.exists(os.path.join(folder, name))}
    if not found:
        return None
    lines = ["# Short lists and periods", ""] + machine(folder)
    if "results_short.json" in found:
        rows = load_named(found["results_short.json"])
        lines += ["", "## Short lists one at a time"] + short_tables(rows)
        plot_short(rows, os.path.join(out_dir, "short.png"))
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
