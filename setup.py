"""pip install . builds the Python package cycle: python/cycle and the
extension cycle._cycle, compiled from python/src against include/, the same
headers as the C++ library. Offline, with Debian's python3-pybind11,
python3-numpy and python3-setuptools: pip install --no-build-isolation .
"""
import os
import re

from pybind11.setup_helpers import Pybind11Extension, build_ext
from setuptools import setup

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "CMakeLists.txt")) as f:
    version = re.search(r"project\(\s*\S+\s+VERSION\s+([0-9.]+)", f.read()).group(1)

sources = ["module.cpp", "lists.cpp", "period.cpp", "mappings.cpp", "graphs.cpp", "acyclic.cpp",
           "collision.cpp"]
extension = Pybind11Extension(
    "cycle._cycle",
    [os.path.join("python", "src", name) for name in sources],
    include_dirs=["include"],
    define_macros=[("CYCLE_VERSION", f'"{version}"')],
    cxx_std=17,
    extra_compile_args=["-O2"],
    extra_link_args=["-pthread"],
)

setup(
    name="cycle",
    version=version,
    description="Cycle finding: iterated functions, linked objects, mappings and directed graphs",
    packages=["cycle"],
    package_dir={"cycle": "python/cycle"},
    package_data={"cycle": ["__init__.pyi", "py.typed"]},
    ext_modules=[extension],
    cmdclass={"build_ext": build_ext},
    install_requires=["numpy"],
    python_requires=">=3.8",
    zip_safe=False,
)
