"""The compile command of a compilation database entry, made fit for compiling a probe file."""
import json
import os
import shlex


def compile_args(entry, keep_sanitizers=True):
    """The entry's command without its launcher, output, dependency files, source and forced
    includes (a precompiled header is a forced include: a probe must see only what it includes)."""
    args = shlex.split(entry["command"])
    # The compiler launcher (the compiler cache, perhaps behind env) is not part of the compile.
    for k, a in enumerate(args[:4]):
        if os.path.basename(a) == "ccache":
            args = args[k + 1:]
            break
    kept, skip = [], False
    for a in args:
        if skip:
            skip = False
            continue
        if a in ("-o", "-c", "-MT", "-MF", "-MQ", "-include"):
            skip = True
            continue
        if a in ("-MD", "-MMD", "-Winvalid-pch") or a == entry["file"]:
            continue
        if not keep_sanitizers and a.startswith("-fsanitize"):
            continue
        kept.append(a)
    return kept


def command_finder(build):
    """A function giving a target's first compile command from the build's compilation database."""
    with open(os.path.join(build, "compile_commands.json")) as f:
        commands = json.load(f)

    def command_of(target):
        for c in commands:
            if f"CMakeFiles/{target}.dir/" in c["command"]:
                return c
        return None

    return command_of
