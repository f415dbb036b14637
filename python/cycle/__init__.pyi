# Types of the cycle package; each function's contract is in its docstring.
from typing import (Any, Callable, Dict, Hashable, Iterable, List, Mapping, NamedTuple,
                    Optional, Sequence, Tuple, TypeVar, Union)

import numpy as np
import numpy.typing as npt

__version__: str

T = TypeVar("T")
V = TypeVar("V", bound=Hashable)
Integers = Union[npt.NDArray[np.integer], Sequence[int]]
Graph = Union[Tuple[Integers, Integers], Any, Mapping[V, Iterable[V]]]

class CycleError(ValueError):
    @property
    def cycle(self) -> List[Any]: ...

class Period(NamedTuple):
    entry: Any
    mu: int
    lam: int

class ListCycle(NamedTuple):
    entry: Optional[Any]
    mu: int
    lam: int

class Collision(NamedTuple):
    a: int
    b: int
    image: int
    calls: int
    points: int

class Trace(NamedTuple):
    end: npt.NDArray[np.integer]
    distance: npt.NDArray[np.integer]
    cycles: int
    on_cycles: int
    roots: int
    longest: int

def find_period(start: T, f: Callable[[T], T], *, limit: Optional[int] = ...) -> Optional[Period]: ...
def has_cycle(head: Optional[Any], next: Optional[Callable[[Any], Optional[Any]]] = ...) -> bool: ...
def find_cycle(head: Optional[Any], next: Optional[Callable[[Any], Optional[Any]]] = ...) -> ListCycle: ...
def find_cycles(next: Integers, *, threads: int = ...) -> Tuple[npt.NDArray[np.integer], npt.NDArray[np.uint64]]: ...
def trace_all(next: Integers, *, threads: int = ...) -> Trace: ...
def find_graph_cycle(graph: Graph) -> List[Any]: ...
def topological_order(graph: Graph) -> Union[npt.NDArray[np.integer], List[Any]]: ...
def strongly_connected(graph: Graph) -> Tuple[int, Union[npt.NDArray[np.integer], Dict[Any, int]]]: ...

def find_collision(f: Callable[[int], int], bits: int, *, threads: int = ..., seed: int = ...,
                   max_calls: Optional[int] = ...) -> Optional[Collision]: ...

class AcyclicGraph:
    def __init__(self, n: int = ...) -> None: ...
    def __len__(self) -> int: ...
    def add_vertex(self) -> int: ...
    def add_edge(self, u: int, v: int) -> None: ...
    def remove_edge(self, u: int, v: int) -> bool: ...
    def has_edge(self, u: int, v: int) -> bool: ...
    @property
    def order(self) -> npt.NDArray[np.uint32]: ...
    def __copy__(self) -> "AcyclicGraph": ...
    def __deepcopy__(self, memo: Any) -> "AcyclicGraph": ...
