#!/usr/bin/env python3
"""Short lists and periods: the report's tables, from bench/run's
results_short.json and results_period.json, with the machine they ran on.

Usage: bench/report_short.py [RESULTS_DIR]   (default bench/results)

Writes RESULTS_DIR/short.md (and short.png where gnuplot is installed) and
prints the markdown. Medians of the repetitions; intervals are the 95%
intervals of each row's median ratio to the traverse floor.
"""
import json
import os
import shutil
import subprocess
import sys

SIZES = [1, 2, 4, 8, 16, 32, 64, 128, 256, 512]
KERNELS = ["hascycle", "hascycle_fnptr", "findcycle", "brent", "hare", "nivasch", "each"]
SHAPES = ["linear", "head", "random"]
LAYOUTS = ["sequential", "scattered"]


def load(path):
    """Maps a row's name (without Google Benchmark's suffixes) to its
    counters: the median aggregate where repeated, otherwise the one run."""
    with open(path) as f:
        report = json.load(f)
    rows = {}
    for run in report["benchmarks"]:
        if run.get("error_occurred"):
            sys.exit(f"report_short: {run['name']} failed: {run.get('error_message')}")
        if run.get("run_type") == "aggregate" and run.get("aggregate_name") != "median":
            continue
        name = "/".join(p for p in run["run_name"].split("/")
                        if p != "manual_time" and not p.startswith("iterations:"))
        rows[name] = run
    return rows


def cell(row):
    if row is None:
        return "-"
    return f"{row['floor_ratio']:.2f} ({row['floor_ratio_lo']:.2f}-{row['floor_ratio_hi']:.2f})"


def short_tables(rows):
    lines = []
    for layout in LAYOUTS:
        for shape in SHAPES:
            lines.append(f"\n**{layout}, {shape}**: time a list over the traverse floor "
                         "(95% interval); floor ns a list in the first column\n")
            lines.append("| n | floor ns | " + " | ".join(KERNELS) + " |")
            lines.append("|---|---|" + "---|" * len(KERNELS))
            for n in SIZES:
                floor = rows.get(f"short/traverse/{layout}/{shape}/{n}")
                floor_ns = f"{floor['ns_per_list']:.1f}" if floor else "-"
                cells = [cell(rows.get(f"short/{k}/{layout}/{shape}/{n}")) for k in KERNELS]
                lines.append(f"| {n} | {floor_ns} | " + " | ".join(cells) + " |")
    return lines


def period_table(rows):
    lines = ["\n| function | bits | mu | lambda | kernel | calls per value | time over the floor "
             "(95% interval) | floor ns a value |", "|---|---|---|---|---|---|---|---|"]
    for name, row in sorted(rows.items()):
        parts = name.split("/")
        if parts[0] != "period":
            continue
        lines.append(f"| {parts[2]} | {parts[3]} | {row['mu']:.0f} | {row['lambda']:.0f} | "
                     f"{parts[1]} | {row['calls_per_value']:.3f} | {cell(row)} | "
                     f"{row['floor_ns_per_value']:.1f} |")
    return lines


def plot(rows, out_png):
    if shutil.which("gnuplot") is None:
        print("report_short: gnuplot is missing; short.png is not made", file=sys.stderr)
        return
    blocks, plots = [], []
    for layout in LAYOUTS:
        for kernel in ["hascycle", "findcycle", "brent", "each"]:
            points = [(n, rows[f"short/{kernel}/{layout}/linear/{n}"]["floor_ratio"])
                      for n in SIZES if f"short/{kernel}/{layout}/linear/{n}" in rows]
            blocks.append("\n".join(f"{n} {r}" for n, r in points))
            plots.append(f"'-' using 1:2 with linespoints title '{kernel}, {layout}'")
    script = (f"set terminal pngcairo size 900,550\nset output '{out_png}'\n"
              "set logscale xy 2\nset xlabel 'nodes a list'\n"
              "set ylabel 'time over the traverse floor (linear lists)'\nset key outside\n"
              "plot " + ", ".join(plots) + "\n" + "\ne\n".join(blocks) + "\ne\n")
    subprocess.run(["gnuplot"], input=script, text=True, check=True)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "bench/results"
    lines = ["# Short lists and periods", ""]
    machine = os.path.join(folder, "machine.txt")
    if os.path.exists(machine):
        with open(machine) as f:
            lines += ["Measured on:", "", "```"] + f.read().strip().splitlines() + ["```"]
    short = os.path.join(folder, "results_short.json")
    if os.path.exists(short):
        rows = load(short)
        lines += ["", "## Short lists one at a time"] + short_tables(rows)
        plot(rows, os.path.join(folder, "short.png"))
    period = os.path.join(folder, "results_period.json")
    if os.path.exists(period):
        lines += ["", "## Periods of iterated functions"] + period_table(load(period))
    text = "\n".join(lines) + "\n"
    with open(os.path.join(folder, "short.md"), "w") as f:
        f.write(text)
    print(text)


if __name__ == "__main__":
    main()
