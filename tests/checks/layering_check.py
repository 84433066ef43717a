#!/usr/bin/env python3
"""The build's layering, tried with the compiler itself.

For every library (and the test program of each), a one-line source is compiled with that
target's own compile command from compile_commands.json, as if it were one of the target's files:
  - a header of every library the target does not stand on must not be found;
  - above the platform, third-party headers (Qt, ICU, HarfBuzz, FreeType, fontconfig, libjpeg)
    and the platform's internal headers must not be found;
  - the target's own headers and those of the libraries below it must compile (so that a failure
    above is the include's fault, not the probe's).
Usage: layering_check.py <build dir> <source dir>
"""
import concurrent.futures
import os
import subprocess
import sys
import tempfile

import compile_command

FOREIGN = ["QImage", "QtGui/QImage", "QWidget", "unicode/ucnv.h", "unicode/ubidi.h", "hb.h", "hb-ft.h",
           "ft2build.h", "freetype/freetype.h", "fontconfig/fontconfig.h", "jpeglib.h"]


def main():
    build, source = (os.path.abspath(a) for a in sys.argv[1:3])
    libs = []  # (name, folder, names below)
    with open(os.path.join(build, "layering-manifest.txt")) as f:
        for line in f:
            parts = line.split()
            if parts:
                below = parts[2].split(",") if len(parts) > 2 and not parts[2].endswith("NOTFOUND") else []
                libs.append((parts[0], parts[1], [b for b in below if b]))
    command_of = compile_command.command_finder(build)

    def headers_of(folder):
        root = os.path.join(source, "src", folder)
        found = []
        for d, _, files in os.walk(root):
            found += [os.path.relpath(os.path.join(d, n), os.path.join(source, "src"))
                      for n in files if n.endswith(".h")]
        return sorted(found)

    internal = set()
    for name, folder, _ in libs:
        public_root = os.path.join(build, "include", "public", name)
        for h in headers_of(folder):
            if not os.path.exists(os.path.join(public_root, h)):
                internal.add(h)
    if not internal:
        print("FAIL: no internal platform header found; the probe for them would test nothing")
        return 1

    probes = []  # (target, include, should compile)
    for name, folder, below in libs:
        targets = [name]
        test_name = "test_" + folder.replace("/", "_")
        if command_of(test_name):
            targets.append(test_name)
        for target in targets:
            own = headers_of(folder)
            if own:
                probes.append((target, own[0], True))
            for other, ofolder, _ in libs:
                hs = headers_of(ofolder)
                if other == name or not hs:
                    continue
                if other in below:
                    public = [h for h in hs if h not in internal]
                    if public:
                        probes.append((target, public[0], True))
                else:
                    probes.append((target, hs[0], False))
            if not folder.startswith("platform/") or target != name:
                probes += [(target, h, False) for h in FOREIGN]
                probes += [(target, h, False) for h in sorted(internal)]

    tmp = tempfile.mkdtemp(prefix="layering-")

    def run(i, probe):
        target, header, ok = probe
        entry = command_of(target)
        if entry is None:
            return f"FAIL: no compile command for {target}"
        kept = compile_command.compile_args(entry)
        src = os.path.join(tmp, f"probe{i}.cpp")
        with open(src, "w") as f:
            f.write(f"#include <{header}>\n" if header in FOREIGN else f'#include "{header}"\n')
        r = subprocess.run(kept + ["-fsyntax-only", src], cwd=entry["directory"], capture_output=True, text=True)
        if ok and r.returncode != 0:
            return f"FAIL: {target} cannot include {header}, which it may:\n{r.stderr[:2000]}"
        if not ok:
            if r.returncode == 0:
                return f"FAIL: {target} compiles with {header}, which it must not see"
            if header not in r.stderr and os.path.basename(header) not in r.stderr:
                return f"FAIL: {target} with {header} fails for another reason:\n{r.stderr[:2000]}"
        return None

    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, min(len(os.sched_getaffinity(0)), 8))) as pool:
        failures = [f for f in pool.map(run, range(len(probes)), probes) if f]
    for f in failures:
        print(f)
    print(f"{len(probes)} probes, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
