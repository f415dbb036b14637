"""Paired rounds for the Python rows, as the C++ rows take them: each round
calls the package and each peer once, in an order that turns from round to
round, on the same data; each peer's ratio to the package is the median of
the rounds' ratios, with the distribution-free 95% interval of the median
(the order statistics x(j), x(n + 1 - j) with at least 95% binomial
coverage; [min, max] below six rounds)."""
import math
import time


def median_interval(samples):
    xs = sorted(samples)
    n = len(xs)
    mid = xs[n // 2] if n % 2 else (xs[n // 2 - 1] + xs[n // 2]) / 2
    if n < 6:
        return mid, xs[0], xs[-1]
    # The largest j with P(x(j) <= median <= x(n + 1 - j)) >= 0.95.
    best = 1
    for j in range(1, n // 2 + 1):
        below = sum(math.comb(n, k) for k in range(j)) / 2 ** n
        if 1 - 2 * below >= 0.95:
            best = j
        else:
            break
    return mid, xs[best - 1], xs[n - best]


def paired(calls, *, budget, least=5, most=400, target=0.03):
    """calls: {name: zero-argument callable}, the package's under "cycle".
    Rounds until the budget (seconds) is spent, or every ratio's interval is
    within target of its median, with at least `least` rounds and at most
    `most`. Returns {name: {"seconds": (median, lo, hi), "ratio": (median,
    lo, hi) of its time over the package's}, "rounds": n}."""
    names = list(calls)
    times = {name: [] for name in names}
    began = time.perf_counter()
    rounds = 0
    while rounds < most:
        turn = names[rounds % len(names):] + names[:rounds % len(names)]
        for name in turn:
            start = time.perf_counter()
            calls[name]()
            times[name].append(time.perf_counter() - start)
        rounds += 1
        if rounds < least:
            continue
        if time.perf_counter() - began > budget:
            break
        if rounds >= 12 and all(within(ratios(times, name), target) for name in names):
            break
    out = {"rounds": rounds}
    for name in names:
        out[name] = {"seconds": median_interval(times[name]),
                     "ratio": median_interval(ratios(times, name))}
    return out


def ratios(times, name):
    return [t / c for t, c in zip(times[name], times["cycle"])]


def within(samples, target):
    mid, lo, hi = median_interval(samples)
    return max(mid - lo, hi - mid) <= target * mid
