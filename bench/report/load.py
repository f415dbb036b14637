"""Reading cycle_bench's JSON output: rows keyed by name, their medians and
intervals, and the small formatting helpers every table uses."""
import json
import os
import sys

KERNELS = ["traverse", "stream", "trail", "hare", "reverse", "brent", "nivasch", "hascycle",
           "findcycle", "hashset"]
DETECTORS = ["hare", "reverse", "brent", "nivasch", "hascycle", "findcycle", "hashset"]
READ_ONLY = ["hare", "brent", "nivasch", "hascycle"]
LAYOUTS = ["sequential", "scattered"]
ALL_LAYOUTS = LAYOUTS + ["sequential_cold", "scattered_cold"]
SHAPES = ["linear", "head", "middle", "self"]
SWEEP = [f"k{p}" for p in range(0, 101, 10)]
SWEEP_N = 1000000
LABEL = {1000: "1k", 10000: "10k", 100000: "100k", 1000000: "1M", 4000000: "4M"}
COLOR = {"traverse": "black", "stream": "gray50", "trail": "gray30", "hare": "#d62728",
         "reverse": "#1f77b4", "brent": "#2ca02c", "nivasch": "#9467bd", "hascycle": "#17becf",
         "findcycle": "#8c564b", "hashset": "#ff7f0e"}
COUNTERS = ["ns_per_node", "ns_per_node_lo", "ns_per_node_hi", "floor_ns_per_node",
            "floor_ratio", "floor_ratio_lo", "floor_ratio_hi", "moves_per_node", "chain_per_node",
            "writes_per_node", "stack_peak", "rounds", "outlier_rounds", "ci_met", "anon_huge_kib"]
# A cycle this short (in nodes) stays in the 1 MiB L2 while a pointer circles
# it: one 64-byte line per node when scattered, two nodes a line in order.
CACHED_CYCLE = {"sequential": 32768, "scattered": 16384}


def run_key(run):
    """The row's name without Google Benchmark's suffixes, as a tuple:
    (kernel, layout, shape, n) for one list, ("many", kind, layout, lists,
    in flight, threads) for many."""
    parts = [p for p in run["run_name"].split("/")
             if p != "manual_time" and not p.startswith("iterations:")]
    if parts[0] == "many" and len(parts) in (5, 6):
        threads = 2 if len(parts) == 6 and parts[5] == "t2" else 1
        return ("many", parts[1], parts[2], int(parts[3]), int(parts[4][1:]), threads)
    if len(parts) == 4:
        return (parts[0], parts[1], parts[2], int(parts[3]))
    return None


def load(path):
    """Maps each row's key (see run_key) to a dict of its counters: the median
    aggregate where the row was repeated, otherwise its one run."""
    with open(path) as f:
        report = json.load(f)
    plain, medians = {}, {}
    for run in report["benchmarks"]:
        if run.get("error_occurred"):
            sys.exit(f"bench/plot: {run['name']} failed: {run.get('error_message')}")
        key = run_key(run)
        if key is None or "ns_per_node" not in run:
            continue
        values = {c: run[c] for c in COUNTERS if c in run}
        if run.get("run_type") == "aggregate":
            if run.get("aggregate_name") == "median":
                medians[key] = values
        else:
            plain.setdefault(key, values)
    plain.update(medians)
    return plain


def load_beside(path, name):
    """The results file name in the folder of path, or None if absent."""
    other = os.path.join(os.path.dirname(path) or ".", name)
    return load(other) if os.path.exists(other) else None


def single(results):
    """The single-list rows alone."""
    return {k: v for k, v in results.items() if k[0] != "many"}


def half_width(row, name="floor_ratio"):
    """The wider half of the 95% interval around row[name], or None."""
    if row is None or f"{name}_lo" not in row:
        return None
    return max(row[f"{name}_hi"] - row[name], row[name] - row[f"{name}_lo"])


def with_interval(row, name="floor_ratio", digits=2, unit="x"):
    """A value as "1.02x ±0.01"; the ± only when the row has an interval, and
    "±?" when it took fewer than six rounds, too few for a 95% interval."""
    if row is None or name not in row:
        return ""
    text = f"{row[name]:.{digits}f}{unit}"
    h = half_width(row, name)
    if h is None:
        return text
    return f"{text} ±?" if row.get("rounds", 6) < 6 else f"{text} ±{h:.{digits}f}"


def overlaps(a, b):
    """True if the 95% intervals of two rows' ratios overlap."""
    lo = lambda row: row.get("floor_ratio_lo", row["floor_ratio"])
    hi = lambda row: row.get("floor_ratio_hi", row["floor_ratio"])
    return lo(a) <= hi(b) and lo(b) <= hi(a)


def ns(results, kernel, layout, shape, n):
    row = results.get((kernel, layout, shape, n))
    return None if row is None else row["ns_per_node"]


def ratio(results, kernel, layout, shape, n):
    """The kernel's time over the floor's: the median of rounds that ran both
    on the same list moments apart, or failing that the ratio of medians."""
    row = results.get((kernel, layout, shape, n))
    if row is None:
        return None
    if "floor_ratio" in row:
        return row["floor_ratio"]
    floor = ns(results, "traverse", layout, shape, n)
    return None if floor is None else row["ns_per_node"] / floor


def floor_ns(results, kernel, layout, shape, n):
    row = results.get((kernel, layout, shape, n))
    if row is None:
        return None
    return row.get("floor_ns_per_node", ns(results, "traverse", layout, shape, n))


def fmt(value, digits=2):
    return "" if value is None else f"{value:.{digits}f}"


def machine(folder, name="machine.txt"):
    """The lines that say which machine the results in folder came from, as
    bench/run recorded it in name (machine.txt unless a stage has its own)."""
    path = os.path.join(folder, name)
    if not os.path.exists(path):
        return ["The machine these figures came from was not recorded."]
    with open(path) as f:
        return ([f"Measured on (`{name}`, from lscpu):", "", "```"] +
                f.read().strip().splitlines() + ["```"])
