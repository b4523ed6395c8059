#!/usr/bin/env python3
"""Checks the Windows CI workflow, which cannot run on the development machine, as far as it can be
checked there: it parses, builds both targets in their MSYS2 shells with presets that exist for them, and
runs exactly the commands of the README's "Building on Windows", in the same order.
Usage: check_workflow.py SOURCE_DIR
"""
import difflib
import json
import os
import re
import sys

import yaml

WORKFLOW = ".github/workflows/windows.yml"
README_SECTION = "## Building on Windows"
# Each MSYS2 shell with the preset built in it and the prefix of its compiler's name.
SHELLS = {"MINGW64": ("windows-x64", "x86_64-"), "MINGW32": ("windows-x86", "i686-")}
PRESET_LINE = "export PRESET="  # the README sets by hand what the workflow takes from its matrix
NEEDED = ["cmake --preset", "cmake --build --preset", "ctest --preset"]


def readme_commands(text):
    """The lines of the section's first sh block, without blank and comment lines."""
    section = text.split(README_SECTION, 1)[1].split("\n## ", 1)[0]
    block = re.search(r"```sh\n(.*?)```", section, re.S).group(1)
    lines = [line.strip() for line in block.splitlines()]
    return [line for line in lines if line and not line.startswith("#")]


def preset_problems(presets):
    found = []
    for shell, (preset, compiler_prefix) in SHELLS.items():
        for kind in ("configurePresets", "buildPresets", "testPresets"):
            if not any(entry["name"] == preset for entry in presets[kind]):
                found.append(f"CMakePresets.json: no {preset} in {kind}")
        for entry in presets["configurePresets"]:
            compiler = entry.get("cacheVariables", {}).get("CMAKE_CXX_COMPILER", "")
            if entry["name"] == preset and not compiler.startswith(compiler_prefix):
                found.append(f"{preset}: compiler {compiler!r}, not the {shell} shell's {compiler_prefix}g++")
    return found


def job_problems(job):
    found = []
    if job.get("runs-on") != "windows-latest":
        found.append(f"runs-on: expected windows-latest, actual {job.get('runs-on')}")
    matrix = {entry["msystem"]: entry["preset"] for entry in job["strategy"]["matrix"]["include"]}
    expected = {shell: preset for shell, (preset, _) in SHELLS.items()}
    if matrix != expected:
        found.append(f"matrix (shell: preset): expected {expected}, actual {matrix}")
    if job.get("env", {}).get("PRESET") != "${{ matrix.preset }}":
        found.append("env: PRESET is not the matrix's preset")
    if job.get("defaults", {}).get("run", {}).get("shell") != "msys2 {0}":
        found.append("the run steps do not run in the MSYS2 shell")
    setups = [step for step in job["steps"] if step.get("uses", "").startswith("msys2/setup-msys2@")]
    if [step.get("with", {}).get("msystem") for step in setups] != ["${{ matrix.msystem }}"]:
        found.append("no single msys2/setup-msys2 step for the matrix's shell")
    return found


def command_problems(job, readme):
    commands = [line.strip() for step in job["steps"] for line in step.get("run", "").splitlines()]
    commands = [line for line in commands if line]
    found = [f"no step runs {needed}" for needed in NEEDED if not any(c.startswith(needed) for c in commands)]
    if not any(line.startswith(PRESET_LINE) for line in readme):
        found.append(f"the README does not set PRESET ({PRESET_LINE}...)")
    by_hand = [line for line in readme if not line.startswith(PRESET_LINE)]
    if commands != by_hand:
        difference = difflib.unified_diff(by_hand, commands, "README", WORKFLOW, lineterm="", n=0)
        found.append("the workflow's commands are not the README's:\n" + "\n".join(difference))
    return found


def problems(root):
    def read(name):
        with open(os.path.join(root, name), encoding="utf-8") as f:
            return f.read()

    workflow = yaml.safe_load(read(WORKFLOW))
    found = preset_problems(json.loads(read("CMakePresets.json")))
    triggers = workflow.get("on", workflow.get(True))  # YAML 1.1 reads a bare `on` as true
    if set(triggers or ()) != {"push", "pull_request"}:
        found.append(f"triggers: expected push and pull_request, actual {triggers}")
    jobs = list(workflow["jobs"].values())
    if len(jobs) != 1:
        return found + [f"jobs: expected 1, actual {len(jobs)}"]
    return found + job_problems(jobs[0]) + command_problems(jobs[0], readme_commands(read("README.md")))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    found = problems(sys.argv[1])
    for problem in found:
        print(f"FAIL {WORKFLOW}: {problem}")
    print(f"{WORKFLOW}: {'ok' if not found else f'{len(found)} problem(s)'}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
