#!/usr/bin/env python3
"""Writes .xqft trace files for tests and samples.

Subcommands come from the modules xqftlib/cmd_*.py: each defines register(subparsers), which adds
its parsers and sets a `func(args) -> exit status` default. Adding a command is adding a module.
"""
import argparse
import importlib
import os
import pkgutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import xqftlib  # noqa: E402


def main(argv=None):
    parser = argparse.ArgumentParser(prog="xqftgen.py", description=__doc__.splitlines()[0])
    subparsers = parser.add_subparsers(dest="command", metavar="COMMAND")
    subparsers.required = True
    for info in sorted(pkgutil.iter_modules(xqftlib.__path__), key=lambda m: m.name):
        if info.name.startswith("cmd_"):
            importlib.import_module("xqftlib." + info.name).register(subparsers)
    args = parser.parse_args(argv)
    return args.func(args) or 0


if __name__ == "__main__":
    sys.exit(main())
