"""Writers of .xqft trace files for tests and samples.

trace.py holds the container format (header, type-size table, record framing). Each cmd_*.py
module adds one or more subcommands to xqftgen.py through register(subparsers).
"""
