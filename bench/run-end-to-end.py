#!/usr/bin/env python3
"""End-to-end benchmark of tovalinder-run on generated documents and glTF pairs.

Generates (untimed) the documents and glTF files of the scale table, runs each through this build's runner and,
when given, through an earlier build's runner (the baseline) and the peer script, and prints one
table: every figure beside the baseline's and the goal, best of --repeat runs per figure.

usage: bench/run-end-to-end.py [--build BIN] [--baseline BIN] [--peer SCRIPT [--peer-wide]]
                               [--repeat N] [--quick] [--only TEXT] [--work DIR] [--keep]
  --build BIN      folder holding this build's tovalinder-run and tovalinder-sample
                   (default: build/native/bin of this checkout)
  --baseline BIN   the same folder of an earlier build, run beside it on the same documents
  --peer SCRIPT    the peer scale script, run with `blender -b` on the 100k x 50 case
  --peer-wide      the peer on 25k vertices x 800 morphs as well (once: it takes minutes)
  --only TEXT      only the cases whose name holds TEXT ("glb", "800")
  --repeat N       runs per case and program (default 3); each figure is its best run
  --quick          small sizes, one run each: checks that the benchmark itself works
  --work DIR       where documents and outputs go (default: a temporary folder, removed after)
  --keep           keep the work folder
"""
import argparse
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)

# (key, vertices, morphs, layout, goals): the rows of the scale table. Goals are in seconds and
# gigabytes; None where the table sets none. Layout "glb" is a pair of glTF files (the Source with
# its morphs as targets, the edited copy), the others documents.
FULL_CASES = [
    ("100k x 50 binary", 100000, 50, "binary",
     {"wall": 2.0, "peak": 0.6, "written": 0.35, "read": 0.5, "dialog and transfer": 1.7,
      "write": 1.0}),
    ("1M x 3 binary", 1000000, 3, "binary", {"wall": 3.0}),
    ("1M x 1 readable", 1000000, 1, "readable", {"read + write": 10.0}),
    ("25k x 100 glb", 25000, 100, "glb", {}),
    ("25k x 800 glb", 25000, 800, "glb", {"wall": 4.0, "peak": 1.0}),
    ("100k x 300 glb", 100000, 300, "glb", {"wall": 6.0, "peak": 1.5}),
]
QUICK_CASES = [
    ("10k x 5 binary", 10000, 5, "binary", {}),
    ("20k x 1 readable", 20000, 1, "readable", {}),
    ("5k x 10 glb", 5000, 10, "glb", {}),
    ("5k x 80 glb", 5000, 80, "glb", {}),
]
# Seconds per morph should stay flat as rigs widen: (narrow case, wide case, the largest growth).
PER_MORPH = [("25k x 100 glb", "25k x 800 glb", 1.3), ("5k x 10 glb", "5k x 80 glb", None)]
PEER_CASE = "100k x 50 binary"
PEER_WIDE_CASE = "25k x 800 glb"


def run_timed(command, stdout_path):
    """Runs a command; returns wall seconds and peak resident GB (10^9 bytes) of that child."""
    with open(stdout_path, "wb") as out:
        start = time.perf_counter()
        child = subprocess.Popen(command, stdout=out, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        err = child.stderr.read().decode(errors="replace")
        child.stderr.close()
    if child.returncode != 0:
        sys.exit("failed (%d): %s\n%s" % (child.returncode, " ".join(command), err))
    return wall, usage.ru_maxrss * 1024 / 1e9  # kilobytes of 1024 bytes


# The side file a document names, in the "binary" member at its head.
SIDE_FILE = re.compile(rb'"binary": \{"file": "((?:[^"\\]|\\.)*)"')


def document_files(doc):
    """The document and the side file it names, if any."""
    with open(doc, "rb") as f:
        m = SIDE_FILE.search(f.read(4096))
    files = [doc]
    if m:
        files.append(os.path.join(os.path.dirname(doc), json.loads(b'"' + m.group(1) + b'"')))
    return files


def digest(paths):
    """Of what the written files hold: a glTF file's bytes; a document's values wherever its
    blocks lie (scripts/document-values.py), since builds lay out and name side files
    differently."""
    if paths[0].endswith(".json"):
        values = subprocess.run([sys.executable, os.path.join(REPO, "scripts", "document-values.py"),
                                 paths[0]], capture_output=True, text=True, check=True).stdout
        return values.split()[0]
    h = hashlib.sha256()
    for p in paths:
        with open(p, "rb") as f:
            for block in iter(lambda: f.read(1 << 20), b""):
                h.update(block)
    return h.hexdigest()


def measure(bin_dir, inputs, layout, out_dir, repeat):
    """Best-of-`repeat` figures of one runner on one input (a document, or a pair of glTF files),
    and the digest of what it wrote."""
    os.makedirs(out_dir, exist_ok=True)
    report_path = os.path.join(out_dir, "report.json")
    if layout == "glb":
        out = os.path.join(out_dir, "out.glb")
        command = [os.path.join(bin_dir, "tovalinder-run")] + inputs + [
            "--output", out, "--report", "json", "--no-progress"]
    else:
        out = os.path.join(out_dir, "out.json")
        command = [os.path.join(bin_dir, "tovalinder-run"), inputs[0], "--output", out,
                   "--layout", layout, "--report", "json", "--no-progress"]
    if not supports_progress_flag(bin_dir):
        command.remove("--no-progress")
    best = {}
    report = None
    for _ in range(repeat):
        wall, peak = run_timed(command, report_path)
        with open(report_path) as f:
            report = json.load(f)
        stages = report.get("seconds", {})
        figures = {"wall": wall, "peak": peak}
        figures.update(stages)
        if "read" in stages and "write" in stages:
            figures["read + write"] = stages["read"] + stages["write"]
        for k, v in figures.items():
            best[k] = min(best.get(k, v), v)
    written = document_files(out) if layout != "glb" else [out]
    best["digest"] = digest(written)
    best["written bytes"] = sum(os.path.getsize(p) for p in written)
    best["written"] = best["written bytes"] / 1e9
    for p in written:
        if os.path.exists(p):
            os.remove(p)
    return best, report


_progress_flag = {}


def supports_progress_flag(bin_dir):
    """Earlier builds have no --no-progress; they print no progress either."""
    if bin_dir not in _progress_flag:
        help_text = subprocess.run([os.path.join(bin_dir, "tovalinder-run"), "--help"],
                                   capture_output=True, text=True).stdout
        _progress_flag[bin_dir] = "--no-progress" in help_text
    return _progress_flag[bin_dir]


def per_call_figures(report):
    """Host calls per Destination face per element, in total and for the most called functions."""
    calls = report.get("hostCalls")
    if not calls:
        return None
    faces = report["destination"]["faces"]
    elements = max(1, len(report["elements"]))
    scale = float(faces * elements)
    top = sorted(calls.items(), key=lambda kv: -kv[1])[:6]
    return sum(calls.values()) / scale, [(name, n / scale) for name, n in top]


def run_peer(script, vertices, morphs, repeat):
    """Bind plus evaluation seconds of the peer script, best of `repeat`."""
    # Debian's blender embeds Debian's Python and takes its library folders from the first python3
    # on PATH: a python3 of a version manager ahead of it hides python3-numpy.
    env = dict(os.environ, PATH="/usr/bin:" + os.environ.get("PATH", ""))
    best = None
    for _ in range(repeat):
        result = subprocess.run(["blender", "-b", "--factory-startup", "--python", script, "--",
                                 str(vertices), str(morphs)], capture_output=True, text=True,
                                env=env)
        m = re.search(r"SCALE source=(\d+) destination=(\d+) morphs=(\d+) bound=(\w+) "
                      r"bind_s=([\d.]+) eval_s=([\d.]+)", result.stdout)
        if not m:
            sys.exit("peer script printed no SCALE line:\n" + result.stdout[-2000:] +
                     result.stderr[-2000:])
        figures = {"source": int(m.group(1)), "destination": int(m.group(2)),
                   "morphs": int(m.group(3)), "bound": m.group(4), "bind": float(m.group(5)),
                   "eval": float(m.group(6))}
        figures["bind + eval"] = figures["bind"] + figures["eval"]
        if best is None or figures["bind + eval"] < best["bind + eval"]:
            best = figures
    return best


def memory_rates(bin_dir):
    """This machine's memory copy and fill rates in GB/s, or None without the program."""
    program = os.path.join(bin_dir, "memory_bandwidth")
    if not os.path.exists(program):
        return None
    words = subprocess.run([program], capture_output=True, text=True, check=True).stdout.split()
    return dict(zip(words[0::2], map(float, words[1::2])))


def print_floors(results, rates):
    """What reading and writing would take if the bytes moved at memory speed, once, and what
    getting the run's peak memory fresh from the kernel takes."""
    print()
    print("Memory: copy %.2f GB/s, fill %.2f GB/s, fresh from the kernel %.2f GB/s (best of 5 "
          "passes over 512 MB)." % (rates["copy"], rates["fill"], rates.get("fresh", 0)))
    for case, r in results:
        read_bytes, written = r["input bytes"], r["new"]["written bytes"]
        line = ("%s: input %.0f MB, written %.0f MB; copied once at memory speed: read %.2f s, "
                "write %.2f s" % (case[0], read_bytes / 1e6, written / 1e6,
                                 read_bytes / 1e9 / rates["copy"], written / 1e9 / rates["copy"]))
        if rates.get("fresh"):
            line += "; its peak memory fresh from the kernel: %.2f s" % (
                r["new"]["peak"] / rates["fresh"])
        print(line)


def fmt(value, unit):
    if value is None:
        return "-"
    return ("%.2f GB" if unit == "GB" else "%.2f s") % value


def print_per_morph(results):
    """How seconds per morph grow from a narrow rig to a wide one of the same mesh."""
    by_key = {case[0]: r for case, r in results}
    for narrow, wide, goal in PER_MORPH:
        if narrow not in by_key or wide not in by_key:
            continue
        def growth(which):
            a, b = by_key[narrow][which], by_key[wide][which]
            if not a or not b:
                return None
            return (b["wall"] / by_key[wide]["morphs"]) / (a["wall"] / by_key[narrow]["morphs"])
        now, base = growth("new"), growth("base")
        print("| %s -> %s | seconds per morph grow | %s | %.2fx | | %s | %s |" % (
            narrow, wide, "-" if base is None else "%.2fx" % base, now,
            "-" if goal is None else "<= %.1fx" % goal,
            "-" if goal is None else ("yes" if now <= goal else "no")))


def print_table(results, peer, args):
    rows = [("wall", "end to end", "s"), ("peak", "peak memory", "GB"),
            ("written", "written", "GB"), ("read", "read", "s"),
            ("plug-in start", "plug-in start", "s"),
            ("dialog and transfer", "dialog and transfer", "s"), ("check", "check", "s"),
            ("write", "write", "s"), ("read + write", "read + write", "s")]
    print()
    print("| run | figure | baseline | this build | speed-up | goal | met |")
    print("|---|---|---|---|---|---|---|")
    for case, r in results:
        key, goals = case[0], case[4]
        if peer and key == PEER_CASE:
            goals = dict(goals)
            goals["dialog and transfer"] = min(goals["dialog and transfer"],
                                               peer["bind + eval"] / 2)
        for field, label, unit in rows:
            now = r["new"].get(field)
            if now is None or (field in ("read + write", "written") and field not in goals):
                continue
            base = r["base"].get(field) if r["base"] else None
            speedup = "%.1fx" % (base / now) if base and now and unit == "s" else "-"
            goal = goals.get(field)
            met = "-" if goal is None else ("yes" if now <= goal else "no")
            print("| %s | %s | %s | %s | %s | %s | %s |" % (
                key, label, fmt(base, unit),
                fmt(now, unit), speedup, ("<= " + fmt(goal, unit)) if goal else "-", met))
        if r["base"]:
            same = "yes" if r["base"]["digest"] == r["new"]["digest"] else "NO"
            print("| %s | written files identical to baseline | | %s | | | |" % (key, same))
    print_per_morph(results)
    for p in [peer, peer.get("wide")] if peer else []:
        if p:
            print("| peer: %d -> %d vertices, %d morphs | bind + evaluate every morph (bound: %s) "
                  "| | %s | | | |" % (p["source"], p["destination"], p["morphs"],
                                     p["bound"], fmt(p["bind + eval"], "s")))
    wide = peer.get("wide") if peer else None
    for case, r in results:
        if wide and case[0] == PEER_WIDE_CASE:
            share = r["new"]["wall"] / wide["bind + eval"]
            print("| %s | end to end / peer's bind + evaluation | | %.3f | | <= 0.050 | %s |" % (
                case[0], share, "yes" if share <= 0.05 else "no"))
    for case, r in results:
        calls = per_call_figures(r["report"])
        if calls is None:
            continue
        total, top = calls
        print()
        print("%s: host calls per Destination face per element: %.2f" % (case[0], total))
        for name, n in top:
            print("  %-40s %.3f" % (name, n))


def case_inputs(build, work, vertices, morphs, layout):
    """The case's input files, generated (untimed) by this build's tovalinder-sample when the work
    folder does not hold them yet."""
    sample = os.path.join(build, "tovalinder-sample")
    if layout == "glb":
        inputs = [os.path.join(work, "%d-%d-%s.glb" % (vertices, morphs, side))
                  for side in ("source", "edited")]
        command = [sample, "--vertices", str(vertices), "--morphs", str(morphs)] + inputs
    else:
        inputs = [os.path.join(work, "%d-%d-%s.json" % (vertices, morphs, layout))]
        command = [sample, "--vertices", str(vertices), "--morphs", str(morphs), "--layout",
                   layout, inputs[0]]
    if not all(map(os.path.exists, inputs)):
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    return inputs


def run_case(args, case, work, repeat):
    key, vertices, morphs, layout, _ = case
    inputs = case_inputs(args.build, work, vertices, morphs, layout)
    new, report = measure(args.build, inputs, layout, os.path.join(work, "new"), repeat)
    base = None
    if args.baseline:
        base, _ = measure(args.baseline, inputs, layout, os.path.join(work, "base"), repeat)
    files = inputs if layout == "glb" else document_files(inputs[0])
    return {"new": new, "base": base, "report": report, "morphs": morphs,
            "input bytes": sum(map(os.path.getsize, files))}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.path.join(REPO, "build", "native", "bin"))
    parser.add_argument("--baseline")
    parser.add_argument("--peer")
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--work")
    parser.add_argument("--keep", action="store_true")
    parser.add_argument("--only")
    parser.add_argument("--peer-wide", action="store_true")
    args = parser.parse_args()
    cases = QUICK_CASES if args.quick else FULL_CASES
    repeat = 1 if args.quick else max(1, args.repeat)
    work = args.work or tempfile.mkdtemp(prefix="tovalinder-bench-")
    os.makedirs(work, exist_ok=True)
    results = []
    rates = memory_rates(args.build)
    try:
        for case in cases:
            if args.only and args.only not in case[0]:
                continue
            print("%s: running ..." % case[0], file=sys.stderr)
            results.append((case, run_case(args, case, work, repeat)))
        peer = None
        if args.peer:
            print("peer: running ...", file=sys.stderr)
            vertices, morphs = (10000, 5) if args.quick else (100000, 50)
            peer = run_peer(args.peer, vertices, morphs, repeat)
        if args.peer and args.peer_wide and not args.quick:
            print("peer, 25k x 800: running (minutes) ...", file=sys.stderr)
            peer_wide = run_peer(args.peer, 25000, 800, 1)
            peer = dict(peer, wide=peer_wide)
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    print("Best of %d run(s) per figure; seconds are wall time, stages from the runner's report."
          % repeat)
    print_table(results, peer, args)
    if rates:
        print_floors(results, rates)


if __name__ == "__main__":
    main()
