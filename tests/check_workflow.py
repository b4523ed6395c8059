#!/usr/bin/env python3
"""Checks the GitHub workflows, which cannot run here: each parses, has its triggers, and runs the
commands that the README gives for it, so that CI takes the path a developer takes.
Usage: check_workflow.py SOURCE_DIR
"""
import itertools
import os
import re
import shlex
import sys

import yaml

WORKFLOWS = ".github/workflows"
ON_CHANGE = ("push", "pull_request", "workflow_dispatch")
# Each workflow's triggers and the README's commands it runs (in one of its matrix's entries at least).
EXPECTED = {
    "linux.yml": (ON_CHANGE, ["scripts/test.sh"]),
    "windows.yml": (ON_CHANGE, ["cmake --workflow --preset windows-x64",
                                "cmake --workflow --preset windows-x64-release"]),
    "release.yml": (("push",), ["scripts/release.sh"]),
}


def commands(script):
    """The shell commands of a script, each as one normalised line, continuation lines joined."""
    lines = str(script).replace("\\\n", " ").splitlines()
    return {" ".join(shlex.split(line, comments=True)) for line in lines} - {""}


def entries(job):
    """The job's matrix entries: every combination of its lists, then its includes."""
    matrix = dict(job.get("strategy", {}).get("matrix", {}))
    include = matrix.pop("include", [])
    return [dict(zip(matrix, values)) for values in itertools.product(*matrix.values()) if matrix] + include or [{}]


def runs(workflow):
    """For each job and matrix entry, the commands its shell steps run, the matrix's values filled in."""
    for job in workflow["jobs"].values():
        for entry in entries(job):
            script = "\n".join(str(s.get("run", "")) for s in job.get("steps", []) if s.get("shell") != "pwsh")
            yield commands(re.sub(r"\$\{\{\s*matrix\.(\w+)\s*\}\}", lambda m: str(entry.get(m[1], m[0])), script))


def problems(root, name, readme):
    triggers, wanted = EXPECTED[name]
    try:
        with open(os.path.join(root, WORKFLOWS, name), encoding="utf-8") as f:
            workflow = yaml.safe_load(f)
    except (OSError, yaml.YAMLError) as error:
        return [f"cannot be read: {error}"]
    if not isinstance(workflow, dict) or not workflow.get("jobs"):
        return ["has no jobs"]
    on = workflow.get("on", workflow.get(True))  # YAML 1.1 reads a bare `on` as true
    found = [f"no {trigger} trigger" for trigger in triggers if trigger not in (on or {})]
    documented = set().union(*map(commands, re.findall(r"```sh\n(.*?)```", readme, re.S)))
    found += [f"the README gives no `{command}`" for command in wanted if command not in documented]
    ran = set().union(*runs(workflow))
    found += [f"does not run the README's `{command}`" for command in wanted
              if not any(line == command or line.startswith(command + " ") for line in ran)]
    return found + ([] if f"{WORKFLOWS}/{name}" in readme else ["the README does not name it"])


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(os.path.join(sys.argv[1], "README.md"), encoding="utf-8") as f:
        readme = f.read()
    failed = 0
    for name in EXPECTED:
        found = problems(sys.argv[1], name, readme)
        for problem in found:
            print(f"FAIL {WORKFLOWS}/{name}: {problem}")
        print(f"{WORKFLOWS}/{name}: {'ok' if not found else f'{len(found)} problem(s)'}")
        failed += len(found)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
