#!/usr/bin/env python3
"""Checks the GitHub workflows by reading them, since they cannot run here: each parses, the README
names it, and it holds what its job needs; the Windows workflow runs the README's build-and-test
commands.
Usage: check_workflow.py SOURCE_DIR
"""
import fnmatch
import glob
import json
import os
import re
import shlex
import sys

import yaml

WORKFLOWS = ".github/workflows"
TRIGGERS = ("push", "pull_request", "workflow_dispatch")
# Each MSYS2 shell: the preset built in it and its compiler's prefix.
SHELLS = {"MINGW64": ("windows-x64", "x86_64-"), "MINGW32": ("windows-x86", "i686-")}
# The compiler is the shell's own; CMake, Ninja and Python come from UCRT64 (no pefile for MINGW32).
PACKAGES = ["${MINGW_PACKAGE_PREFIX}-gcc"] + [
    f"mingw-w64-ucrt-x86_64-{tool}" for tool in ("cmake", "ninja", "python-pefile", "python-yaml")]
LEGACY_TOOLS = r"(mingw-w64-(x86_64|i686)|\$\{MINGW_PACKAGE_PREFIX\})-(cmake|ninja|python)"
APPEND_HOST_BIN = r"export PATH=\$\{?PATH\}?:/ucrt64/bin"
SCREEN = (1920, 1080)  # the hosted runner's 1024x768 is narrower than the results window
RUNS_AFTER_FAILURE = r"always\(\)|!\s*cancelled\(\)"
MATRIX = r"\$\{\{\s*matrix\.%s\s*\}\}"
README_SECTION = "## Building on Windows"


def read(*path):
    with open(os.path.join(*path), encoding="utf-8") as f:
        return f.read()


def commands(script):
    """The shell commands of a script, one token list each, continuation lines joined."""
    lines = str(script).replace("\\\n", " ").splitlines()
    return [tokens for tokens in (shlex.split(line, comments=True) for line in lines) if tokens]


def run(step):
    return commands(step.get("run", ""))


def has(step, *words):
    """True if one of the step's commands starts with `words`."""
    return any(c[: len(words)] == list(words) for c in run(step))


def uses(step, action):
    return str(step.get("uses", "")).startswith(f"{action}@")


def first(steps, test):
    """The index of the first step for which test(step) holds, or None."""
    return next((i for i, step in enumerate(steps) if test(step)), None)


def unmet(checks):
    """The problems of the (holds, problem) pairs that do not hold."""
    return [problem for holds, problem in checks if not holds]


def triggers(workflow):
    on = workflow.get("on", workflow.get(True))  # YAML 1.1 reads a bare `on` as true
    return {on: None} if isinstance(on, str) else dict.fromkeys(on) if isinstance(on, list) else on or {}


def single_job(workflow):
    """The workflow's only job ({} if it has several), and what it and the triggers lack."""
    jobs, on = list(workflow["jobs"].values()), triggers(workflow)
    job = jobs[0] if len(jobs) == 1 else {}
    minutes = job.get("timeout-minutes")
    return job, [f"no {event} trigger" for event in TRIGGERS if event not in on] + unmet(
        [(job, "not one job"), (isinstance(minutes, int) and minutes > 0, "no timeout-minutes")])


def compiler(presets, name):
    """A configure preset's C++ compiler, its own or the first one its parents name."""
    entry = next((p for p in presets["configurePresets"] if p["name"] == name), {})
    parents = entry.get("inherits", [])
    inherited = [compiler(presets, p) for p in ([parents] if isinstance(parents, str) else parents)]
    return entry.get("cacheVariables", {}).get("CMAKE_CXX_COMPILER") or next(filter(None, inherited), None)


def preset_problems(presets):
    found = []
    for shell, (preset, prefix) in SHELLS.items():
        wanted = [(kind, preset) for kind in ("configurePresets", "buildPresets", "testPresets")]
        wanted += [(kind, f"{preset}-release") for kind in ("configurePresets", "buildPresets")]
        found += [f"CMakePresets.json: no {name} in {kind}" for kind, name in wanted
                  if not any(p["name"] == name for p in presets.get(kind, []))]
        cxx = compiler(presets, preset)
        if not re.fullmatch(rf"{prefix}.*g\+\+", str(cxx)):
            found.append(f"{preset} compiles with {cxx}, not with the {shell} shell's {prefix}g++")
    return found


def tool_problems(steps):
    """The shell's compiler and UCRT64's tools installed, and UCRT64 last on PATH wherever CMake runs."""
    installed = {token for step in steps for c in run(step) if c[0] == "pacman" for token in c[1:]}
    legacy = sorted(name for name in installed if re.match(LEGACY_TOOLS, name))
    found = [f"{name} is not installed" for name in PACKAGES if name not in installed]
    found += [f"{name} is installed and would come before UCRT64's tools" for name in legacy]
    return found + [f"step {step.get('name')!r} runs CMake but does not first append /ucrt64/bin to PATH"
                    for step in steps if (has(step, "cmake") or has(step, "ctest"))
                    and not re.fullmatch(APPEND_HOST_BIN, " ".join(run(step)[0]))]


def screen_problems(job, steps, tests):
    index = first(steps, lambda step: "Set-DisplayResolution" in str(step.get("run")))
    if index is None:
        return ["no step sets the screen's size (Set-DisplayResolution)"]
    shell = steps[index].get("shell", job.get("defaults", {}).get("run", {}).get("shell"))
    size = [re.search(rf"-{side}\s+(\d+)", steps[index]["run"]) for side in ("Width", "Height")]
    width, height = (int(match[1]) if match else 0 for match in size)
    return unmet([
        (index < tests, "the screen is set after the tests"),
        (shell in ("pwsh", "powershell"), f"Set-DisplayResolution runs in {shell}, not in PowerShell"),
        (width >= SCREEN[0] and height >= SCREEN[1], f"the screen is set to {width}x{height}, too small"),
    ])


def failure_problems(steps, tests):
    """When the build with warnings as errors fails, the tests still run and the job fails at its end."""
    werror = first(steps, lambda step: any("-DKRUMENFEGER_WERROR=ON" in c for c in run(step)))
    if werror is None or werror > tests:
        return ["no build with warnings as errors before the tests"]
    failed = rf"steps\.{re.escape(str(steps[werror].get('id')))}\.outcome\s*==\s*'failure'"
    fallbacks = [step for step in steps[werror + 1: tests]
                 if re.search(failed, str(step.get("if"))) and has(step, "cmake", "--build")
                 and any("-DKRUMENFEGER_WERROR=OFF" in c for c in run(step))]
    test_if, final_if = steps[tests].get("if"), str(steps[-1].get("if"))
    fails_job = ["exit", "1"] in run(steps[-1])
    return unmet([
        ("id" in steps[werror] and steps[werror].get("continue-on-error") is True,
         "the build with warnings as errors has no id or no continue-on-error: true"),
        (fallbacks, "no build without warnings as errors before the tests when that build fails"),
        (test_if is None or re.search(RUNS_AFTER_FAILURE, str(test_if)), f"the tests run only if {test_if}"),
        (fails_job and re.search(failed, final_if) and re.search(RUNS_AFTER_FAILURE, final_if),
         "the last step does not fail the job (exit 1) when that build failed"),
    ])


def artifact_problems(root, steps, tests):
    """Kept after a failure too: every folder the tests put screenshots in, and CTest's logs."""
    index = first(steps, lambda step: uses(step, "actions/upload-artifact"))
    if index is None or index < tests:
        return ["no actions/upload-artifact step after the tests"]
    paths = re.sub(MATRIX % "preset", "windows-x64", str(steps[index].get("with", {}).get("path")))
    sources = glob.glob(os.path.join(root, "tests", "**", "*.cpp"), recursive=True)
    folders = {folder for source in sources for folder in re.findall(r'L"(\w*screenshots)"', read(source))}
    wanted = [f"build/windows-x64/{folder}/" for folder in sorted(folders) + ["Testing/Temporary"]]
    return unmet([("always()" in str(steps[index].get("if")), "the artifacts are kept only on success")] + [
        (any(fnmatch.fnmatch(path, p.strip()) for p in paths.splitlines()), f"the artifacts lack {path}")
        for path in wanted])


def readme_problems(steps, readme):
    """The README's test commands, in its order, among the workflow's, and ctest only as there."""
    section = readme.split(README_SECTION, 1)[-1].split("\n## ", 1)[0]
    blocks = [commands(block) for block in re.findall(r"```sh\n(.*?)```", section, re.S)] or [[]]
    configured = next((c[-1] for c in blocks[0] if c[:2] == ["cmake", "--preset"]), "")
    tests = next((block for block in blocks if any(c[0] == "ctest" for c in block)), [])
    # The README sets PRESET by hand where the workflow takes it from its matrix.
    tests = [c for c in tests if c != ["export", f"PRESET={SHELLS['MINGW64'][0]}"]]
    workflow = iter(c for step in steps for c in run(step))
    missing = [" ".join(c) for c in tests if c not in workflow]  # each search goes on from the last
    return unmet([
        (configured.endswith("-release"), "the README does not start with the release preset's commands"),
        (not missing, f"the workflow does not run the README's {missing[:1]} in the README's order"),
    ]) + [f"the workflow runs {' '.join(c)!r}, not the README's ctest"
          for step in steps for c in run(step) if c[0] == "ctest" and c not in tests]


def windows_problems(root, workflow):
    job, found = single_job(workflow)
    steps = job.get("steps", [])
    tests = first(steps, lambda step: has(step, "ctest"))
    if tests is None:
        return found + ["no step runs ctest"]
    pairs = {entry.get("msystem"): entry.get("preset")
             for entry in job.get("strategy", {}).get("matrix", {}).get("include", [])}
    setups = [step.get("with", {}) for step in steps if uses(step, "msys2/setup-msys2")]
    return found + unmet([
        (str(job.get("runs-on")).startswith("windows"), f"runs-on: {job.get('runs-on')}, not Windows"),
        (pairs == {shell: preset for shell, (preset, _) in SHELLS.items()}, f"the matrix pairs {pairs}"),
        (re.fullmatch(MATRIX % "preset", str(job.get("env", {}).get("PRESET"))),
         "PRESET is not the matrix's preset"),
        (len(setups) == 1 and re.fullmatch(MATRIX % "msystem", str(setups[0].get("msystem"))),
         "not one msys2/setup-msys2 step with the matrix's msystem"),
    ]) + (preset_problems(json.loads(read(root, "CMakePresets.json"))) + tool_problems(steps)
          + screen_problems(job, steps, tests) + failure_problems(steps, tests)
          + artifact_problems(root, steps, tests) + readme_problems(steps, read(root, "README.md")))


def container_problems(job):
    """A Debian 12 container on ubuntu-latest, git there before the checkout, the checkout trusted."""
    image = job.get("container")
    steps = job.get("steps", [])
    checkout = first(steps, lambda step: uses(step, "actions/checkout"))
    git = first(steps, lambda step: any("apt-get" in c and "install" in c and "git" in c for c in run(step)))
    return unmet([
        (image == "debian:12", f"container: {image}, not debian:12"),
        (job.get("runs-on") == "ubuntu-latest", f"runs-on: {job.get('runs-on')}, not ubuntu-latest"),
        (None not in (checkout, git) and git < checkout, "git is not installed before actions/checkout"),
        (any(has(step, "git", "config", "--global", "--add", "safe.directory") for step in steps),
         "the checkout is not a safe.directory for the container's root"),
    ])


def linux_problems(root, workflow):
    job, found = single_job(workflow)
    steps = job.get("steps", [])
    return found + container_problems(job) + unmet([
        (any(has(step, ".ci/run") for step in steps), "no step runs .ci/run"),
        (not any("sudo" in c for step in steps for c in run(step)), "a step uses sudo"),
    ])


def release_problems(root, workflow):
    version = re.search(r"^project\(Krumenfeger VERSION (\S+)", read(root, "CMakeLists.txt"), re.M)[1]
    on, jobs = triggers(workflow), workflow["jobs"]
    push = on.get("push") or {}
    tags = push["tags"] if list(on) == ["push"] and list(push) == ["tags"] else []
    secrets = sorted(set(re.findall(r"secrets\.(\w+)", str(workflow))) - {"GITHUB_TOKEN"})
    builders = [job for job in jobs.values()
                if any(has(step, "scripts/release.sh") for step in job.get("steps", []))]
    files = [f"dist/krumenfeger-{version}-{arch}.zip" for arch in ("x64", "x86")] + ["dist/SHA256SUMS"]
    attach = {name: [c for step in job.get("steps", []) for c in run(step) if c[:2] == ["gh", "release"]
                     and c[2:3] in (["create"], ["upload"])] for name, job in jobs.items()}
    found = unmet([
        (any(fnmatch.fnmatch(f"v{version}", tag) for tag in tags),
         f"on: {on}, not only tags like v{version} (scripts/release.sh)"),
        (not secrets, f"uses secrets {secrets}, not only GITHUB_TOKEN"),
        (builders, "no job runs scripts/release.sh"),
        (any(attach.values()), "no gh release create or upload attaches the files"),
    ]) + container_problems(builders[0] if builders else {})
    found += [f"{' '.join(c[:3])} does not attach {path}" for gh in attach.values() for c in gh
              for path in files if not any(fnmatch.fnmatch(path, token) for token in c[3:])]
    # Write access: contents, in the jobs that attach the files, and nothing else.
    grants = [("the workflow", workflow.get("permissions"))] + [
        (f"job {name}", job.get("permissions")) for name, job in jobs.items()]
    writes = {(who, scope) for who, grant in grants for scope, level in (
        grant.items() if isinstance(grant, dict) else [("every scope", grant)]) if "write" in str(level)}
    wanted = {(f"job {name}", "contents") for name, gh in attach.items() if gh}
    return found + [f"{who} may write {scope}" for who, scope in sorted(writes - wanted)] + [
        f"{who} attaches the files but may not write {scope}" for who, scope in sorted(wanted - writes)]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    root, failed = sys.argv[1], 0
    readme = read(root, "README.md")
    checks = {"windows.yml": windows_problems, "linux.yml": linux_problems, "release.yml": release_problems}
    names = {os.path.basename(path) for path in glob.glob(os.path.join(root, WORKFLOWS, "*.y*ml"))}
    for name in sorted(names | set(checks)):
        try:
            workflow = yaml.safe_load(read(root, WORKFLOWS, name)) if name in names else {}
            found = [] if isinstance(workflow, dict) and workflow.get("jobs") else ["missing, or no jobs"]
        except yaml.YAMLError as error:
            found = [f"does not parse: {error}"]
        if name in checks:
            found = (found or checks[name](root, workflow)) + unmet(
                [(f"{WORKFLOWS}/{name}" in readme, f"the README does not name {WORKFLOWS}/{name}")])
        for problem in found:
            print(f"FAIL {WORKFLOWS}/{name}: {problem}")
        print(f"{WORKFLOWS}/{name}: {'ok' if not found else f'{len(found)} problem(s)'}")
        failed += len(found)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
