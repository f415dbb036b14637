"""The periods family: findPeriod against the textbook methods and the floor
that iterates f, as short.md's last section."""
from .load import cell, load_rows


def period_table(rows):
    lines = ["", "| function | bits | mu | lambda | kernel | calls per value | time over the "
             "floor (95% interval) | floor ns a value |", "|---|---|---|---|---|---|---|---|"]
    for name, row in sorted(rows.items()):
        parts = name.split("/")
        if parts[0] != "period":
            continue
        lines.append(f"| {parts[2]} | {parts[3]} | {row['mu']:.0f} | {row['lambda']:.0f} | "
                     f"{parts[1]} | {row['calls_per_value']:.3f} | {cell(row)} | "
                     f"{row['floor_ns_per_value']:.1f} |")
    return lines


def section(path):
    """The periods' part of short.md, from results_period.json at path."""
    return ["", "## Periods of iterated functions"] + period_table(load_rows(path))
