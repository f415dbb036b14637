"""The many-lists family: hasCycleEach against the interleaved floor walk,
by lists in flight, as results.md's section and many.png."""
from .load import ALL_LAYOUTS, fmt, ns, with_interval
from .plots import block, gnuplot


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


def plot_many(many, results, out_png):
    """ns per node against G, log-log, one panel per layout, one line per L
    (hasCycleEach solid with its interval, the walk dashed), and the stream
    limit and the one-chain floor of the same layout as horizontal lines."""
    layouts = [l for l in ALL_LAYOUTS if any(k[2] == l for k in many)]
    colors = {16: "#d62728", 1024: "#1f77b4", 65536: "#2ca02c"}
    script = [
        "set terminal pngcairo size 1400,1000 font ',10' noenhanced", f"set output '{out_png}'",
        "set multiplot layout 2,2 title 'Many lists at once: ns per node against lists in flight "
        "(G), one thread (medians, 95% intervals)'",
        "set logscale xy", "set xrange [0.8:80]", "set xtics (1, 2, 4, 8, 16, 32, 64)",
        "set xlabel 'lists in flight (G)'", "set ylabel 'ns per node (log)'", "set key outside right",
        "set grid",
    ]
    for layout in layouts:
        plots, data = [], []
        for lists in sorted({k[3] for k in many if k[2] == layout}):
            for kind, style in (("each", "yerrorlines lw 2 pt 7"), ("walk", "lines lw 1.5 dt 2")):
                rows = sorted((k[4], v) for k, v in many.items()
                              if k[1:4] == (kind, layout, lists) and k[5] == 1)
                if not rows:
                    continue
                columns = "1:2:3:4" if kind == "each" else "1:2"
                plots.append(f"'-' using {columns} with {style} lc rgb '{colors.get(lists, 'black')}' "
                             f"title '{kind}, L = {lists}'")
                data.append(block((g, f"{v['ns_per_node']} {v.get('ns_per_node_lo', v['ns_per_node'])} "
                                      f"{v.get('ns_per_node_hi', v['ns_per_node'])}") for g, v in rows))
        for kernel, color in (("traverse", "black"), ("stream", "gray50")):
            value = ns(results, kernel, layout, "linear", 1000000)
            if value is not None:
                label = "one chain (traverse, 1M)" if kernel == "traverse" else "stream, 1M"
                plots.append(f"{value} with lines lw 1 lc rgb '{color}' title '{label}'")
        script.append(f"set title '{layout}'\nplot " + ", ".join(plots))
        if data:
            script.append("".join(data).rstrip("\n"))
    script.append("unset multiplot")
    gnuplot("\n".join(script) + "\n")


def section(many, results):
    """The many lists' part of results.md; results gives the single-list
    floors they are compared with."""
    return many_table(many, results) + [""] if many else []
