#!/usr/bin/env python3
"""Turns the JSON results of the benchmark programs into one Markdown table per program.

Usage: bench-table.py RESULTS_DIR [PEERS_FILE]
RESULTS_DIR holds <Program>.json (the benchmark library's JSON output, with repetitions and
aggregates) and <Program>.load (what `uptime` printed just before the program ran), as
`scripts/bench.sh --json DIR` writes them. Each row is one benchmark's median time (CPU time, or
the measured wall time of benchmarks that time themselves) and, where bench/peers.txt names a
peer that ran in the same program, the peer's time and the ratio ours / peer.
"""
import json, os, re, sys

HERE = os.path.dirname(os.path.abspath(__file__))


def load_rules(path):
    rules = []
    for line in open(path, encoding="utf-8"):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        prog, ours, peer = line.split()
        rules.append((prog, re.compile(ours), peer))
    return rules


def fmt(ns):
    for unit, div in (("s", 1e9), ("ms", 1e6), ("us", 1e3)):
        if ns >= div:
            return f"{ns / div:.3g} {unit}"
    return f"{ns:.3g} ns"


def medians(path):
    data = json.load(open(path, encoding="utf-8"))
    rows, order = {}, []
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}
    for b in data.get("benchmarks", []):
        if b.get("error_occurred") or b.get("aggregate_name") not in (None, "median"):
            continue
        name = b.get("run_name", b["name"])
        field = "real_time" if "manual_time" in name else "cpu_time"
        if name not in rows:
            order.append(name)
        rows[name] = b[field] * scale[b.get("time_unit", "ns")]
    return rows, order


def main():
    d = sys.argv[1]
    rules = load_rules(sys.argv[2] if len(sys.argv) > 2 else os.path.join(HERE, "..", "bench", "peers.txt"))
    for f in sorted(os.listdir(d)):
        if not f.endswith(".json"):
            continue
        prog = f[:-5]
        try:
            rows, order = medians(os.path.join(d, f))
        except (OSError, ValueError, KeyError):
            print(f"### {prog}\n\n(no results)\n")
            continue
        load = ""
        lp = os.path.join(d, prog + ".load")
        if os.path.exists(lp):
            m = re.search(r"load average: ([0-9.]+)", open(lp).read())
            load = f" (load average {m.group(1)} as it started)" if m else ""
        peers_of = {n: [] for n in order}
        is_peer = set()
        for n in order:
            for p, rx, tmpl in rules:
                if p not in ("*", prog):
                    continue
                m = rx.fullmatch(n)
                if not m:
                    continue
                peer = m.expand(tmpl).replace("\\", "")
                if peer in rows and peer != n and peer not in peers_of[n]:
                    peers_of[n].append(peer)
                    is_peer.add(peer)
        print(f"### {prog}{load}\n")
        print("| benchmark | time (median) | peer | peer's time | ours / peer |")
        print("|---|---|---|---|---|")
        for n in order:
            if n in is_peer and not peers_of[n]:
                continue
            if not peers_of[n]:
                print(f"| `{n}` | {fmt(rows[n])} | | | |")
            for p in peers_of[n]:
                print(f"| `{n}` | {fmt(rows[n])} | `{p}` | {fmt(rows[p])} | {rows[n] / rows[p]:.2f} |")
        print()


main()
