"""Drawing with gnuplot, for every family's plots."""
import shutil
import subprocess
import sys


def gnuplot(script):
    binary = shutil.which("gnuplot")
    if binary is None:
        sys.exit("bench/plot: gnuplot is not installed (Debian: apt-get install gnuplot-nox)")
    subprocess.run([binary], input=script, text=True, check=True)


def block(points):
    return "\n".join(f"{x} {y}" for x, y in points) + "\ne\n"


def line(title, color, points, dashed=False):
    """One series of a panel: its title, colour, (x, y) points and whether it
    is drawn dashed."""
    return {"title": title, "color": color, "points": points, "dashed": dashed}


def panels(out_png, title, xlabel, ylabel, xtics, shown, key="set key top left"):
    """A 2 x 3 grid of log-log panels, one per (panel title, [line, ...]) in
    shown, drawn into out_png; lines without points and panels without lines
    are left out."""
    script = ["set terminal pngcairo size 1500,900 font ',10' noenhanced", f"set output '{out_png}'",
              f"set multiplot layout 2,3 title '{title}'",
              "set logscale xy", f"set xlabel '{xlabel}'", f"set ylabel '{ylabel}'",
              key, "set grid", f"set xtics ({xtics})"]
    for panel, lines in shown:
        lines = [s for s in lines if s["points"]]
        if not lines:
            continue
        plots = [f"'-' using 1:2 with linespoints lw 2{' dt 2' if s['dashed'] else ''} "
                 f"lc rgb '{s['color']}' title '{s['title']}'" for s in lines]
        script.append(f"set title '{panel}'\nplot " + ", ".join(plots))
        script.append("".join(block(s["points"]) for s in lines).rstrip("\n"))
    script.append("unset multiplot")
    gnuplot("\n".join(script) + "\n")
