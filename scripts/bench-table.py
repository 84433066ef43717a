#!/usr/bin/env python3
"""Turns the JSON results of the benchmark programs into one Markdown table per program.

Usage: bench-table.py RESULTS_DIR
RESULTS_DIR holds <Program>.json (google benchmark's --benchmark_out with repetitions and
aggregates) and <Program>.load (the output of `uptime` taken just before the program ran), as
scripts/bench.sh --json writes them. Each row is a benchmark's median CPU time; where the
benchmark has a peer in the same program (the toolkit's way, the library's own call, or a floor,
recognised by its name), the row also gives the peer's time and the ratio ours / peer.
"""
import json, os, re, sys

# Name parts that mark a peer, and the parts that mark our side of the same pair.
PEER_TOKENS = ["_QTextDocument", "_ShapingFloor", "_LibreOffice", "ToolkitTiledPeer", "DirectPeer",
               "_Library", "LibraryFloor", "IcuFloor", "VectorFloor", "Toolkit", "UnicodeBreaker",
               "Raw", "Floor", "_Qt", "Peer"]
OURS_TOKENS = ["_Ours", "PairTable", "Stream", "LoadAndSave", "_Ours"]


def key_of(name, tokens):
    base, _, args = name.partition("/")
    for t in tokens:
        if t in base:
            return base.replace(t, "", 1) + ("/" + args if args else ""), True
    return name, False


def fmt(ns):
    for unit, div in (("s", 1e9), ("ms", 1e6), ("us", 1e3)):
        if ns >= div:
            return f"{ns / div:.3g} {unit}"
    return f"{ns:.3g} ns"


def to_ns(v, unit):
    return v * {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[unit]


def main():
    d = sys.argv[1]
    for f in sorted(os.listdir(d)):
        if not f.endswith(".json"):
            continue
        prog = f[:-5]
        try:
            data = json.load(open(os.path.join(d, f)))
        except (OSError, ValueError):
            print(f"### {prog}\n\n(no results)\n")
            continue
        rows = {}
        order = []
        for b in data.get("benchmarks", []):
            if b.get("error_occurred"):
                continue
            agg = b.get("aggregate_name")
            if agg not in (None, "median"):
                continue
            name = b.get("run_name", b["name"])
            if name not in rows:
                order.append(name)
            rows[name] = to_ns(b["cpu_time"], b.get("time_unit", "ns"))
        peers = {}
        for n in order:
            k, is_peer = key_of(n, PEER_TOKENS)
            if is_peer:
                peers.setdefault(k, n)
        load = ""
        lp = os.path.join(d, prog + ".load")
        if os.path.exists(lp):
            m = re.search(r"load average: ([0-9.]+)", open(lp).read())
            load = f" (load average {m.group(1)} when it started)" if m else ""
        print(f"### {prog}{load}\n")
        print("| benchmark | CPU time (median) | peer | peer's CPU time | ours / peer |")
        print("|---|---|---|---|---|")
        for n in order:
            k, is_peer = key_of(n, PEER_TOKENS)
            if is_peer:
                continue
            ko, _ = key_of(n, OURS_TOKENS)
            p = peers.get(k) or peers.get(ko)
            if p:
                print(f"| `{n}` | {fmt(rows[n])} | `{p}` | {fmt(rows[p])} | {rows[n] / rows[p]:.2f} |")
            else:
                print(f"| `{n}` | {fmt(rows[n])} | | | |")
        paired = set()
        for n in order:
            k, is_peer = key_of(n, PEER_TOKENS)
            if not is_peer:
                ko, _ = key_of(n, OURS_TOKENS)
                paired.add(peers.get(k) or peers.get(ko))
        for n in order:
            k, is_peer = key_of(n, PEER_TOKENS)
            if is_peer and n not in paired:
                print(f"| `{n}` (peer) | {fmt(rows[n])} | | | |")
        print()


main()
