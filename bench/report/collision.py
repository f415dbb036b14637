"""Collisions of random-like functions: collision.md, from bench/run's
results_collision.json (cycle_bench's collision/ rows), the MPI rows
results_collision_mpi_r<R>.json (cycle_bench_mpi under mpirun) and the one
64-bit search collision_sha256_64.json (cycle_collide64), with the machine
they ran on (run.txt). Each cycle_bench row is paired round by round with
the floor that calls f in a dependent loop as many times as the search did;
intervals are the 95% intervals of the median ratio."""
import json
import math
import os

from .load import cell, load_rows, machine, ordered

BITS = [32, 40, 48]
FUNCTIONS = ["mix", "sha256"]
ORDER = ["rho", "table", "sorted", "findcollision", "findcollision_t2"]
RANKS = [1, 2, 4]
# The library's default room for points: 4 MiB of 24-byte slots.
ROOM = (4 << 20) // 24


def expected_calls(bits):
    """sqrt(pi N / 2), N = 2^bits."""
    return math.sqrt(math.pi / 2 * 2.0 ** bits)


def planned_d(bits, threads):
    """The distinguished bits findCollision chooses by default (its
    contract's rule): 2^(2d) about 1.6 sqrt(pi N / 2) / threads, then raised
    until the expected points fill at most a quarter of the room."""
    expected, d = expected_calls(bits), 0
    while d + 1 < bits and 2.0 ** (2 * (d + 1)) <= 1.6 * expected / threads:
        d += 1
    while d + 1 < bits and expected / 2.0 ** d > ROOM / 4:
        d += 1
    return d


def row(rows, kernel, function, bits):
    return rows.get(f"collision/{kernel}/{function}/{bits}")


def per_search_ms(r):
    return r["ns_per_call"] * r["calls_mean"] / 1e6


def table(rows, function, bits):
    """Every kernel on function at bits: its cost a call and a search, and
    its calls, points and heap."""
    kernels = ordered({name.split("/")[1] for name in rows
                       if name.startswith("collision/") and name.endswith(f"/{function}/{bits}")},
                      ORDER)
    if not kernels:
        return []
    lines = ["", f"**{function}, {bits} bits** (sqrt(pi N / 2) = {expected_calls(bits):,.0f} "
             "calls): ns a call (median), time a call over the floor's (median of paired rounds, "
             "95% interval), ms a search (ns a call times the mean calls), the mean calls over "
             "the seeds and over sqrt(pi N / 2), the points stored and the most the heap grew in "
             "a search", "",
             "| kernel | seeds | ns a call | floor ns | over the floor | ms a search | calls | "
             "calls / sqrt(pi N/2) | points | heap KiB |",
             "|---|---|---|---|---|---|---|---|---|---|"]
    for kernel in kernels:
        r = row(rows, kernel, function, bits)
        heap = f"{r['heap_kib']:,.0f}" if "heap_kib" in r else "-"
        lines.append(f"| {kernel} | {r['seeds']:.0f} | {r['ns_per_call']:.2f} | "
                     f"{r['floor_ns_per_call']:.2f} | {cell(r)} | {per_search_ms(r):,.2f} | "
                     f"{r['calls_mean']:,.0f} | {r['calls_ratio']:.3f} | "
                     f"{r['points_mean']:,.0f} | {heap} |")
    return lines


def pairs(rows):
    """The library's second pairs: two threads over one, per call, and the
    table's whole search over the library's, seed by seed."""
    lines = ["", "Paired in the same rounds on the same seeds: two threads' time a call over one "
             "thread's, and the library's whole search over the table's (the speed-up is the "
             "inverse of each median ratio)", "",
             "| function | bits | t2 / t1 a call | speed-up | library / table a search | "
             "speed-up | table heap / library heap |", "|---|---|---|---|---|---|---|"]
    for function in FUNCTIONS:
        for bits in BITS:
            two = row(rows, "findcollision_t2", function, bits)
            one = row(rows, "findcollision", function, bits)
            tab = row(rows, "table", function, bits)
            if two is None and one is None:
                continue
            t2 = "-", "-"
            if two is not None and "one_thread_ratio" in two:
                t2 = cell(two, "one_thread_ratio"), f"{1 / two['one_thread_ratio']:.2f}x"
            vs = "-", "-", "-"
            if one is not None and "table_ratio" in one:
                memory = (f"{tab['heap_kib'] / one['heap_kib']:,.0f}x"
                          if tab is not None and one.get("heap_kib") else "-")
                vs = cell(one, "table_ratio"), f"{1 / one['table_ratio']:.1f}x", memory
            lines.append(f"| {function} | {bits} | {t2[0]} | {t2[1]} | {vs[0]} | {vs[1]} | "
                         f"{vs[2]} |")
    return lines


def load_mpi(folder):
    """The MPI rows of every rank count run, by name."""
    rows = {}
    for ranks in RANKS:
        path = os.path.join(folder, f"results_collision_mpi_r{ranks}.json")
        if os.path.exists(path):
            rows.update(load_rows(path))
    return rows


def mpi_table(mpi):
    if not mpi:
        return ["", "No MPI rows: the build had no MPI."]
    lines = ["", "Each round times, in an order that turns, the search over all R ranks, the same "
             "seed's search on rank 0 alone (the other ranks waiting in a barrier), and the floor "
             "on rank 0 (sqrt(pi N / 2) calls of f in a dependent loop). ns a call is the wall "
             "time over the calls of every rank; over the floor below 1 is faster than one core "
             "calling f alone; one rank / R ranks is the speed-up over one rank, per call "
             "(medians of the rounds, 95% intervals). Four ranks share the two cores.", "",
             "| ranks | function | bits | seeds | ns a call | over one core's floor | one rank / "
             "R ranks | calls / sqrt(pi N/2) | points |", "|---|---|---|---|---|---|---|---|---|"]
    for function in FUNCTIONS:
        for bits in BITS:
            for ranks in RANKS:
                r = mpi.get(f"collision/mpi_r{ranks}/{function}/{bits}")
                if r is None:
                    continue
                speed = cell(r, "one_rank_ratio") if ranks > 1 else "1"
                lines.append(f"| {ranks} | {function} | {bits} | {r['seeds']:.0f} | "
                             f"{r['ns_per_call']:.2f} | {cell(r)} | {speed} | "
                             f"{r['calls_ratio']:.3f} | {r['points_mean']:,.0f} |")
    return lines


def big_search(folder):
    path = os.path.join(folder, "collision_sha256_64.json")
    if not os.path.exists(path):
        return ["", "The 64-bit search was not run."]
    with open(path) as f:
        s = json.load(f)
    return ["", f"One collision of SHA-256 truncated to {s['bits']} bits, `findCollision` on "
            f"{s['threads']} threads, seed 1 (`cycle_collide64`): a = `{s['a']}`, b = `{s['b']}`, "
            f"the low {s['bits']} bits of both digests `{s['image']}`; {s['calls']:,} calls "
            f"({s['calls_ratio']:.2f} sqrt(pi N / 2)), {s['points']:,} points stored, "
            f"{s['seconds']:,.0f} s wall ({s['seconds'] * 1e9 / s['calls']:.1f} ns a call on "
            f"the two threads together); checked again after the search: {s['verified']}."]


def targets(rows, mpi):
    lines = ["", "| target | figure | met |", "|---|---|---|"]

    def add(what, figure, met):
        lines.append(f"| {what} | {figure} | {'-' if met is None else 'yes' if met else 'no'} |")

    for function in FUNCTIONS:
        for kernel, threads in (("findcollision", 1), ("findcollision_t2", 2)):
            r = row(rows, kernel, function, 40)
            if r is None:
                continue
            d = planned_d(40, threads)
            # The mean of seeds draws of a spread about 0.52 times the mean.
            error = 0.523 / math.sqrt(r["seeds"])
            bound = 1 + 2.5 * 2 ** d * threads / expected_calls(40)
            add(f"{function} {kernel}, 40 bits: mean calls over {r['seeds']:.0f} seeds within "
                "1.15 sqrt(pi N / 2)",
                f"{r['calls_ratio']:.3f} (± {error:.3f}, one standard error)",
                r["calls_ratio"] <= 1.15)
            add(f"{function} {kernel}, 40 bits: within 1.0 + 2.5 * 2^d a walk in flight "
                f"(d = {d}: {bound:.4f})", f"{r['calls_ratio']:.3f}", r["calls_ratio"] <= bound)
    for function in FUNCTIONS:
        for bits in BITS:
            r = row(rows, "findcollision", function, bits)
            if r is not None:
                add(f"{function}, {bits} bits: one thread at most 1.15x the calls floor",
                    cell(r), r["floor_ratio"] <= 1.15)
    for function in FUNCTIONS:
        for bits in BITS:
            r = row(rows, "findcollision_t2", function, bits)
            if r is not None and "one_thread_ratio" in r:
                add(f"{function}, {bits} bits: two threads at least 1.8x faster a call than one",
                    f"{1 / r['one_thread_ratio']:.2f}x", 1 / r["one_thread_ratio"] >= 1.8)
    for function in FUNCTIONS:
        for bits in BITS:
            r = mpi.get(f"collision/mpi_r2/{function}/{bits}")
            if r is not None:
                add(f"{function}, {bits} bits: two MPI ranks at least 1.7x one rank",
                    f"{r['one_rank_ratio']:.2f}x", r["one_rank_ratio"] >= 1.7)
    for function in FUNCTIONS:
        for bits in BITS:
            r = row(rows, "findcollision", function, bits)
            if r is not None and r.get("heap_kib") and r["points_mean"] > 0:
                per = r["heap_kib"] * 1024 / r["points_mean"]
                add(f"{function}, {bits} bits: at most 32 bytes a stored point",
                    f"{per:.0f} B of heap a point stored (24 B a slot)", per <= 32)
    for function in FUNCTIONS:
        one, tab = row(rows, "findcollision", function, 40), row(rows, "table", function, 40)
        if one is not None and tab is not None and "table_ratio" in one:
            add(f"{function}, 40 bits: at least 10x faster than table",
                f"{1 / one['table_ratio']:.1f}x", 1 / one["table_ratio"] >= 10)
            add(f"{function}, 40 bits: 100x less memory than table",
                f"{tab['heap_kib'] / one['heap_kib']:,.0f}x",
                tab["heap_kib"] / one["heap_kib"] >= 100)
    return lines


def write(folder, out_dir):
    """Writes collision.md into out_dir from the results in folder; returns
    the markdown, or None where there are none."""
    path = os.path.join(folder, "results_collision.json")
    if not os.path.exists(path):
        return None
    rows = load_rows(path)
    mpi = load_mpi(folder)
    lines = ["# Collisions of random-like functions", ""] + machine(folder)
    lines += ["", "## Each kernel"]
    for function in FUNCTIONS:
        for bits in BITS:
            lines += table(rows, function, bits)
    lines += ["", "## Threads, and the table"] + pairs(rows)
    lines += ["", "## Over MPI ranks"] + mpi_table(mpi)
    lines += ["", "## 64 bits"] + big_search(folder)
    lines += ["", "## Targets"] + targets(rows, mpi)
    text = "\n".join(lines) + "\n"
    with open(os.path.join(out_dir, "collision.md"), "w") as f:
        f.write(text)
    return text
