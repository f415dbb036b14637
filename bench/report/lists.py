"""The single-list family: the tables of results.md (time over the floor
at 1M and 4M, counters, the stream limit, rankings, cold against warm, the
cost model, the sweep's crossover, repeatability, page sizes), short.md's
tables of hasCycle by size and through a function pointer, and the plots
ns_per_node.png and sweep.png."""
from .load import (
    ALL_LAYOUTS,
    COLOR,
    LABEL,
    LAYOUTS,
    RANKED,
    SHAPES,
    SWEEP,
    SWEEP_N,
    cell,
    fmt,
    kernels_in,
    load_rows,
    ns,
    overlaps,
    ratio,
    with_interval,
)
from .model import crossover, model_table, predict
from .plots import block, gnuplot


def time_table(results, n):
    kernels = [k for k in kernels_in(results) if any(key[0] == k and key[-1] == n for key in results)]
    head = ["layout", "shape"] + kernels
    lines = [f"ns per node at {LABEL[n]} nodes (in brackets: time over the traverse floor, the "
             "median of rounds that ran both on the same list, ± the wider half of its 95% "
             "interval):", "",
             "| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for layout in ALL_LAYOUTS:
        if not any(key[1] == layout and key[-1] == n for key in results):
            continue
        for shape in SHAPES:
            cells = [layout, shape]
            for k in kernels:
                row = results.get((k, layout, shape, n))
                if row is None:
                    cells.append("")
                elif k == "traverse":
                    cells.append(fmt(row["ns_per_node"]))
                else:
                    cells.append(f"{fmt(row['ns_per_node'])} ({with_interval(row)})")
            lines.append("| " + " | ".join(cells) + " |")
    return lines


def counter_table(results, n):
    lines = [f"Step counters at {LABEL[n]} nodes, scattered layout (moves / chain / writes "
             "per node, and the peak entries a detector holds):", "",
             "| kernel | " + " | ".join(SHAPES) + " |", "|" + "---|" * (len(SHAPES) + 1)]
    for k in kernels_in(results):
        cells = [k]
        for shape in SHAPES:
            row = results.get((k, "scattered", shape, n))
            if row is None:
                cells.append("")
                continue
            text = (f"{row['moves_per_node']:.3f} / {row['chain_per_node']:.3f} / "
                    f"{row['writes_per_node']:.3f}")
            if row.get("stack_peak"):
                text += f", peak {row['stack_peak']:.0f}"
            cells.append(text)
        lines.append("| " + " | ".join(cells) + " |")
    return lines


def stream_table(results):
    sizes = sorted({key[3] for key in results if key[0] == "stream"})
    lines = ["The limit with nothing waiting on a pointer: ns per node of `stream` (independent "
             "loads) against the `traverse` floor (dependent loads), linear lists:", "",
             "| layout | kernel | " + " | ".join(LABEL[n] for n in sizes) + " |",
             "|" + "---|" * (len(sizes) + 2)]
    for layout in LAYOUTS:
        for k in ["stream", "traverse", "trail"]:
            cells = [layout, k] + [fmt(ns(results, k, layout, "linear", n)) for n in sizes]
            lines.append("| " + " | ".join(cells) + " |")
    return lines


def agreement(first, second):
    """Two runs of the same rows back to back: whether each ratio lies inside
    the other run's 95% interval, its change, and the change of the absolute
    ns per node of the cold rows."""
    keys = sorted(k for k in first if k in second and k[0] != "traverse")
    lines = ["Two runs back to back (`repeat_1.json`, `repeat_2.json`): each row's time over "
             "the floor in each, with its 95% interval; `in` when each run's ratio lies inside "
             "the other's interval:", "",
             "| row | first | second | change | inside the other's interval |",
             "|---|---|---|---|---|"]
    inside, changes = 0, []
    for key in keys:
        a, b = first[key], second[key]
        both = (a.get("floor_ratio_lo", a["floor_ratio"]) <= b["floor_ratio"] <=
                a.get("floor_ratio_hi", a["floor_ratio"]) and
                b.get("floor_ratio_lo", b["floor_ratio"]) <= a["floor_ratio"] <=
                b.get("floor_ratio_hi", b["floor_ratio"]))
        inside += both
        change = b["floor_ratio"] / a["floor_ratio"] - 1
        changes.append(abs(change))
        lines.append(f"| {'/'.join(map(str, key))} | {with_interval(a)} | {with_interval(b)} | "
                     f"{100 * change:+.1f}% | {'in' if both else 'out'} |")
    cold = [k for k in sorted(first) if k in second and "_cold" in k[1]]
    absolute = [abs(second[k]["ns_per_node"] / first[k]["ns_per_node"] - 1) for k in cold]
    middle = sorted(changes)[len(changes) // 2] if changes else 0
    lines += ["", f"{inside} of {len(keys)} ratios lie inside the other run's interval "
              f"({100 * inside / max(1, len(keys)):.0f}%); {sum(c <= 0.05 for c in changes)} of "
              f"{len(changes)} moved by 5% or less (the median by {100 * middle:.1f}%), the "
              f"largest by {100 * max(changes):.1f}%."]
    if absolute:
        lines.append(f"Cold rows, absolute ns per node: {sum(a <= 0.05 for a in absolute)} of "
                     f"{len(absolute)} within 5% between the runs (the median change "
                     f"{100 * sorted(absolute)[len(absolute) // 2]:.1f}%), the largest "
                     f"{100 * max(absolute):.1f}%.")
    return lines


def below_floor(results):
    """Rows at n >= 100k where a kernel ran more than 3% faster than traverse."""
    rows = []
    for (k, layout, shape, n) in sorted(results):
        r = ratio(results, k, layout, shape, n)
        if k not in ("traverse", "stream", "pages") and n >= 100000 and r is not None and r < 0.97:
            rows.append(f"{k}/{layout}/{shape}/{n} ({r:.2f}x)")
    text = ", ".join(rows) if rows else "none"
    return [f"Rows at n >= 100k more than 3% below the traverse floor: {text}."]


def sampling(results):
    """How the rows sampled to a target fared: the share that met it, by size,
    and the rows where one round in ten or more was an outlier."""
    lines = []
    for n in (1000000, 4000000):
        rows = [v for k, v in results.items() if k[-1] == n and "ci_met" in v and k[0] != "pages"]
        if rows:
            met = sum(v["ci_met"] for v in rows)
            rounds = sorted(v["rounds"] for v in rows)
            lines.append(f"- {LABEL[n]} rows: {met:.0f} of {len(rows)} met the 2% target "
                         f"({100 * met / len(rows):.0f}%), with {rounds[0]:.0f} to {rounds[-1]:.0f}"
                         f" rounds (median {rounds[len(rounds) // 2]:.0f}).")
    big = [(k, v) for k, v in sorted(results.items())
           if k[-1] >= 1000000 and "ci_met" in v and k[0] != "pages"]
    share = lambda v: v.get("outlier_rounds", 0) / max(1, v.get("rounds", 0))
    tenth = [k for k, v in big if share(v) >= 0.1]
    noisy = [("/".join(map(str, k)), v) for k, v in big if share(v) >= 0.2]
    if big:
        lines.append(f"- Outliers (rounds further than three median absolute deviations from the "
                     f"median, unscaled, which even normal noise passes about once in 23 rounds): "
                     f"{len(tenth)} of the {len(big)} sampled rows have one round in ten or more, "
                     f"{len(noisy)} one in five or more" + (": " if noisy else ".") +
                     ", ".join(f"{name} ({v['outlier_rounds']:.0f} of {v['rounds']:.0f})"
                               for name, v in noisy[:10]) +
                     (", ..." if len(noisy) > 10 else "." if noisy else ""))
    return ["Sampling to the target (`--ci_target=0.02`, capped per row):", ""] + lines if lines else []


def hascycle_targets(results):
    """hasCycle's worst time over the floor by size and layout, with the row."""
    lines = ["`hascycle` (the library's `cycle::hasCycle`): its worst time over the floor, and "
             "where, by size and layout (every shape, and the sweep at 1M):", "",
             "| layout | " + " | ".join(LABEL[n] for n in sorted(LABEL)) + " |",
             "|" + "---|" * (len(LABEL) + 1)]
    for layout in ALL_LAYOUTS:
        cells = []
        for n in sorted(LABEL):
            rows = [(v["floor_ratio"], k[2], v) for k, v in results.items()
                    if k[0] == "hascycle" and k[1] == layout and k[-1] == n]
            if not rows:
                cells.append("")
                continue
            worst = max(rows, key=lambda r: r[0])
            cells.append(f"{with_interval(worst[2])} ({worst[1]})")
        if any(cells):
            lines.append(f"| {layout} | " + " | ".join(cells) + " |")
    return lines


def ranking(results, n=1000000):
    """The read-only detectors at n, fastest first, by layout and shape; two
    whose intervals overlap are tied (joined by =), never ranked."""
    lines = [f"Read-only detectors at {LABEL[n]}, fastest first; `=` joins detectors whose 95% "
             "intervals overlap (a tie):", "", "| layout | shape | order |", "|---|---|---|"]
    for layout in ALL_LAYOUTS:
        for shape in SHAPES:
            rows = sorted((results[(k, layout, shape, n)]["floor_ratio"], k)
                          for k in RANKED if (k, layout, shape, n) in results)
            if not rows:
                continue
            text = ""
            for i, (r, k) in enumerate(rows):
                if i > 0:
                    previous = rows[i - 1][1]
                    tied = overlaps(results[(k, layout, shape, n)],
                                    results[(previous, layout, shape, n)])
                    text += " = " if tied else " < "
                text += f"{k} {r:.2f}"
            lines.append(f"| {layout} | {shape} | {text} |")
    return lines


def cold_warm(results):
    """ns per node warm and cold, for the floor and the detectors, at 1M and 4M."""
    lines = ["Warm (just relinked, as the programs leave a list) against cold (every node flushed "
             "from the caches first): ns per node, linear lists:", "",
             "| kernel | " + " | ".join(f"{l} {LABEL[n]}" for n in (1000000, 4000000)
                                        for l in ALL_LAYOUTS) + " |",
             "|" + "---|" * (1 + 2 * len(ALL_LAYOUTS))]
    for k in kernels_in(results):
        cells = [with_interval(results.get((k, l, "linear", n)), "ns_per_node", 2, "")
                 for n in (1000000, 4000000) for l in ALL_LAYOUTS]
        if any(cells):
            lines.append(f"| {k} | " + " | ".join(cells) + " |")
    return lines


def pages_table(pages, repeat):
    """The paired rows: the floor on 2 MiB pages over the floor on 4 KiB
    pages, round by round, in two runs; one minus that is what the page walks
    cost beyond what huge pages cost."""
    lines = ["The cold floor on 2 MiB transparent huge pages against the same walk on 4 KiB "
             "pages, paired round by round, in two runs (`results_pages.json`, "
             "`results_pages_repeat.json`): if huge pages only took the page walks away, one "
             "minus the ratio would be the walks' share of the floor:", "",
             "| layout | n | 4 KiB pages (ns a node) | 2 MiB pages | 2 MiB over 4 KiB | the same, "
             "second run | AnonHugePages (MiB) |", "|---|---|---|---|---|---|---|"]
    for key in sorted(pages, key=lambda k: (k[1], k[3])):
        row = pages[key]
        lines.append(f"| {key[1]} | {LABEL[key[3]]} | {row['floor_ns_per_node']:.2f} | "
                     f"{row['ns_per_node']:.2f} | {with_interval(row)} | "
                     f"{with_interval((repeat or {}).get(key))} | "
                     f"{row['anon_huge_kib'] / 1024:.0f} |")
    return lines


def huge_table(huge, results, many):
    """The same rows on 4 KiB and on 2 MiB pages, from two runs minutes apart."""
    lines = ["The same rows in two runs minutes apart, on 4 KiB pages (`results_big.json`, "
             "`results_many.json`) and with malloc on 2 MiB transparent huge pages "
             "(`results_huge.json`, glibc's `glibc.malloc.hugetlb=1`): ns per node. Unpaired, "
             "so the neighbours' drift between the runs is in the difference too:", "",
             "| row | 4 KiB pages | 2 MiB pages | saved | AnonHugePages (MiB) |",
             "|---|---|---|---|---|"]
    for key in sorted(huge, key=str):
        if key[0] not in ("traverse", "hascycle", "stream", "many"):
            continue
        if key[0] == "many" and key[4] not in (1, 16, 64):
            continue
        small = (many if key[0] == "many" else results).get(key)
        if small is None:
            continue
        h = huge[key]
        saved = 1 - h["ns_per_node"] / small["ns_per_node"]
        lines.append(f"| {'/'.join(map(str, key))} | {small['ns_per_node']:.2f} | "
                     f"{h['ns_per_node']:.2f} | {100 * saved:.0f}% | "
                     f"{h.get('anon_huge_kib', -1) / 1024:.0f} |")
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


def section(results, repeats=None):
    """The single-list rows' part of results.md, before the many lists."""
    lines = []
    for n in (1000000, 4000000):
        if any(key[-1] == n for key in results):
            lines += time_table(results, n) + [""]
    lines += sampling(results) + [""]
    lines += hascycle_targets(results) + [""]
    if any(key[-1] == 1000000 for key in results):
        lines += ranking(results) + [""]
        lines += counter_table(results, 1000000) + [""]
    if any(key[0] == "stream" for key in results):
        lines += stream_table(results) + [""]
    if any(key[1].endswith("_cold") for key in results):
        lines += cold_warm(results) + [""]
    if any(key[-1] == 1000000 and key[1] == "scattered" for key in results):
        lines += model_table(results, 1000000) + [""]
    if any(key[2] == "k0" for key in results):
        lines += crossover(results) + [""]
    lines += below_floor(results) + [""]
    if repeats:
        lines += agreement(*repeats) + [""]
    return lines


def pages_section(results, many=None, huge=None, pages_repeat=None):
    """The page-size part of results.md, after the many lists."""
    lines = []
    pages = {k: v for k, v in results.items() if k[0] == "pages"}
    if pages:
        lines += pages_table(pages, pages_repeat) + [""]
    if huge:
        lines += huge_table(huge, results, many or {}) + [""]
    return lines


def sized_sections(found):
    """short.md's list sections: hasCycle from 10^3 to 4M nodes in each run,
    and next as a function pointer, from the files found (name to path)."""
    lines = []
    for file, title in (("results_lists_small.json", "hasCycle from 10^3 to 10^5 nodes"),
                        ("results_lists_small_repeat.json",
                         "hasCycle from 10^3 to 10^5 nodes, the run after"),
                        ("results_lists_big.json", "hasCycle at 1M and 4M nodes"),
                        ("results_lists_big_repeat.json", "hasCycle at 1M and 4M nodes, the run after")):
        if file in found:
            lines += ["", f"## {title}", "", f"`{file}`: time over the traverse floor (median of "
                      "paired rounds, 95% interval), sampled to a 2% interval:"]
            lines += big_table(load_rows(found[file]))
    if "results_fnptr.json" in found:
        lines += ["", "## next as a function pointer"] + fnptr_table(
            load_rows(found["results_fnptr.json"]))
    return lines


def plot_sizes(results, out_png):
    kernels = kernels_in(results)
    script = [
        "set terminal pngcairo size 1400,560 font ',10' noenhanced", f"set output '{out_png}'",
        "set multiplot layout 1,2 title 'Time per node on linear lists, against n (medians)'",
        "set logscale xy", "set xrange [600:7000000]",
        "set xtics ('1k' 1000, '10k' 10000, '100k' 100000, '1M' 1000000, '4M' 4000000)",
        "set xlabel 'nodes (n)'", "set ylabel 'ns per node (log)'", "set key top left", "set grid",
    ]
    for layout in LAYOUTS:
        shown = [k for k in kernels if any(key[:3] == (k, layout, "linear") for key in results)]
        plots = ", ".join(f"'-' using 1:2:3:4 with yerrorlines lw 2 lc rgb '{COLOR.get(k, 'gray40')}' title '{k}'"
                          for k in shown)
        script.append(f"set title '{layout} layout'\nplot {plots}")
        for k in shown:
            script.append(block(sorted(
                (key[3], f"{v['ns_per_node']} {v.get('ns_per_node_lo', v['ns_per_node'])} "
                         f"{v.get('ns_per_node_hi', v['ns_per_node'])}")
                for key, v in results.items() if key[:3] == (k, layout, "linear"))).rstrip("\n"))
    script.append("unset multiplot")
    gnuplot("\n".join(script) + "\n")


def plot_sweep(results, out_png):
    script = [
        "set terminal pngcairo size 1400,560 font ',10' noenhanced", f"set output '{out_png}'",
        "set multiplot layout 1,2 title 'Time per node at 1M nodes against where the tail links "
        "(solid: measured medians; dashed: the cost model)'",
        "set xlabel 'tail linked to node p% of the way along the list'", "set xrange [0:100]",
        "set ylabel 'ns per node (log)'", "set logscale y", "set key outside right", "set grid",
    ]
    kernels = ["traverse"] + [k for k in kernels_in(results, floors=False) if k != "findcycle"]
    for layout in LAYOUTS:
        plots, data = [], []
        for k in kernels:
            rows = [(int(s[1:]), results.get((k, layout, s, SWEEP_N))) for s in SWEEP]
            measured = [(p, f"{v['ns_per_node']} {v.get('ns_per_node_lo', v['ns_per_node'])} "
                            f"{v.get('ns_per_node_hi', v['ns_per_node'])}")
                        for p, v in rows if v is not None]
            if not measured:
                continue
            plots.append(f"'-' using 1:2:3:4 with yerrorlines lw 2 pt 7 lc rgb '{COLOR.get(k, 'gray40')}' "
                         f"title '{k}'")
            data.append(block(measured))
            if k == "traverse":
                continue
            model = [(int(s[1:]), predict(results, k, layout, s, SWEEP_N)) for s in SWEEP]
            model = [(p, v) for p, v in model if v is not None]
            plots.append(f"'-' using 1:2 with lines lw 1.5 dt 2 lc rgb '{COLOR.get(k, 'gray40')}' "
                         f"title '{k} (model)'")
            data.append(block(model))
        script.append(f"set title '{layout} layout'\nplot " + ", ".join(plots))
        script.append("".join(data).rstrip("\n"))
    script.append("unset multiplot")
    gnuplot("\n".join(script) + "\n")
