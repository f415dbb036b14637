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
