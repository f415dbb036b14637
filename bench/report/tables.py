"""The report's tables of single lists, many lists and page sizes, and
results.md put together from them."""
from .load import (
    ALL_LAYOUTS,
    KERNELS,
    LABEL,
    LAYOUTS,
    READ_ONLY,
    SHAPES,
    fmt,
    ns,
    overlaps,
    ratio,
    with_interval,
)
from .model import crossover, model_table


def time_table(results, n):
    kernels = [k for k in KERNELS if any(key[0] == k and key[-1] == n for key in results)]
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
    for k in KERNELS:
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
                          for k in READ_ONLY if (k, layout, shape, n) in results)
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
    for k in KERNELS:
        cells = [with_interval(results.get((k, l, "linear", n)), "ns_per_node", 2, "")
                 for n in (1000000, 4000000) for l in ALL_LAYOUTS]
        if any(cells):
            lines.append(f"| {k} | " + " | ".join(cells) + " |")
    return lines


def many_table(many, results):
    """Many lists: ns per node against the number in flight, per layout and
    number of lists, the check beside the walk, and the headline figures."""
    lines = ["Many lists at once, over the same 1M nodes split into L lists (half of them "
             "cyclic): ns per node of the interleaved walk (`walk`, the floor with G lists in "
             "flight) and of `cycle::hasCycleEach` (`each`), with its time over the walk of "
             "the same round and its moves per node:", ""]
    layouts = [l for l in ALL_LAYOUTS if any(k[2] == l for k in many)]
    flights = sorted({k[4] for k in many})
    for layout in layouts:
        for lists in sorted({k[3] for k in many if k[2] == layout}):
            lines += [f"{layout}, L = {lists}:", "",
                      "| G | walk | each | each / walk | moves | walk, 2 threads | each, 2 threads |"
                      " each / walk, 2 threads |", "|---|---|---|---|---|---|---|---|"]
            for g in flights:
                w, e = many.get(("many", "walk", layout, lists, g, 1)), many.get(("many", "each", layout, lists, g, 1))
                w2, e2 = many.get(("many", "walk", layout, lists, g, 2)), many.get(("many", "each", layout, lists, g, 2))
                if w is None and e is None:
                    continue
                lines.append(f"| {g} | {with_interval(w, 'ns_per_node', 2, '')} | "
                             f"{with_interval(e, 'ns_per_node', 2, '')} | {with_interval(e)} | "
                             f"{fmt(e and e['moves_per_node'], 3)} | "
                             f"{with_interval(w2, 'ns_per_node', 2, '')} | "
                             f"{with_interval(e2, 'ns_per_node', 2, '')} | {with_interval(e2)} |")
            lines.append("")
            each = {g: many[("many", "each", layout, lists, g, 1)]["ns_per_node"] for g in flights
                    if ("many", "each", layout, lists, g, 1) in many}
            if 1 in each:
                best = min(each, key=each.get)
                stream = ns(results, "stream", layout, "linear", 1000000)
                chain = ns(results, "traverse", layout, "linear", 1000000)
                text = f"Best G = {best}: {each[best]:.2f} ns a node"
                if best != 1:
                    text += f", {each[1] / each[best]:.1f}x faster than G = 1"
                if stream:
                    text += f", {each[best] / stream:.2f}x the `stream` limit ({stream:.2f})"
                if chain:
                    text += f"; one chain (`traverse`, 1M) costs {chain:.2f}, {chain / each[best]:.2f}x this"
                two = [(g, each[g] / many[("many", "each", layout, lists, g, 2)]["ns_per_node"])
                       for g in each if ("many", "each", layout, lists, g, 2) in many]
                if two:
                    text += "; two threads: " + ", ".join(f"{x:.2f}x at G = {g}" for g, x in two)
                lines += [text + ".", ""]
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


def report(results, repeats=None, many=None, huge=None, pages_repeat=None):
    lines = ["# cycle_bench results", ""]
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
    if many:
        lines += many_table(many, results) + [""]
    pages = {k: v for k, v in results.items() if k[0] == "pages"}
    if pages:
        lines += pages_table(pages, pages_repeat) + [""]
    if huge:
        lines += huge_table(huge, results, many or {}) + [""]
    return "\n".join(lines)
