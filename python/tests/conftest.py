"""The suite runs against the package CMake built (build/python, through
PYTHONPATH) or an installed one; it says which interpreter and which
package it tests."""
import sys

import cycle


def pytest_report_header(config):
    return [f"python: {sys.executable} {sys.version.split()[0]}",
            f"cycle: {cycle.__version__} from {cycle.__file__}"]
