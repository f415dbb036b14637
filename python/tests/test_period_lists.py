import gc
import sys

import pytest

import cycle
import truth


def table_function(rng, size):
    table = [rng.randrange(size) for _ in range(size)]
    return lambda x: table[x]


def test_find_period_agrees_with_a_dict_of_seen_values():
    rng = truth.rng(1)
    for size in (1, 2, 3, 10, 100, 1000, 20000):
        for _ in range(5):
            f = table_function(rng, size)
            start = rng.randrange(size)
            found = cycle.find_period(start, f)
            assert isinstance(found, cycle.Period)
            assert tuple(found) == truth.period(start, f)


def test_find_period_takes_any_hashable_values():
    f = lambda s: s[1:] + s[:1] if len(s) < 5 else s[:2]  # noqa: E731
    assert tuple(cycle.find_period("abcdefg", f)) == truth.period("abcdefg", f)
    g = lambda t: (t[1], (t[0] + t[1]) % 10)  # noqa: E731 (Fibonacci mod 10)
    assert tuple(cycle.find_period((0, 1), g)) == truth.period((0, 1), g)
    assert cycle.find_period((0, 1), g).lam == 60


def test_a_limit_gives_none_past_it_and_the_period_within_it():
    f = lambda x: (x + 1) % 1000 if x < 999 else 500  # noqa: E731
    entry, mu, lam = truth.period(0, f)
    assert cycle.find_period(0, f, limit=mu + lam - 1) is None
    assert tuple(cycle.find_period(0, f, limit=mu + lam)) == (entry, mu, lam)
    assert cycle.find_period(0, f, limit=0) is None


def test_what_f_and_hash_raise_comes_out_unchanged():
    class Boom(Exception):
        pass

    def f(x):
        if x == 50:
            raise Boom("at 50")
        return x + 1

    with pytest.raises(Boom, match="at 50"):
        cycle.find_period(0, f)
    with pytest.raises(TypeError):
        cycle.find_period([1], lambda x: x)


class Node:
    def __init__(self):
        self.next = None


def linked(mu, lam):
    nodes = [Node() for _ in range(mu + lam)]
    for a, b in zip(nodes, nodes[1:]):
        a.next = b
    if lam:
        nodes[-1].next = nodes[mu]
    return nodes


def test_linked_objects_against_their_shape():
    for mu in (0, 1, 2, 7, 100, 3000):
        for lam in (0, 1, 2, 5, 113, 2500):
            if mu + lam == 0:
                continue
            nodes = linked(mu, lam)
            head = nodes[0]
            assert cycle.has_cycle(head) == (lam > 0)
            found = cycle.find_cycle(head)
            if lam:
                assert found.entry is nodes[mu] and (found.mu, found.lam) == (mu, lam)
            else:
                assert tuple(found) == (None, mu, 0)
            by_call = cycle.find_cycle(head, lambda node: node.next)
            assert tuple(by_call) == tuple(found)
    assert cycle.has_cycle(None) is False
    assert tuple(cycle.find_cycle(None)) == (None, 0, 0)


def test_a_long_chain_needs_no_recursion():
    nodes = linked(1 << 20, 0)
    assert sys.getrecursionlimit() < 1 << 20
    assert cycle.find_cycle(nodes[0]).mu == 1 << 20
    nodes[-1].next = nodes[12345]
    assert cycle.find_cycle(nodes[0]).lam == (1 << 20) - 12345


def test_nodes_made_afresh_are_never_taken_for_a_repeat():
    # Each step makes a new object that only the walk holds: were it freed,
    # the next one could take its address and look like a cycle.
    class Fresh:
        __slots__ = ("i",)

        def __init__(self, i):
            self.i = i

    step = lambda node: Fresh(node.i + 1) if node.i < 200000 else None  # noqa: E731
    gc.collect()
    assert cycle.has_cycle(Fresh(0), step) is False
    assert tuple(cycle.find_cycle(Fresh(0), step))[1:] == (200001, 0)


def test_what_next_raises_comes_out_unchanged():
    def step(node):
        raise KeyError("no next")

    with pytest.raises(KeyError):
        cycle.has_cycle(Node(), step)
    with pytest.raises(AttributeError):
        cycle.find_cycle(object())


def test_find_collision_gives_true_pairs_and_none_for_a_permutation():
    import hashlib

    def h(x):
        return int.from_bytes(hashlib.sha256(x.to_bytes(8, "little")).digest()[:8], "little")

    for bits in (8, 24):
        found = cycle.find_collision(h, bits, seed=3)
        assert isinstance(found, cycle.Collision)
        low = (1 << bits) - 1
        assert found.a != found.b and h(found.a) & low == h(found.b) & low == found.image
        assert cycle.find_collision(h, bits, seed=3) == found
    on_two = cycle.find_collision(h, 22, threads=2)
    assert on_two.a != on_two.b and h(on_two.a) & 0x3FFFFF == h(on_two.b) & 0x3FFFFF
    # A result of any size and sign: its low bits count.
    signed = cycle.find_collision(lambda x: -h(x) - (1 << 70), 30)
    assert (-h(signed.a) - (1 << 70)) % (1 << 30) == (-h(signed.b) - (1 << 70)) % (1 << 30)
    assert cycle.find_collision(lambda x: x + 1, 12) is None
    assert cycle.find_collision(lambda x: x ^ 5, 40, max_calls=10000) is None


def test_find_collision_refuses_bad_input_and_passes_f_errors_through():
    with pytest.raises(ValueError):
        cycle.find_collision(lambda x: x, 0)
    with pytest.raises(ValueError):
        cycle.find_collision(lambda x: x, 30, max_calls=0)
    with pytest.raises(TypeError):
        cycle.find_collision(lambda x: "no", 30)
    def f(x):
        if x % 1000 == 0:
            raise ZeroDivisionError(x)
        return x * 0x9E3779B97F4A7C15 >> 7

    for threads in (1, 2):
        with pytest.raises(ZeroDivisionError):
            cycle.find_collision(f, 30, threads=threads)
