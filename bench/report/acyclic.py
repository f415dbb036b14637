"""Graphs kept acyclic edge by edge: acyclic.md, from bench/run's
results_acyclic.json, with the machine they ran on (run.txt). Each row is
paired round by round with the floor that stores the same edges and checks
nothing; intervals are the 95% intervals of the median ratio."""
import os

from .load import cell, load_rows, machine, ordered, power

SIZES = [1 << 10, 1 << 14, 1 << 18]
WORKLOADS = ["random_dag", "mixed", "reverse_chain", "lock_order"]
ORDER = ["recheck", "acyclicgraph", "graphcycles"]


def kernels_of(rows):
    return ordered({name.split("/")[1] for name in rows if name.startswith("acyclic/")}, ORDER)


def row(rows, kernel, workload, n):
    return rows.get(f"acyclic/{kernel}/{workload}/{n}")


def table(rows, n):
    """ns an addEdge and time over the floor at n, workload by workload."""
    kernels = [k for k in kernels_of(rows) if any(row(rows, k, w, n) for w in WORKLOADS)]
    if not kernels:
        return []
    lines = ["", f"**n = {power(n)}**: ns an `addEdge` (median), then time over the store floor "
             "(median of paired rounds, 95% interval); the share refused", "",
             "| workload | edges | refused | floor ns | " +
             " | ".join(f"{k} ns | {k} / floor" for k in kernels) + " |",
             "|---|---|---|---|" + "---|---|" * len(kernels)]
    for workload in WORKLOADS:
        present = [row(rows, k, workload, n) for k in kernels]
        if not any(present):
            continue
        first = next(r for r in present if r)
        cells = []
        for r in present:
            cells += ["-", "-"] if r is None else [f"{r['ns_per_edge']:.1f}", cell(r)]
        lines.append(f"| {workload} | {first['edges']:.0f} | {first['refused']:.2f} | "
                     f"{first['floor_ns_per_edge']:.1f} | " + " | ".join(cells) + " |")
    return lines


def growth(rows):
    """How the total grows with n: each size's ns an edge over the last
    size's, for every kernel and workload measured at two sizes or more."""
    lines = ["", "ns an edge at each size over the one before (1.0: the total grows as the "
             "edges do; 16: the total grows as n times the edges):", "",
             "| kernel | workload | " + " | ".join(
                 f"{power(b)} / {power(a)}" for a, b in zip(SIZES, SIZES[1:])) + " |",
             "|---|---|" + "---|" * (len(SIZES) - 1)]
    for kernel in kernels_of(rows):
        for workload in WORKLOADS:
            steps = []
            for a, b in zip(SIZES, SIZES[1:]):
                ra, rb = row(rows, kernel, workload, a), row(rows, kernel, workload, b)
                steps.append(f"{rb['ns_per_edge'] / ra['ns_per_edge']:.2f}" if ra and rb else "-")
            if any(s != "-" for s in steps):
                lines.append(f"| {kernel} | {workload} | " + " | ".join(steps) + " |")
    return lines


def speedup(rows, kernel, against, workload, n):
    """against's time over kernel's (from their medians), or None."""
    mine, theirs = row(rows, kernel, workload, n), row(rows, against, workload, n)
    if mine is None or theirs is None:
        return None
    return theirs["ns_per_edge"] / mine["ns_per_edge"]


def targets(rows):
    """Each target with the figure that decides it."""
    lines = ["", "| target | figure | met |", "|---|---|---|"]

    def add(what, value, goal):
        if value is None:
            lines.append(f"| {what} | not measured | - |")
        else:
            lines.append(f"| {what} | {value:.2f}x | {'yes' if value >= goal else 'no'} |")

    for workload in ("random_dag", "mixed"):
        add(f"{workload} at 2^14: at least 100x faster than recheck",
            speedup(rows, "acyclicgraph", "recheck", workload, 1 << 14), 100)
    for n in SIZES:
        for workload in WORKLOADS:
            add(f"{workload} at {power(n)}: never slower than graphcycles",
                speedup(rows, "acyclicgraph", "graphcycles", workload, n), 1)
        add(f"random_dag at {power(n)}: at least 2x faster than graphcycles",
            speedup(rows, "acyclicgraph", "graphcycles", "random_dag", n), 2)
    for n in SIZES:
        add(f"reverse_chain at {power(n)}: no slower than recheck",
            speedup(rows, "acyclicgraph", "recheck", "reverse_chain", n), 1)
    for n in SIZES:
        r = row(rows, "acyclicgraph", "lock_order", n)
        if r is not None:
            lines.append(f"| lock_order at {power(n)}: a repeated edge about one lookup | "
                         f"{r['ns_per_edge']:.1f} ns an edge, {r['floor_ratio']:.2f}x the store "
                         "floor | see the report |")
    return lines


def write(folder, out_dir):
    """Writes acyclic.md into out_dir from the results in folder; returns the
    markdown, or None where there are none."""
    path = os.path.join(folder, "results_acyclic.json")
    if not os.path.exists(path):
        return None
    rows = load_rows(path)
    lines = ["# Graphs kept acyclic edge by edge", ""] + machine(folder)
    lines += ["", "## ns an edge and time over the floor"]
    for n in SIZES:
        lines += table(rows, n)
    lines += ["", "## Growth with n"] + growth(rows)
    lines += ["", "## Targets"] + targets(rows)
    text = "\n".join(lines) + "\n"
    with open(os.path.join(out_dir, "acyclic.md"), "w") as f:
        f.write(text)
    return text
