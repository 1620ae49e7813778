#!/usr/bin/env python3
"""End-to-end benchmark of tovalinder-run on generated documents.

Generates (untimed) the documents of the scale table, runs each through this build's runner and,
when given, through an earlier build's runner (the baseline) and the peer script, and prints one
table: every figure beside the baseline's and the goal, best of --repeat runs per figure.

usage: bench/run-end-to-end.py [--build BIN] [--baseline BIN] [--peer SCRIPT] [--repeat N]
                               [--quick] [--work DIR] [--keep]
  --build BIN      folder holding this build's tovalinder-run and tovalinder-sample
                   (default: build/native/bin of this checkout)
  --baseline BIN   the same folder of an earlier build, run beside it on the same documents
  --peer SCRIPT    the peer scale script, run with `blender -b` on the 100k x 50 case
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
# gigabytes; None where the table sets none.
FULL_CASES = [
    ("100k x 50 binary", 100000, 50, "binary",
     {"wall": 4.0, "peak": 1.5, "read": 0.5, "dialog and transfer": 1.7, "write": 1.0}),
    ("1M x 3 binary", 1000000, 3, "binary", {"wall": 3.0}),
    ("1M x 1 readable", 1000000, 1, "readable", {"read + write": 10.0}),
]
QUICK_CASES = [
    ("10k x 5 binary", 10000, 5, "binary", {}),
    ("20k x 1 readable", 20000, 1, "readable", {}),
]
PEER_CASE = "100k x 50 binary"


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
    """Of the document and its side file; the side file's name is left out, since builds name it
    differently (NAME.bin, or after the document and its content)."""
    h = hashlib.sha256()
    for i, p in enumerate(paths):
        with open(p, "rb") as f:
            first = True
            for block in iter(lambda: f.read(1 << 20), b""):
                if i == 0 and first:
                    block = SIDE_FILE.sub(b'"binary": {"file": ""', block, count=1)
                first = False
                h.update(block)
    return h.hexdigest()


def measure(bin_dir, doc, layout, out_dir, repeat):
    """Best-of-`repeat` figures of one runner on one document, and the digest of what it wrote."""
    os.makedirs(out_dir, exist_ok=True)
    out = os.path.join(out_dir, "out.json")
    report_path = os.path.join(out_dir, "report.json")
    command = [os.path.join(bin_dir, "tovalinder-run"), doc, "--output", out, "--layout", layout,
               "--report", "json", "--no-progress"]
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
    written = document_files(out)
    best["digest"] = digest(written)
    best["written bytes"] = sum(os.path.getsize(p) for p in written)
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


def print_table(results, peer, args):
    rows = [("wall", "end to end", "s"), ("peak", "peak memory", "GB"), ("read", "read", "s"),
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
            if now is None or (field == "read + write" and "read + write" not in goals):
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
    if peer:
        print("| peer: %d -> %d vertices, %d morphs | bind + evaluate every morph (bound: %s) "
              "| | %s | | | |" % (peer["source"], peer["destination"], peer["morphs"],
                                 peer["bound"], fmt(peer["bind + eval"], "s")))
    for case, r in results:
        calls = per_call_figures(r["report"])
        if calls is None:
            continue
        total, top = calls
        print()
        print("%s: host calls per Destination face per element: %.2f" % (case[0], total))
        for name, n in top:
            print("  %-40s %.3f" % (name, n))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.path.join(REPO, "build", "native", "bin"))
    parser.add_argument("--baseline")
    parser.add_argument("--peer")
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--work")
    parser.add_argument("--keep", action="store_true")
    args = parser.parse_args()
    cases = QUICK_CASES if args.quick else FULL_CASES
    repeat = 1 if args.quick else max(1, args.repeat)
    work = args.work or tempfile.mkdtemp(prefix="tovalinder-bench-")
    os.makedirs(work, exist_ok=True)
    results = []
    rates = memory_rates(args.build)
    try:
        for case in cases:
            key, vertices, morphs, layout, _ = case
            doc = os.path.join(work, "%d-%d-%s.json" % (vertices, morphs, layout))
            if not os.path.exists(doc):
                subprocess.run([os.path.join(args.build, "tovalinder-sample"), "--vertices",
                                str(vertices), "--morphs", str(morphs), "--layout", layout, doc],
                               check=True, stdout=subprocess.DEVNULL)
            print("%s: running ..." % key, file=sys.stderr)
            new, report = measure(args.build, doc, layout, os.path.join(work, "new"), repeat)
            base = None
            if args.baseline:
                base, _ = measure(args.baseline, doc, layout, os.path.join(work, "base"), repeat)
            results.append((case, {"new": new, "base": base, "report": report,
                                   "input bytes": sum(map(os.path.getsize, document_files(doc)))}))
        peer = None
        if args.peer:
            print("peer: running ...", file=sys.stderr)
            vertices, morphs = (10000, 5) if args.quick else (100000, 50)
            peer = run_peer(args.peer, vertices, morphs, repeat)
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
