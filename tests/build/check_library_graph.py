#!/usr/bin/env python3
"""Configures the project in a scratch folder with `cmake --graphviz` and fails when the link
graph of the project's own libraries has a cycle: a library must never be built on one that is
built on it. Usage: check_library_graph.py SOURCE_DIR SCRATCH_DIR [cmake options...]"""
import re
import shutil
import subprocess
import sys
from pathlib import Path


def read_graph(dot):
    labels, edges = {}, {}
    for line in dot.read_text().splitlines():
        node = re.match(r'\s*"(\w+)" \[ label = "([^"]+)"', line)
        if node:
            labels[node.group(1)] = node.group(2)
            continue
        edge = re.match(r'\s*"(\w+)" -> "(\w+)"', line)
        if edge:
            edges.setdefault(edge.group(1), set()).add(edge.group(2))
    graph = {}
    for a, targets in edges.items():
        for b in targets:
            graph.setdefault(labels[a], set()).add(labels[b])
    return graph


def find_cycle(graph):
    """A list of names that form a cycle, or None. Depth-first with an explicit path."""
    state = {}
    for start in sorted(graph):
        if state.get(start):
            continue
        path, stack = [], [(start, iter(sorted(graph.get(start, ()))))]
        state[start] = 1
        path.append(start)
        while stack:
            node, children = stack[-1]
            child = next(children, None)
            if child is None:
                state[node] = 2
                stack.pop()
                path.pop()
            elif state.get(child) == 1:
                return path[path.index(child):] + [child]
            elif not state.get(child):
                state[child] = 1
                path.append(child)
                stack.append((child, iter(sorted(graph.get(child, ())))))
    return None


def main():
    source, scratch, options = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3:]
    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir(parents=True)
    dot = scratch / "graph.dot"
    subprocess.run(["cmake", "-S", str(source), "-B", str(scratch), f"--graphviz={dot}", *options],
                   check=True, stdout=subprocess.DEVNULL)
    graph = read_graph(dot)
    libraries = [name for name in graph if name.startswith("xqft")]
    if len(libraries) < 5:
        print(f"too few project libraries in the graph: {libraries}")
        return 1
    cycle = find_cycle(graph)
    if cycle:
        print("library cycle: " + " -> ".join(cycle))
        return 1
    print(f"{len(graph)} targets with links, no cycle")
    return 0


if __name__ == "__main__":
    sys.exit(main())
