#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks what the compiler really read against the layers (scripts/check-layers.sh runs it).

Layers come from the build: src/CMakeLists.txt writes every target's source list, by layer,
to <build>/kva_layers.txt. What each translation unit read comes from ninja's dependency log,
or, where that is stale or missing (the file changed since the build), from the compiler run
with the unit's own flags from compile_commands.json and -M. A header is judged by the layer
whose target lists it, however the #include spelled its path.
"""
import argparse
import json
import os
import re
import shlex
import subprocess
import sys

# Which layers a layer may read, besides its own. simulation and platform see the device layer
# only through the seams they plug into.
ALLOWED = {
    "base": set(),
    "device": {"base"},
    "features": {"base", "device"},
    "windows": {"base", "device", "features"},
    "simulation": {"base"},
    "platform": {"base"},
    "ctl": {"base", "device", "features", "simulation", "platform"},
    "program": {"base", "device", "features", "windows", "simulation", "platform"},
}
QT_LAYERS = {"windows", "program"}
SEAMS = {"device/port_io.h", "usbspi/ezusb_driver.h", "hostsetup/port_access.h",
         "device/board_stimulus.h", "usbspi/usb_adapter.h", "device/register_map.h"}
WINDOW_NAME = re.compile(r"^(frm|fm)")
QT_PATH = re.compile(r"/qt[56]?/|/Qt[A-Z]\w*/|^q\w+\.h$|^Q[A-Z]\w*$")


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("--src", required=True, help="the tree's src folder")
    p.add_argument("--build", required=True, help="the build folder")
    p.add_argument("files", nargs="*", help="only these translation units (paths under src)")
    return p.parse_args()


def load_layers(build):
    layers = {}
    path = os.path.join(build, "kva_layers.txt")
    if not os.path.exists(path):
        sys.exit(f"layering: {path} missing; configure the build first (scripts/build.sh)")
    with open(path) as f:
        for line in f:
            if line.strip():
                layer, source = line.split(maxsplit=1)
                layers[source.strip()] = layer
    return layers


def ninja_deps(build):
    """{object: [paths]} for every object whose recorded dependencies are still valid."""
    try:
        text = subprocess.run(["ninja", "-C", build, "-t", "deps"], capture_output=True,
                              text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError):
        return {}
    deps, current = {}, None
    for line in text.splitlines():
        if line and not line[0].isspace():
            obj, _, rest = line.partition(":")
            current = obj if "(VALID)" in rest else None
            if current:
                deps[current] = []
        elif current and line.strip():
            deps[current].append(line.strip())
    return deps


def object_of(entry):
    """The unit's object file as ninja names it: the database's "output", else the -o argument."""
    if entry.get("output"):
        return entry["output"]
    args = entry.get("arguments") or shlex.split(entry["command"])
    for i, a in enumerate(args[:-1]):
        if a == "-o":
            return args[i + 1]
    return None


def compiler_deps(entry):
    """What the unit reads, from the compiler itself (-M; -MG lists headers it cannot find)."""
    args = entry.get("arguments") or shlex.split(entry["command"])
    out, skip = [], False
    for a in args:
        if skip:
            skip = False
            continue
        if a in ("-o", "-MF", "-MT", "-MQ"):
            skip = True
            continue
        if a in ("-c", "-MD", "-MMD"):
            continue
        out.append(a)
    run = subprocess.run(out + ["-M", "-MG"], cwd=entry["directory"], capture_output=True,
                         text=True)
    if run.returncode != 0:
        return None, run.stderr.strip().splitlines()[:3]
    text = run.stdout.replace("\\\n", " ")
    return shlex.split(text.partition(":")[2]), []


def main():
    args = parse_args()
    src = os.path.realpath(args.src)
    build = os.path.realpath(args.build)
    layers = load_layers(build)
    failures = []

    def rel(path, directory):
        full = os.path.realpath(os.path.join(directory, path))
        return os.path.relpath(full, src) if full.startswith(src + os.sep) else None

    # Every file of the tree belongs to a target, and the window naming holds.
    for root, _, names in os.walk(src):
        for name in names:
            path = os.path.relpath(os.path.join(root, name), src)
            if name == "CMakeLists.txt":
                continue
            layer = layers.get(path)
            if layer is None:
                failures.append(f"src/{path}: in no target (list it in src/CMakeLists.txt)")
            elif WINDOW_NAME.match(name) and layer != "windows":
                failures.append(f"src/{path}: named as a window but in the {layer} layer")
            elif layer == "windows" and not path.startswith("ui/") and not WINDOW_NAME.match(name):
                failures.append(f"src/{path}: a window file outside src/ui/ must be named frm*")

    with open(os.path.join(build, "compile_commands.json")) as f:
        units = json.load(f)
    recorded = ninja_deps(build)
    only = {os.path.normpath(p) for p in args.files}

    for entry in units:
        unit = rel(entry["file"], entry["directory"])
        if unit is None or unit not in layers or (only and unit not in only):
            continue
        from_layer = layers[unit]
        obj = object_of(entry)
        deps = None
        if obj and obj in recorded and not only:
            deps = recorded[obj]
        if deps is None:
            deps, errors = compiler_deps(entry)
            if deps is None:
                failures.append(f"src/{unit}: does not compile in the {from_layer} layer: "
                                + " / ".join(errors))
                continue
        # The files of the tree the unit read, for finding the line that pulled a file in.
        found = [d for d in deps if os.path.exists(os.path.join(entry["directory"], d))]
        read = [unit] + [p for p in (rel(d, entry["directory"]) for d in found) if p]
        for dep in deps:
            name = os.path.basename(dep)
            if dep not in found:  # -MG: a header the layer's include path does not reach
                failures.append(f"{where(src, read, name)}: {from_layer} includes {dep}, "
                                "which its include path does not reach")
                continue
            path = rel(dep, entry["directory"])
            if path is None:
                if QT_PATH.search(dep) and from_layer not in QT_LAYERS:
                    failures.append(f"{where(src, read, name)}: {from_layer} uses Qt ({name})")
                continue
            to_layer = layers.get(path)
            if to_layer is None or to_layer == from_layer or to_layer in ALLOWED[from_layer]:
                continue
            if from_layer in ("simulation", "platform") and to_layer == "device" and path in SEAMS:
                continue
            failures.append(f"{where(src, read, name)}: {from_layer} includes {to_layer} ({path})")

    for line in sorted(set(failures)):
        print(line)
    if failures:
        print(f"layering: {len(set(failures))} finding(s) against the layers")
        return 1
    print("layering: every file read goes down or stays in its layer")
    return 0


def where(src, read, name):
    """src/file:line of the first #include that names `name` among the files read."""
    pattern = re.compile(r'^\s*#\s*include\s*[<"]([^>"]*/)?' + re.escape(name) + r'[>"]')
    for path in read:
        try:
            with open(os.path.join(src, path), errors="replace") as f:
                for number, line in enumerate(f, 1):
                    if pattern.match(line):
                        return f"src/{path}:{number}"
        except OSError:
            pass
    return f"src/{read[0]}"


if __name__ == "__main__":
    sys.exit(main())
