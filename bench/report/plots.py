"""The plots, drawn with gnuplot: ns per node against n, the cycle-position
sweep, and many lists at once."""
import shutil
import subprocess
import sys

from .load import ALL_LAYOUTS, COLOR, DETECTORS, KERNELS, LAYOUTS, SWEEP, SWEEP_N, ns
from .model import predict


def gnuplot(script):
    binary = shutil.which("gnuplot")
    if binary is None:
        sys.exit("bench/plot: gnuplot is not installed (Debian: apt-get install gnuplot-nox)")
    subprocess.run([binary], input=script, text=True, check=True)


def block(points):
    return "\n".join(f"{x} {y}" for x, y in points) + "\ne\n"


def plot_sizes(results, out_png):
    kernels = [k for k in KERNELS if any(key[0] == k for key in results)]
    script = [
        "set terminal pngcairo size 1400,560 font ',10' noenhanced", f"set output '{out_png}'",
        "set multiplot layout 1,2 title 'Time per node on linear lists, against n (medians)'",
        "set logscale xy", "set xrange [600:7000000]",
        "set xtics ('1k' 1000, '10k' 10000, '100k' 100000, '1M' 1000000, '4M' 4000000)",
        "set xlabel 'nodes (n)'", "set ylabel 'ns per node (log)'", "set key top left", "set grid",
    ]
    for layout in LAYOUTS:
        shown = [k for k in kernels if any(key[:3] == (k, layout, "linear") for key in results)]
        plots = ", ".join(f"'-' using 1:2:3:4 with yerrorlines lw 2 lc rgb '{COLOR[k]}' title '{k}'"
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
    kernels = ["traverse"] + [k for k in DETECTORS if k != "findcycle"]
    for layout in LAYOUTS:
        plots, data = [], []
        for k in kernels:
            rows = [(int(s[1:]), results.get((k, layout, s, SWEEP_N))) for s in SWEEP]
            measured = [(p, f"{v['ns_per_node']} {v.get('ns_per_node_lo', v['ns_per_node'])} "
                            f"{v.get('ns_per_node_hi', v['ns_per_node'])}")
                        for p, v in rows if v is not None]
            if not measured:
                continue
            plots.append(f"'-' using 1:2:3:4 with yerrorlines lw 2 pt 7 lc rgb '{COLOR[k]}' "
                         f"title '{k}'")
            data.append(block(measured))
            if k == "traverse":
                continue
            model = [(int(s[1:]), predict(results, k, layout, s, SWEEP_N)) for s in SWEEP]
            model = [(p, v) for p, v in model if v is not None]
            plots.append(f"'-' using 1:2 with lines lw 1.5 dt 2 lc rgb '{COLOR[k]}' "
                         f"title '{k} (model)'")
            data.append(block(model))
        script.append(f"set title '{layout} layout'\nplot " + ", ".join(plots))
        script.append("".join(data).rstrip("\n"))
    script.append("unset multiplot")
    gnuplot("\n".join(script) + "\n")


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
