"""Reading cycle_bench's JSON output, for every family: one loader (rows by
name, their medians), the list rows' keys, which kernels the results hold,
and the small formatting helpers every table uses."""
import json
import os
import sys

# The kernels' roles and presentation order; which kernels a table shows
# comes from the results (kernels_in). The floors decide nothing; the ranked
# detectors only read the list and answer yes or no.
FLOORS = ["traverse", "stream", "trail"]
RANKED = ["hare", "brent", "nivasch", "hascycle"]
ORDER = FLOORS + ["hare", "reverse", "brent", "nivasch", "hascycle", "findcycle",
                  "hascycle_fnptr", "hashset"]
LAYOUTS = ["sequential", "scattered"]
ALL_LAYOUTS = LAYOUTS + ["sequential_cold", "scattered_cold"]
SHAPES = ["linear", "head", "middle", "self"]
SWEEP = [f"k{p}" for p in range(0, 101, 10)]
SWEEP_N = 1000000
LABEL = {1000: "1k", 10000: "10k", 100000: "100k", 1000000: "1M", 4000000: "4M"}
COLOR = {"traverse": "black", "stream": "gray50", "trail": "gray30", "hare": "#d62728",
         "reverse": "#1f77b4", "brent": "#2ca02c", "nivasch": "#9467bd", "hascycle": "#17becf",
         "findcycle": "#8c564b", "hascycle_fnptr": "#bcbd22", "hashset": "#ff7f0e"}
COUNTERS = ["ns_per_node", "ns_per_node_lo", "ns_per_node_hi", "floor_ns_per_node",
            "floor_ratio", "floor_ratio_lo", "floor_ratio_hi", "moves_per_node", "chain_per_node",
            "writes_per_node", "stack_peak", "rounds", "outlier_rounds", "ci_met", "anon_huge_kib"]
# A cycle this short (in nodes) stays in the 1 MiB L2 while a pointer circles
# it: one 64-byte line per node when scattered, two nodes a line in order.
CACHED_CYCLE = {"sequential": 32768, "scattered": 16384}


def row_name(run):
    """The row's name without Google Benchmark's suffixes."""
    return "/".join(p for p in run["run_name"].split("/")
                    if p != "manual_time" and not p.startswith("iterations:"))


def load_rows(path):
    """The one loader: maps each row's name (see row_name) to its run, the
    median aggregate where the row was repeated, otherwise its first run.
    Ends bench/plot with the row's message if any row failed."""
    with open(path) as f:
        report = json.load(f)
    plain, medians = {}, {}
    for run in report["benchmarks"]:
        if run.get("error_occurred"):
            sys.exit(f"bench/plot: {run['name']} failed: {run.get('error_message')}")
        if run.get("run_type") == "aggregate":
            if run.get("aggregate_name") == "median":
                medians[row_name(run)] = run
        else:
            plain.setdefault(row_name(run), run)
    plain.update(medians)
    return plain


def row_key(name):
    """A list row's name as a tuple: (kernel, layout, shape, n) for one list,
    ("many", kind, layout, lists, in flight, threads) for many; None for the
    other families."""
    parts = name.split("/")
    if parts[0] == "many" and len(parts) in (5, 6):
        threads = 2 if len(parts) == 6 and parts[5] == "t2" else 1
        return ("many", parts[1], parts[2], int(parts[3]), int(parts[4][1:]), threads)
    if len(parts) == 4:
        return (parts[0], parts[1], parts[2], int(parts[3]))
    return None


def load(path):
    """The list rows of path (load_rows), keyed by row_key, each with its
    counters."""
    keyed = {}
    for name, run in load_rows(path).items():
        key = row_key(name)
        if key is not None and "ns_per_node" in run:
            keyed[key] = {c: run[c] for c in COUNTERS if c in run}
    return keyed


def load_beside(path, name):
    """The results file name in the folder of path, or None if absent."""
    other = os.path.join(os.path.dirname(path) or ".", name)
    return load(other) if os.path.exists(other) else None


def kernels_in(results, floors=True):
    """The kernels the list rows of results hold, in ORDER (any kernel ORDER
    does not know follows, by name); without the floors if floors is
    False."""
    found = {key[0] for key in results if key[0] not in ("many", "pages")}
    if not floors:
        found -= set(FLOORS)
    return ordered(found, ORDER)


def ordered(names, order):
    """names sorted as order has them, any name order lacks after them, by
    name: the results say which kernels there are, order only how to show
    them."""
    rank = {k: i for i, k in enumerate(order)}
    return sorted(set(names), key=lambda k: (rank.get(k, len(order)), k))


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


def cell(row, ratio="floor_ratio"):
    """A ratio and its 95% interval, as "1.02 (1.01-1.04)"."""
    if row is None or ratio not in row:
        return "-"
    return f"{row[ratio]:.2f} ({row[ratio + '_lo']:.2f}-{row[ratio + '_hi']:.2f})"


def fmt(value, digits=2):
    return "" if value is None else f"{value:.{digits}f}"


def machine(folder):
    """The lines that say which run, build and machine the results in folder
    came from, as bench/run recorded them in run.txt, with the run's wall
    time and each stage's."""
    record = run_record(folder)
    if record is None:
        return ["The run these figures came from was not recorded."]
    lines = [f"One run of `bench/run` (`run.txt`): run `{record.get('run')}`, build "
             f"`{record.get('build')}` (commit, then a hash of `cycle_bench`), started "
             f"{record.get('started')}, settings `{record.get('settings')}`; wall time "
             f"{record.get('wall time', 'not recorded (the run did not finish)')}.", "",
             "Machine (lscpu):", "", "```"] + record["lscpu"] + ["```", "",
             "| stage | wall time |", "|---|---|"]
    for name, seconds, _ in record["stages"]:
        lines.append(f"| {name} | {seconds // 60}m {seconds % 60:02d}s |")
    return lines


def run_record(folder):
    """bench/run's record of the run in folder (run.txt): a dict of its
    "key: value" lines, the lscpu lines under "lscpu" and each stage as
    (name, seconds, files written) under "stages"; None where there is none."""
    path = os.path.join(folder, "run.txt")
    if not os.path.exists(path):
        return None
    record = {"lscpu": [], "stages": []}
    with open(path) as f:
        for line in f.read().splitlines():
            key, _, value = line.partition(": ")
            if key == "lscpu":
                record["lscpu"].append(value)
            elif key.startswith("stage "):
                seconds, _, files = value.partition(" s:")
                record["stages"].append((key[len("stage "):], int(seconds), files.split()))
            else:
                record[key] = value
    return record


def run_problems(folder):
    """Why the results in folder are not one run's, one line each, or none:
    every results file (.json, .txt) must be one a stage of the run in run.txt
    wrote, and every JSON one must carry that run, build and machine in its
    context. Files that differ are named, grouped by what they carry."""
    record = run_record(folder)
    if record is None:
        return [f"{folder}/run.txt is missing: the results carry no run record"]
    written = {name for _, _, files in record["stages"] for name in files}
    mine = (record.get("run"), record.get("build"), record.get("machine"))
    problems, carried = [], {}
    for name in sorted(os.listdir(folder)):
        if name == "run.txt" or not name.endswith((".json", ".txt")):
            continue
        if name not in written:
            problems.append(f"{name}: no stage of run {mine[0]} wrote it")
        if name.endswith(".json"):
            with open(os.path.join(folder, name)) as f:
                context = json.load(f).get("context", {})
            theirs = (context.get("run"), context.get("build"), context.get("machine"))
            if theirs != mine:
                carried.setdefault(theirs, []).append(name)
    for (run, build, machine_id), names in carried.items():
        problems.append(f"{', '.join(names)}: run {run}, build {build}, machine {machine_id}; "
                        f"run.txt has run {mine[0]}, build {mine[1]}, machine {mine[2]}")
    return problems


def power(n):
    """n, a power of two, as "2^k"."""
    return f"2^{n.bit_length() - 1}"
