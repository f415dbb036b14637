"""The single-list family's cost model: misses on the critical path per node, predicted against
the measured scattered rows, and the crossover of the cycle-position sweep."""
from .load import (
    CACHED_CYCLE,
    LABEL,
    LAYOUTS,
    SHAPES,
    SWEEP,
    SWEEP_N,
    floor_ns,
    kernels_in,
    ns,
    ratio,
)


def target(shape, n):
    """The index the tail links to, as cycle_bench links it; None if linear."""
    fixed = {"linear": None, "head": 0, "middle": n // 2, "self": n - 1}
    return fixed[shape] if shape in fixed else int(shape[1:]) * (n - 1) // 100


def misses(kernel, layout, shape, n, chain):
    """The cost model's count: moves on the critical path that go to a node
    not in cache. A first visit is a miss; so is a revisit, unless it goes
    round a cycle short enough to stay in cache, which costs next to nothing.
    The hare's two pointers overlap: each pass costs the slower of its fast
    pointer's two moves and its slow pointer's one, and once the fast one
    circles a cached cycle, the slow one's walk to it is the chain."""
    k = target(shape, n)
    if k is None or kernel in ("traverse", "hashset"):
        return min(chain, n)
    cached = n - k <= CACHED_CYCLE[layout]
    if kernel == "hare":
        passes = (chain - 2) / 2
        return 2 * min(passes, n / 2) + max(0.0, passes - n / 2) * (1 if cached else 2)
    if kernel == "reverse":
        return chain
    return min(chain, n) + (0 if cached else max(0.0, chain - n))


def predict_ratio(results, kernel, layout, shape, n):
    """The model's time over the floor's. Pointer walks: misses per node, as
    the floor takes one miss per node. The visited set adds its inserts, at
    what they cost over the floor on a list small enough for the caches."""
    row = results.get((kernel, layout, shape, n))
    if row is None:
        return None
    predicted = misses(kernel, layout, shape, n, row["chain_per_node"] * n) / n
    if kernel == "hashset":
        small = min(key[3] for key in results if key[:3] == ("hashset", layout, "linear"))
        extra = ns(results, "hashset", layout, "linear", small) - ns(results, "traverse", layout, "linear", small)
        floor = floor_ns(results, kernel, layout, shape, n)
        predicted += extra / floor
    return predicted


def predict(results, kernel, layout, shape, n):
    """The model's ns per node: its ratio times the floor measured beside it."""
    r, floor = predict_ratio(results, kernel, layout, shape, n), floor_ns(results, kernel, layout, shape, n)
    return None if r is None or floor is None else r * floor


def model_table(results, n):
    lines = [f"The cost model against the scattered {LABEL[n]} rows, as time over the floor "
             "(measured: median of paired rounds; predicted: misses on the critical path per "
             "node, plus, for the visited set, its inserts):", "",
             "| kernel | shape | chain per node | misses per node | measured | predicted | error |",
             "|---|---|---|---|---|---|---|"]
    errors = []
    for k in kernels_in(results, floors=False):
        for shape in SHAPES:
            row = results.get((k, "scattered", shape, n))
            measured = ratio(results, k, "scattered", shape, n)
            predicted = predict_ratio(results, k, "scattered", shape, n)
            if row is None or measured is None or predicted is None:
                continue
            error = predicted / measured - 1
            errors.append((abs(error), k, shape))
            m = misses(k, "scattered", shape, n, row["chain_per_node"] * n) / n
            lines.append(f"| {k} | {shape} | {row['chain_per_node']:.3f} | {m:.3f} | "
                         f"{measured:.2f} | {predicted:.2f} | {100 * error:+.1f}% |")
    if errors:
        walks = [e for e in errors if e[1] != "hashset"]
        lines += [""]
        if walks:
            worst = max(walks)
            lines.append(f"Largest error of the pointer walks: {100 * worst[0]:.1f}% "
                         f"({worst[1]}/{worst[2]}).")
        sets = [e for e in errors if e[1] == "hashset"]
        if sets:
            worst = max(sets)
            lines.append(f"Largest error of the visited set: {100 * worst[0]:.1f}% ({worst[2]}).")
    return lines


def slower_spans(points):
    """The spans of p over which the difference (reverse - hare) is positive,
    with each end interpolated linearly between sweep points, as text such as
    "35-62, 68-100"; "never" when it is not positive anywhere."""
    spans, start = [], None
    for i, (p, d) in enumerate(points):
        if i == 0:
            start = p if d > 0 else None
            continue
        p0, d0 = points[i - 1]
        cross = p0 + (p - p0) * d0 / (d0 - d) if (d0 > 0) != (d > 0) else None
        if d > 0 and start is None:
            start = cross
        elif d <= 0 and start is not None:
            spans.append((start, cross))
            start = None
    if start is not None:
        spans.append((start, points[-1][0]))
    return ", ".join(f"{a:.0f}-{b:.0f}" for a, b in spans) if spans else "never"


def crossover(results):
    lines = ["The cycle-position sweep at 1M nodes: the spans of p (tail linked to node "
             "floor(p (n - 1) / 100)) over which the reversal is slower than the hare, from the "
             "paired ratios and from the model:", "",
             "| layout | measured | predicted |", "|---|---|---|"]
    for layout in LAYOUTS:
        measured, predicted = [], []
        for shape in SWEEP:
            p = int(shape[1:])
            r, h = (ratio(results, "reverse", layout, shape, SWEEP_N),
                    ratio(results, "hare", layout, shape, SWEEP_N))
            if r is not None and h is not None:
                measured.append((p, r - h))
            pr, ph = (predict_ratio(results, "reverse", layout, shape, SWEEP_N),
                      predict_ratio(results, "hare", layout, shape, SWEEP_N))
            if pr is not None and ph is not None:
                predicted.append((p, pr - ph))
        if measured:
            lines.append(f"| {layout} | {slower_spans(measured)} | {slower_spans(predicted)} |")
    return lines
