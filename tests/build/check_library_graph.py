#!/usr/bin/env python3
"""Configures the project in a scratch folder with `cmake --graphviz` and fails when the link
graph of the project's own libraries has a cycle: a library must never be built on one that is
built on it. Also fails when a target depends on one of a folder configured after its own (the
XQFT_FOLDERS order of the top-level CMakeLists.txt), so that the folder order shows the layers.
Usage: check_library_graph.py SOURCE_DIR SCRATCH_DIR [cmake options...]"""
import json
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


def folder_order(source):
    """The top-level folders in the order the top-level CMakeLists.txt configures them."""
    text = (source / "CMakeLists.txt").read_text()
    folders = re.search(r"set\(XQFT_FOLDERS ([^)]*)\)", text).group(1).split()
    for extra in re.findall(r"list\(APPEND XQFT_FOLDERS ([^)]*)\)", text):
        folders += extra.split()
    return folders


def read_targets(scratch):
    """(name, source folder, names of the targets it depends on) for every target, from the
    CMake file API's code model."""
    reply = scratch / ".cmake" / "api" / "v1" / "reply"
    index = json.loads(next(reply.glob("index-*.json")).read_text())
    model_file = next(o["jsonFile"] for o in index["objects"] if o["kind"] == "codemodel")
    model = json.loads((reply / model_file).read_text())
    entries = model["configurations"][0]["targets"]
    details = {t["id"]: json.loads((reply / t["jsonFile"]).read_text()) for t in entries}
    names = {tid: d["name"] for tid, d in details.items()}
    return [(d["name"], d["paths"]["source"], [names[dep["id"]] for dep in d.get("dependencies", [])])
            for d in details.values()]


def folder_order_faults(targets, order):
    """Lines naming each dependency on a target of a folder configured later."""
    rank = {folder: i for i, folder in enumerate(order)}
    folder_of = {name: path.split("/")[0] for name, path, _ in targets}
    faults = []
    for name, path, deps in sorted(targets):
        mine = rank.get(folder_of[name])
        for dep in sorted(deps):
            theirs = rank.get(folder_of.get(dep))
            if mine is not None and theirs is not None and theirs > mine:
                faults.append(f"{name} ({folder_of[name]}/) depends on {dep} ({folder_of[dep]}/), configured later")
    return faults


def main():
    source, scratch, options = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3:]
    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir(parents=True)
    dot = scratch / "graph.dot"
    query = scratch / ".cmake" / "api" / "v1" / "query"
    query.mkdir(parents=True)
    (query / "codemodel-v2").touch()
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
    faults = folder_order_faults(read_targets(scratch), folder_order(source))
    if faults:
        print("\n".join(faults))
        return 1
    print(f"{len(graph)} targets with links, no cycle, no link to a folder configured later")
    return 0


if __name__ == "__main__":
    sys.exit(main())
