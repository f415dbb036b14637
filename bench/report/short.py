"""The short-lists family: short lists one at a time against the walk to
nullptr and the traverse floor, with hasCycle's targets, as short.md and
short.png, from bench/run's results_short.json. short.md also carries the
list family's tables by size and through a function pointer (lists.py) and
the periods' section (periods.py), with the machine they ran on
(run.txt). Medians of the repetitions; intervals are the 95% intervals
of each row's median ratio to its floor."""
import os

from . import lists, periods
from .load import cell, load_rows, machine, ordered
from .plots import gnuplot

SIZES = [1, 2, 4, 8, 16, 32, 64, 128, 256, 512]
# The short kernels' presentation order; which ones a table shows comes from
# the results, less the two floors every row carries.
ORDER = ["hascycle", "hascycle_fnptr", "findcycle", "brent", "hare", "nivasch", "each"]
FLOORS = ["traverse", "walk"]
SHAPES = ["linear", "mixed", "head", "mixed_head", "random"]
LINEAR_SHAPES = ["linear", "mixed"]
LAYOUTS = ["sequential", "scattered"]
# The targets: time over the walk on linear shapes from n = 2, and over
# traverse on cyclic shapes from n = 16.
WALK_TARGET = {"hascycle": 1.15, "findcycle": 1.25}
CYCLIC_TARGET = 2.0


def kernels_of(rows):
    """The short kernels rows holds, floors aside, in ORDER."""
    return ordered({name.split("/")[1] for name in rows if name.startswith("short/")} -
                   set(FLOORS), ORDER)


def short_tables(rows):
    kernels = kernels_of(rows)
    lines = []
    for layout in LAYOUTS:
        for shape in SHAPES:
            floors = [("floor_ratio", "the traverse floor, which knows each list's length")]
            if shape in LINEAR_SHAPES:
                floors.insert(0, ("walk_ratio", "the walk to nullptr"))
            for ratio, floor in floors:
                lines += ["", f"**{layout}, {shape}**: time a list over {floor}, timed in the "
                          "same rounds (median of paired rounds, 95% interval); the floors' ns a "
                          "list first. `each` keeps its lists in flight and is timed over the "
                          "traverse in flight alone (in-flight ns)", "",
                          "| n | traverse ns | walk ns | in-flight ns | " + " | ".join(kernels) +
                          " |", "|---|---|---|---|" + "---|" * len(kernels)]
                for n in SIZES:
                    floor_row = rows.get(f"short/hascycle/{layout}/{shape}/{n}")
                    traverse_ns = f"{floor_row['floor_ns_per_list']:.1f}" if floor_row else "-"
                    walk_ns = (f"{floor_row['walk_ns_per_list']:.1f}"
                               if floor_row and "walk_ns_per_list" in floor_row else "-")
                    each_row = rows.get(f"short/each/{layout}/{shape}/{n}")
                    flight_ns = f"{each_row['floor_ns_per_list']:.1f}" if each_row else "-"
                    cells = [cell(rows.get(f"short/{k}/{layout}/{shape}/{n}"), ratio)
                             for k in kernels]
                    lines.append(f"| {n} | {traverse_ns} | {walk_ns} | {flight_ns} | " +
                                 " | ".join(cells) + " |")
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


def below_floor(rows):
    """Every detector row more than 3% below a floor it is paired with (the
    top of its interval under 0.97), with the floor and the median ratio;
    the floors' own rows aside."""
    found = []
    for name, r in sorted(rows.items()):
        kernel = name.split("/")[1] if name.startswith("short/") else None
        if kernel is None or kernel in FLOORS:
            continue
        for ratio, floor in (("walk_ratio", "walk"),
                             ("floor_ratio", "traverse in flight" if kernel == "each" else
                              "traverse")):
            if r.get(ratio + "_hi", 1) < 0.97:
                found.append(f"`{name}`: {r[ratio]:.2f}x the {floor}")
    return found


def plot_short(rows, out_png):
    """Time over the walk against n on linear lists of mixed lengths, both
    layouts."""
    series, plots = [], []
    for layout in LAYOUTS:
        for kernel in ["hascycle", "findcycle", "hare", "brent"]:
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
        rows = load_rows(found["results_short.json"])
        lines += ["", "## Short lists one at a time", "", "### Targets"] + targets_table(rows)
        lines += ["", "### Rows more than 3% below a floor", ""]
        flagged = below_floor(rows)
        lines += [f"- {row}" for row in flagged] if flagged else ["None."]
        lines += ["", "### Every row"] + short_tables(rows)
        plot_short(rows, os.path.join(out_dir, "short.png"))
    lines += lists.sized_sections(found)
    if "results_period.json" in found:
        lines += periods.section(found["results_period.json"])
    text = "\n".join(lines) + "\n"
    with open(os.path.join(out_dir, "short.md"), "w") as f:
        f.write(text)
    return text
