#!/usr/bin/env python3
"""Checks the GitHub workflows, which cannot run on the development machine, as far as they can be
checked there. Every workflow parses. The Windows workflow builds and tests both targets in their MSYS2
shells with CMake, Ninja and Python from UCRT64, sets a large enough screen first, keeps the tests'
screenshots and CTest's logs, still runs the tests when the build with warnings as errors fails (and
then still fails), and runs the README's Windows commands. The Linux workflow runs .ci/run in a Debian
12 container; the release workflow runs scripts/release.sh on a version tag and attaches its files with
no secret beyond the run's own token.
What the steps do besides their commands is read, not run: their conditions are evaluated for the runs
where the build or the tests fail, as GitHub evaluates them.
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
WINDOWS, LINUX, RELEASE = "windows.yml", "linux.yml", "release.yml"
README_SECTION = "## Building on Windows"
# Each MSYS2 shell: the preset built in it, the prefix of its compiler's name, and its package prefix
# (MINGW_PACKAGE_PREFIX, as MSYS2's /etc/msystem sets it).
SHELLS = {
    "MINGW64": ("windows-x64", "x86_64-", "mingw-w64-x86_64"),
    "MINGW32": ("windows-x86", "i686-", "mingw-w64-i686"),
}
# CMake, Ninja and a Python with pefile and PyYAML come from UCRT64 in both shells: MSYS2 builds no
# pefile for MINGW32.
HOST_PREFIX = "mingw-w64-ucrt-x86_64"
HOST_TOOLS = ["cmake", "ninja", "python-pefile", "python-yaml"]
HOST_BIN = "/ucrt64/bin"
# The hosted runner's screen is 1024x768; the results window needs more.
SCREEN = (1920, 1080)
CONTAINER = "debian:12"
STATUS_FUNCTIONS = ("success", "failure", "always", "cancelled")


def read(root, name):
    with open(os.path.join(root, name), encoding="utf-8") as f:
        return f.read()


def triggers(workflow):
    on = workflow.get("on", workflow.get(True))  # YAML 1.1 reads a bare `on` as true
    if isinstance(on, str):
        return {on: None}
    if isinstance(on, list):
        return dict.fromkeys(on)
    return on or {}


def commands(script):
    """The shell commands of a script, one token list each, continuation lines joined."""
    found = []
    for line in str(script).replace("\\\n", " ").splitlines():
        try:
            tokens = shlex.split(line, comments=True)
        except ValueError:
            tokens = line.split()
        if tokens:
            found.append(tokens)
    return found


def expand(tokens, env):
    def value(match):
        name = match.group(1) or match.group(2)
        return env.get(name, match.group(0))

    return [re.sub(r"\$(?:\{(\w+)\}|(\w+))", value, token) for token in tokens]


def substitute(item, matrix):
    """The item with each ${{ matrix.NAME }} replaced by the matrix entry's value."""
    if isinstance(item, str):
        return re.sub(r"\$\{\{\s*matrix\.(\w+)\s*\}\}",
                      lambda m: str(matrix.get(m.group(1), m.group(0))), item)
    if isinstance(item, list):
        return [substitute(entry, matrix) for entry in item]
    if isinstance(item, dict):
        return {key: substitute(entry, matrix) for key, entry in item.items()}
    return item


def matrix_entries(job):
    matrix = job.get("strategy", {}).get("matrix", {})
    entries = [{}]
    for key, values in matrix.items():
        if key not in ("include", "exclude"):
            entries = [dict(entry, **{key: value}) for entry in entries for value in values]
    includes = matrix.get("include", [])
    return includes if includes and entries == [{}] else entries + includes


def step_commands(step, env):
    env = dict(env, **{k: str(v) for k, v in step.get("env", {}).items()})
    return [expand(tokens, env) for tokens in commands(step.get("run", ""))]


def uses(step, action):
    return str(step.get("uses", "")).startswith(f"{action}@")


def is_command(tokens, *words):
    return tokens[: len(words)] == list(words)


def assigns(tokens, name):
    """True for `export NAME=...`."""
    return len(tokens) == 2 and tokens[0] == "export" and tokens[1].startswith(f"{name}=")


def configures(tokens):
    return is_command(tokens, "cmake", "--preset")


# -- GitHub's expressions, as far as step conditions use them ------------------------------------------


def evaluate(expression, context):
    """The value of a GitHub expression; ValueError for what it cannot tell."""
    text = expression.strip()
    if text.startswith("${{") and text.endswith("}}"):
        text = text[3:-2]
    tokens = re.findall(r"'(?:[^']|'')*'|&&|\|\||==|!=|!|\(|\)|,|[\w.-]+|\S", text)
    position = 0

    def peek():
        return tokens[position] if position < len(tokens) else None

    def take(expected=None):
        nonlocal position
        token = peek()
        if token is None or (expected and token != expected):
            raise ValueError(f"cannot read {expression!r}")
        position += 1
        return token

    def equal(a, b):
        if isinstance(a, str) and isinstance(b, str):
            return a.lower() == b.lower()
        return a == b

    def primary():
        token = take()
        if token == "(":
            value = either()
            take(")")
            return value
        if token == "!":
            return not primary()
        if token.startswith("'"):
            return token[1:-1].replace("''", "'")
        if token in ("true", "false"):
            return token == "true"
        if peek() == "(":
            take("(")
            take(")")
            if token not in context["functions"]:
                raise ValueError(f"cannot evaluate {token}() in {expression!r}")
            return context["functions"][token]
        if token not in context["values"]:
            raise ValueError(f"cannot evaluate {token} in {expression!r}")
        return context["values"][token]

    def comparison():
        value = primary()
        while peek() in ("==", "!="):
            operator = take()
            value = equal(value, primary()) == (operator == "==")
        return value

    def both():
        value = comparison()
        while peek() == "&&":
            take()
            value = comparison() and value
        return value

    def either():
        value = both()
        while peek() == "||":
            take()
            value = both() or value
        return value

    value = either()
    if peek() is not None:
        raise ValueError(f"cannot read {expression!r}")
    return value


def run_job(steps, outcomes, values):
    """The indices of the steps that run, and whether the job fails, when the steps in `outcomes` end
    as given (True: success) and every other step succeeds unless its script ends with a failing exit."""
    ran, failed, values = [], False, dict(values)
    for index, step in enumerate(steps):
        condition = str(step.get("if", "success()"))
        if not any(re.search(rf"\b{name}\s*\(", condition) for name in STATUS_FUNCTIONS):
            condition = f"success() && ({condition.strip().removeprefix('${{').removesuffix('}}')})"
        functions = {"success": not failed, "failure": failed, "always": True, "cancelled": False}
        runs = evaluate(condition, {"functions": functions, "values": values})
        outcome = "skipped"
        if runs:
            ran.append(index)
            last = (commands(step.get("run", "")) or [[]])[-1]
            fails = last[:1] == ["false"] or (last[:1] == ["exit"] and last[1:2] != ["0"])
            succeeds = outcomes.get(index, not fails)
            outcome = "success" if succeeds else "failure"
            failed = failed or (not succeeds and step.get("continue-on-error") is not True)
        if "id" in step:
            values[f"steps.{step['id']}.outcome"] = outcome
            forgiven = step.get("continue-on-error") is True
            values[f"steps.{step['id']}.conclusion"] = "success" if forgiven else outcome
    return ran, failed


# -- CMakePresets.json ----------------------------------------------------------------------------------


def configure_preset(presets, name):
    """The configure preset `name` with what it inherits, as CMake resolves it, or None."""
    entries = {entry["name"]: entry for entry in presets["configurePresets"]}
    if name not in entries:
        return None
    entry = dict(entries[name])
    parents = entry.get("inherits", [])
    variables = {}
    for parent in [parents] if isinstance(parents, str) else parents:  # the earlier parent wins
        inherited = configure_preset(presets, parent) or {}
        variables = dict(inherited.get("cacheVariables", {}), **variables)
        for key, value in inherited.items():
            entry.setdefault(key, value)
    variables.update(entries[name].get("cacheVariables", {}))
    entry["cacheVariables"] = {key: value for key, value in variables.items() if value is not None}
    return entry


def preset_problems(presets, shell, preset):
    _, compiler_prefix, _ = SHELLS[shell]
    found = []
    for kind, names in (("buildPresets", [preset, f"{preset}-release"]), ("testPresets", [preset])):
        for name in names:
            if not any(entry["name"] == name for entry in presets[kind]):
                found.append(f"CMakePresets.json: no {name} in {kind}")
    for name, build_type, tests in ((preset, "Debug", None), (f"{preset}-release", "Release", "OFF")):
        entry = configure_preset(presets, name)
        if entry is None:
            found.append(f"CMakePresets.json: no {name} in configurePresets")
            continue
        variables = entry["cacheVariables"]
        compiler = variables.get("CMAKE_CXX_COMPILER", "")
        if not compiler.startswith(compiler_prefix):
            found.append(f"{name}: compiler {compiler!r}, not the {shell} shell's {compiler_prefix}g++")
        if variables.get("CMAKE_BUILD_TYPE") != build_type:
            found.append(f"{name}: build type {variables.get('CMAKE_BUILD_TYPE')!r}, expected {build_type}")
        if tests and str(variables.get("KRUMENFEGER_TESTS")).upper() not in ("OFF", "FALSE", "0"):
            found.append(f"{name}: builds the tests (KRUMENFEGER_TESTS is not OFF)")
    return found


def binary_dir(presets, preset):
    entry = configure_preset(presets, preset) or {}
    return entry.get("binaryDir", "").replace("${sourceDir}/", "")


# -- The README's Windows commands ----------------------------------------------------------------------


def readme_blocks(text):
    """The sh blocks of the README's Windows section, as command lists."""
    if README_SECTION not in text:
        return []
    section = text.split(README_SECTION, 1)[1].split("\n## ", 1)[0]
    return [commands(block) for block in re.findall(r"```sh\n(.*?)```", section, re.S)]


def readme_for(blocks, preset):
    """The README's release and test commands as the shell of `preset` runs them; the README writes
    them for the first shell and sets PRESET by hand where the workflow takes it from its matrix."""
    release = blocks[0] if blocks else []
    tests = next((block for block in blocks if any(is_command(c, "ctest") for c in block)), [])
    assignments = [c for c in tests if assigns(c, "PRESET")]
    if not assignments:
        return release, [], "the README's test commands do not set PRESET (export PRESET=...)"
    written = assignments[0][1].split("=", 1)[1]
    env = {"PRESET": preset}

    def rewrite(block):
        block = [c for c in block if c not in assignments]
        return [[token.replace(written, preset) for token in expand(c, env)] for c in block]

    return rewrite(release), rewrite(tests), None


def packages(command_list, shell):
    """The packages the pacman commands install, with the shell's package prefix filled in."""
    env = {"MINGW_PACKAGE_PREFIX": SHELLS[shell][2]}
    found = set()
    for tokens in command_list:
        if is_command(tokens, "pacman"):
            found.update(token for token in expand(tokens, env)[1:] if not token.startswith("-"))
    return found


# -- The Windows workflow --------------------------------------------------------------------------------


def shell_of(job, step):
    return step.get("shell", job.get("defaults", {}).get("run", {}).get("shell", ""))


def screen_problems(job, steps):
    for step in steps:
        text = step.get("run", "")
        if "Set-DisplayResolution" in text:
            width = re.search(r"-Width\s+(\d+)", text)
            height = re.search(r"-Height\s+(\d+)", text)
            size = (int(width.group(1)), int(height.group(1))) if width and height else (0, 0)
            found = []
            if shell_of(job, step) not in ("pwsh", "powershell"):
                found.append(f"Set-DisplayResolution runs in {shell_of(job, step)!r}, not in PowerShell")
            if size[0] < SCREEN[0] or size[1] < SCREEN[1]:
                found.append(f"the screen is set to {size[0]}x{size[1]}, less than {SCREEN[0]}x{SCREEN[1]}")
            return found, steps.index(step)
    return ["no step sets the screen's size (Set-DisplayResolution)"], None


def artifact_problems(root, step, bin_dir):
    """The upload must hold every folder the tests save screenshots in, and CTest's logs."""
    patterns = [line.strip().rstrip("/") for line in str(step.get("with", {}).get("path", "")).splitlines()]
    sources = glob.glob(os.path.join(root, "tests", "**", "*.cpp"), recursive=True)
    folders = set()
    for source in sources:
        with open(source, encoding="utf-8") as f:
            folders.update(re.findall(r'L"(\w*screenshots)"', f.read()))
    wanted = [f"{bin_dir}/{folder}" for folder in sorted(folders)] + [f"{bin_dir}/Testing/Temporary"]
    return [f"the artifacts lack {path}/" for path in wanted
            if not any(fnmatch.fnmatch(path, pattern) for pattern in patterns)]


def windows_entry_problems(root, job, presets, blocks, entry):
    job = substitute(job, entry)
    steps = job.get("steps", [])
    env = {key: str(value) for key, value in job.get("env", {}).items()}
    setups = [s for s in steps if uses(s, "msys2/setup-msys2")]
    shell = setups[0].get("with", {}).get("msystem") if len(setups) == 1 else None
    preset = env.get("PRESET")
    if shell not in SHELLS or SHELLS[shell][0] != preset:
        return [f"a matrix entry builds {preset!r} in the shell {shell!r}"]
    where = f"{preset}: "
    found = [where + problem for problem in preset_problems(presets, shell, preset)]
    all_commands = [c for step in steps for c in step_commands(step, env)]

    # The host tools come from UCRT64, behind the shell's own compiler on PATH.
    installed = packages(all_commands, shell)
    wanted = [f"{SHELLS[shell][2]}-gcc"] + [f"{HOST_PREFIX}-{tool}" for tool in HOST_TOOLS]
    found += [f"{where}{name} is not installed" for name in wanted if name not in installed]
    legacy = sorted(n for n in installed if re.match(r"mingw-w64-(x86_64|i686)-(cmake|ninja|python)", n))
    found += [f"{where}{name} would come before UCRT64's tools on PATH" for name in legacy]
    for step in steps:
        step_list = step_commands(step, env)
        builds = [i for i, c in enumerate(step_list) if c[0] in ("cmake", "ctest")]
        paths = [i for i, c in enumerate(step_list) if assigns(c, "PATH")]
        if builds and shell_of(job, step) == "msys2 {0}":
            appended = [i for i in paths if re.fullmatch(rf"PATH=\$\{{?PATH\}}?:{HOST_BIN}", step_list[i][1])]
            if not appended or appended[0] > builds[0]:
                found.append(f"{where}step {step.get('name')!r} runs CMake without {HOST_BIN} last on PATH")

    # The README's commands, in its order, among the workflow's.
    release, tests, problem = readme_for(blocks, preset)
    if problem:
        found.append(problem)
    remaining = iter(all_commands)
    missing = [c for c in tests if not any(c == w for w in remaining)]
    if missing:
        found.append(f"{where}the workflow does not run the README's {shlex.join(missing[0])!r} "
                     "(in the README's order)")
    elif not tests:
        found.append("the README's Windows section has no test commands")
    readme_ctest = [c for c in tests if c[0] == "ctest"]
    found += [f"{where}tests run as {shlex.join(c)!r}, not as the README says" for c in all_commands
              if c[0] == "ctest" and c not in readme_ctest]
    release_builds = [c for c in release if c[0] == "cmake"]
    first = release_builds[0] if release_builds else []
    if not configures(first) or not first[-1].endswith("-release"):
        found.append("the README's Windows section does not start with the release preset's commands")
    found += [f"{where}the workflow does not run the README's {shlex.join(c)!r}" for c in release_builds
              if c not in all_commands]
    found += [f"{where}the README's {name} is not installed"
              for name in sorted(packages(release, shell) - installed)]

    # The runs where the build with warnings as errors or the tests fail.
    werror = [i for i, s in enumerate(steps) if any(configures(c) and "-DKRUMENFEGER_WERROR=ON" in c
                                                     for c in step_commands(s, env))]
    testing = [i for i, s in enumerate(steps) if any(c[0] == "ctest" for c in step_commands(s, env))]
    uploads = [i for i, s in enumerate(steps) if uses(s, "actions/upload-artifact")]
    screen, screen_index = screen_problems(job, steps)
    found += [where + problem for problem in screen]
    if not werror or not testing:
        return found + [f"{where}no build with warnings as errors, or no tests"]
    fallback = [i for i, s in enumerate(steps) if i > werror[0] and any(
        configures(c) and "-DKRUMENFEGER_WERROR=OFF" in c for c in step_commands(s, env)) and any(
        is_command(c, "cmake", "--build") for c in step_commands(s, env))]
    values = {f"matrix.{key}": value for key, value in entry.items()}
    values.update({"runner.os": "Windows", "github.event_name": "push"})
    for build_ok in (True, False):
        for tests_ok in (True, False):
            case = (f"{where}when the build with warnings as errors {'passes' if build_ok else 'fails'} "
                    f"and the tests {'pass' if tests_ok else 'fail'}, ")
            try:
                ran, failed = run_job(steps, {werror[0]: build_ok, testing[0]: tests_ok}, values)
            except ValueError as error:
                return found + [f"{where}{error}"]
            if testing[0] not in ran:
                found.append(case + "the tests do not run")
            if failed != (not (build_ok and tests_ok)):
                found.append(case + ("the job fails" if failed else "the job passes"))
            if not build_ok and not any(werror[0] < i < testing[0] for i in fallback if i in ran):
                found.append(case + "no build without warnings as errors comes before the tests")
            if screen_index is not None and (screen_index not in ran or screen_index > testing[0]):
                found.append(case + "the screen is not set before the tests")
            if not any(i in ran and i > testing[0] for i in uploads):
                found.append(case + "no artifacts are kept")
    for i in uploads:
        found += [where + p for p in artifact_problems(root, steps[i], binary_dir(presets, preset))]
    return found


def windows_problems(root, workflow, presets, readme):
    found = [f"no {event} trigger" for event in ("push", "pull_request", "workflow_dispatch")
             if event not in triggers(workflow)]
    jobs = list(workflow.get("jobs", {}).values())
    if len(jobs) != 1:
        return found + [f"jobs: expected 1, actual {len(jobs)}"]
    job = jobs[0]
    if not str(job.get("runs-on", "")).startswith("windows"):
        found.append(f"runs-on: {job.get('runs-on')}, not a Windows runner")
    if not isinstance(job.get("timeout-minutes"), int) or job["timeout-minutes"] <= 0:
        found.append("the job has no time limit (timeout-minutes)")
    blocks = readme_blocks(readme)
    built = set()
    for entry in matrix_entries(job):
        found += windows_entry_problems(root, job, presets, blocks, entry)
        built.add(substitute(job, entry).get("env", {}).get("PRESET"))
    expected = {preset for preset, _, _ in SHELLS.values()}
    if built != expected:
        found.append(f"the matrix builds {sorted(map(str, built))}, expected {sorted(expected)}")
    return list(dict.fromkeys(found))  # what holds for the README alone is found once per shell


# -- The Linux and release workflows ----------------------------------------------------------------------


def container_problems(job, target):
    """A Debian 12 container job whose step `target` (an index) works on a git checkout."""
    image = job.get("container")
    image = image.get("image") if isinstance(image, dict) else image
    found = [] if image == CONTAINER else [f"container: {image}, expected {CONTAINER}"]
    if job.get("runs-on") != "ubuntu-latest":
        found.append(f"runs-on: {job.get('runs-on')}, expected ubuntu-latest")
    if not isinstance(job.get("timeout-minutes"), int) or job["timeout-minutes"] <= 0:
        found.append("the job has no time limit (timeout-minutes)")
    steps = job.get("steps", [])
    checkout = next((i for i, s in enumerate(steps) if uses(s, "actions/checkout")), None)
    if checkout is None or checkout > target:
        return found + ["no checkout before the work"]
    before = [c for s in steps[:checkout] for c in commands(s.get("run", ""))]
    if not any("apt-get" in c and "install" in c and "git" in c for c in before):
        found.append("git is not installed before the checkout, which is then a bare download")
    after = [c for s in steps[checkout:target] for c in commands(s.get("run", ""))]
    if not any(is_command(c, "git", "config", "--global", "--add", "safe.directory") for c in after):
        found.append("the checkout is not marked safe for git (the container's root does not own it)")
    return found


def step_running(job, command):
    return next((i for i, s in enumerate(job.get("steps", [])) if any(
        c[-len(command):] == command for c in commands(s.get("run", "")))), None)


def linux_problems(workflow):
    found = [f"no {event} trigger" for event in ("push", "pull_request", "workflow_dispatch")
             if event not in triggers(workflow)]
    jobs = list(workflow.get("jobs", {}).values())
    if len(jobs) != 1:
        return found + [f"jobs: expected 1, actual {len(jobs)}"]
    target = step_running(jobs[0], [".ci/run"])
    if target is None:
        return found + ["no step runs .ci/run"]
    found += container_problems(jobs[0], target)
    if any("sudo" in c for s in jobs[0]["steps"] for c in commands(s.get("run", ""))):
        found.append("a step uses sudo, which the container lacks")
    return found


def release_problems(workflow, text, release_script):
    found = []
    version = re.search(r"^version=(\S+)$", release_script, re.M)
    if not version:
        return ["scripts/release.sh sets no version=..."]
    version = version.group(1)
    on = triggers(workflow)
    tags = (on.get("push") or {}).get("tags", []) if set(on) == {"push"} else []
    branches = (on.get("push") or {}).get("branches")
    if branches or not any(fnmatch.fnmatch(f"v{version}", pattern) for pattern in tags):
        found.append(f"triggers: {dict(on)}, expected a push of a tag like v{version} alone")
    found += [f"uses secrets.{name}, not only the run's own token" for name in
              sorted(set(re.findall(r"secrets\.(\w+)", text)) - {"GITHUB_TOKEN"})]
    jobs = workflow.get("jobs", {})
    grants = [workflow.get("permissions") or {}] + [job.get("permissions") or {} for job in jobs.values()]
    for grant in grants:
        if not isinstance(grant, dict):  # read-all or write-all
            grant = {"every scope": "write" if "write" in grant else "read"}
        found += [f"grants {scope}: write" for scope, level in grant.items()
                  if level == "write" and scope != "contents"]
    builders = [name for name, job in jobs.items() if step_running(job, ["scripts/release.sh"]) is not None]
    if not builders:
        return found + ["no job runs scripts/release.sh"]
    found += container_problems(jobs[builders[0]], step_running(jobs[builders[0]], ["scripts/release.sh"]))
    expected = [f"dist/krumenfeger-{version}-{arch}.zip" for arch in ("x64", "x86")] + ["dist/SHA256SUMS"]
    attaching = [(name, c) for name, job in jobs.items() for s in job.get("steps", [])
                 for c in commands(s.get("run", ""))
                 if is_command(c, "gh", "release", "create") or is_command(c, "gh", "release", "upload")]
    if not attaching:
        found.append("no step attaches the files to the release (gh release create or upload)")
    for name, command in attaching:
        files = [token for token in command if token.startswith("dist/")]
        found += [f"{shlex.join(command[:3])} does not attach {path}" for path in expected
                  if not any(fnmatch.fnmatch(path, pattern) for pattern in files)]
        job = jobs[name]
        if (job.get("permissions") or workflow.get("permissions") or {}).get("contents") != "write":
            found.append(f"job {name} attaches the files without contents: write")
        needs = job.get("needs", [])
        if builders[0] not in ([needs] if isinstance(needs, str) else needs) and name != builders[0]:
            found.append(f"job {name} does not wait for job {builders[0]}")
    return found


def problems(root):
    """Problems by workflow file."""
    found = {}
    parsed = {}
    for path in sorted(glob.glob(os.path.join(root, WORKFLOWS, "*.y*ml"))):
        name = os.path.basename(path)
        try:
            parsed[name] = yaml.safe_load(read(root, os.path.join(WORKFLOWS, name)))
            found[name] = [] if isinstance(parsed[name], dict) and parsed[name].get("jobs") else ["no jobs"]
        except yaml.YAMLError as error:
            found[name] = [f"does not parse: {error}"]
    readme = read(root, "README.md")
    checks = {
        WINDOWS: lambda w: windows_problems(root, w, json.loads(read(root, "CMakePresets.json")), readme),
        LINUX: linux_problems,
        RELEASE: lambda w: release_problems(w, read(root, os.path.join(WORKFLOWS, RELEASE)),
                                            read(root, "scripts/release.sh")),
    }
    for name, check in checks.items():
        if name not in found:
            found[name] = ["missing"]
        elif name in parsed and not found[name]:
            found[name] += check(parsed[name])
        if f"{WORKFLOWS}/{name}" not in readme:
            found[name].append(f"the README does not name {WORKFLOWS}/{name}")
    return found


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    failed = 0
    for name, found in problems(sys.argv[1]).items():
        for problem in found:
            print(f"FAIL {WORKFLOWS}/{name}: {problem}")
        print(f"{WORKFLOWS}/{name}: {'ok' if not found else f'{len(found)} problem(s)'}")
        failed += len(found)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
