import threading

import numpy as np
import pytest

import cycle
import truth

DTYPES = [np.int8, np.uint8, np.int16, np.uint16, np.int32, np.uint32, np.int64, np.uint64]


def random_mapping(rng, m, roots):
    """Entries in [0, m), and about roots * m of them outside it."""
    out = []
    for _ in range(m):
        if rng.random() < roots:
            out.append(m + rng.randrange(3))
        else:
            out.append(rng.randrange(m))
    return out


@pytest.mark.parametrize("dtype", DTYPES)
def test_every_dtype_against_the_plain_walk(dtype):
    rng = truth.rng(7)
    top = min(np.iinfo(dtype).max, 3000)
    for m in (0, 1, 2, 5, 60, top - 3):
        for roots in (0.0, 0.05):
            values = random_mapping(rng, m, roots)
            nxt = np.array([v if v <= np.iinfo(dtype).max else m for v in values], dtype=dtype)
            loops = truth.mapping_cycles(nxt)
            leaders, lengths = cycle.find_cycles(nxt)
            assert leaders.dtype == nxt.dtype and lengths.dtype == np.uint64
            assert dict(zip(leaders.tolist(), lengths.tolist())) == loops
            assert list(leaders) == sorted(loops)
            found = cycle.trace_all(nxt)
            end, distance = truth.trace(nxt)
            assert found.end.dtype == nxt.dtype and found.distance.dtype == nxt.dtype
            assert found.end.tolist() == end and found.distance.tolist() == distance
            assert found.cycles == len(loops) and found.on_cycles == sum(loops.values())
            assert found.longest == max(distance, default=0)


def test_negative_entries_end_their_paths():
    nxt = np.array([1, -1, 3, 2, -128], dtype=np.int8)
    assert cycle.find_cycles(nxt)[0].tolist() == [2]
    found = cycle.trace_all(nxt)
    assert found.end.tolist() == [1, 1, 2, 2, 4] and found.roots == 2


def test_strided_and_byteswapped_arrays_are_read_as_they_are():
    rng = truth.rng(3)
    base = np.array(random_mapping(rng, 500, 0.01) * 2, dtype=np.int32)
    strided = base[::2]
    assert not strided.flags.c_contiguous
    expected = truth.mapping_cycles(strided)
    assert dict(zip(*(a.tolist() for a in cycle.find_cycles(strided)))) == expected
    swapped = strided.astype(">i4")
    assert dict(zip(*(a.tolist() for a in cycle.find_cycles(swapped)))) == expected
    assert cycle.trace_all(swapped).end.tolist() == truth.trace(strided)[0]
    as_list = strided.tolist()
    assert dict(zip(*(a.tolist() for a in cycle.find_cycles(as_list)))) == expected


def test_bad_input_is_refused_clearly():
    for bad in (np.zeros(3), np.array([True, False]), ["a", "b"], np.array([1, 2], dtype=object)):
        with pytest.raises(TypeError):
            cycle.find_cycles(bad)
        with pytest.raises(TypeError):
            cycle.trace_all(bad)
    with pytest.raises(ValueError, match="1-D"):
        cycle.find_cycles(np.zeros((2, 2), dtype=np.int32))
    # 200 elements cannot all be named in int8.
    with pytest.raises(ValueError, match="index type"):
        cycle.find_cycles(np.zeros(200, dtype=np.int8))
    with pytest.raises(ValueError):
        cycle.trace_all(np.zeros(128, dtype=np.int8))
    with pytest.raises(ValueError, match="threads"):
        cycle.find_cycles([0], threads=-1)
    assert cycle.find_cycles([])[0].size == 0


def test_two_threads_at_once_and_threads_inside():
    rng = np.random.default_rng(5)
    m = 1 << 21
    tables = [rng.integers(0, m, m, dtype=np.uint32), rng.permutation(m).astype(np.int64)]
    expected = [cycle.find_cycles(t) for t in tables]
    for t, (leaders, lengths) in zip(tables, expected):
        on_two = cycle.find_cycles(t, threads=2)
        assert np.array_equal(on_two[0], leaders) and np.array_equal(on_two[1], lengths)
        assert cycle.trace_all(t, threads=2).cycles == leaders.size
    assert int(expected[1][1].sum()) == m
    answers = [None, None]

    def work(i):
        answers[i] = cycle.find_cycles(tables[i])

    runners = [threading.Thread(target=work, args=(i,)) for i in (0, 1)]
    for r in runners:
        r.start()
    for r in runners:
        r.join()
    for got, want in zip(answers, expected):
        assert np.array_equal(got[0], want[0]) and np.array_equal(got[1], want[1])
