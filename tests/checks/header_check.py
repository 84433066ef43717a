#!/usr/bin/env python3
"""Every header compiles on its own.

Each header under src/ is compiled alone, twice in one file (so a missing include guard shows as
well), with the compile command of the library it belongs to; each header of a test folder with
the command of that folder's test program, and the shared test support (tests/support) with the
command of the topmost test program. The forced include of a precompiled header is taken out of
the command, since it would supply what a header forgot to include.
Usage: header_check.py <build dir> <source dir>
"""
import concurrent.futures
import os
import subprocess
import sys
import tempfile

import compile_command


def compile_args(entry):
    """The entry's command for a probe; sanitizers add nothing to a syntax check."""
    return compile_command.compile_args(entry, keep_sanitizers=False)


def main():
    build, source = (os.path.abspath(a) for a in sys.argv[1:3])
    libs = []  # (target, folder under src)
    with open(os.path.join(build, "layering-manifest.txt")) as f:
        for line in f:
            parts = line.split()
            if parts:
                libs.append((parts[0], parts[1]))
    command_of = compile_command.command_finder(build)

    def headers_under(root):
        found = []
        for d, _, files in os.walk(root):
            found += [os.path.join(d, n) for n in files if n.endswith(".h")]
        return sorted(found)

    jobs = []  # (header path, include spelling, compile entry)
    missing = []
    for target, folder in libs:
        entry = command_of(target)
        for h in headers_under(os.path.join(source, "src", folder)):
            if entry is None:
                missing.append(f"FAIL: no compile command for {target} ({h})")
            else:
                jobs.append((h, os.path.relpath(h, os.path.join(source, "src")), entry))
    topmost = None
    for target, folder in libs:
        test = "test_" + folder.replace("/", "_")
        entry = command_of(test)
        if entry is None:
            continue
        topmost = topmost or entry
        if target == "engine_print":
            topmost = entry
        for h in headers_under(os.path.join(source, "tests", folder)):
            jobs.append((h, h, entry))
    if topmost is not None:
        for h in headers_under(os.path.join(source, "tests", "support")):
            jobs.append((h, h, topmost))
    if not jobs:
        print("FAIL: no headers found")
        return 1

    tmp = tempfile.mkdtemp(prefix="headers-")

    def run(i, job):
        path, spelling, entry = job
        src = os.path.join(tmp, f"alone{i}.cpp")
        with open(src, "w") as f:
            f.write(f'#include "{spelling}"\n#include "{spelling}"\n')
        r = subprocess.run(compile_args(entry) + ["-fsyntax-only", src], cwd=entry["directory"],
                           capture_output=True, text=True)
        if r.returncode != 0:
            return f"FAIL: {os.path.relpath(path, source)} does not compile on its own:\n{r.stderr[:3000]}"
        return None

    # As many compilers as this process may use cores (CI pins the run to two).
    workers = max(1, min(len(os.sched_getaffinity(0)), 8))
    with concurrent.futures.ThreadPoolExecutor(max_workers=workers) as pool:
        failures = missing + [f for f in pool.map(run, range(len(jobs)), jobs) if f]
    for f in failures:
        print(f)
    print(f"{len(jobs)} headers, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
