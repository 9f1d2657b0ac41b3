"""The tables of bench/startup_steps.sh, from the callgrind dumps and probe logs it leaves in a folder."""
import glob
import os
import re
import statistics
import sys

STEPS = ["before main", "application object", "font database", "windows made", "store steps",
         "show and layout", "first paint", "end"]


def steps(prefix):
    """Instructions per step: each dump holds the cost since the one before it, and its trigger
    says which step begins next."""
    dumps = sorted(glob.glob(prefix + ".*"), key=lambda f: int(f.rsplit(".", 1)[1]))
    dumps = [f for f in dumps if re.fullmatch(r"\d+", f.rsplit(".", 1)[1])] + [prefix]
    cost = dict.fromkeys(STEPS, 0)
    step, resume = "before main", None
    for dump in dumps:
        trigger, total = "", 0
        with open(dump, errors="replace") as f:
            for line in f:
                if line.startswith("desc: Trigger:"):
                    trigger = line
                elif line.startswith("summary:"):
                    total = int(line.split()[1])
                    break
        cost[step] += total
        if "--dump-before=main" in trigger:
            step = "application object"
        elif "QMainWindow::QMainWindow" in trigger and step == "application object":
            step = "windows made"
        elif "--dump-before=FcInit" in trigger:
            resume, step = step, "font database"
        elif "--dump-after=QFontconfigDatabase::populateFontDatabase" in trigger:
            step = resume
        elif "--dump-before" in trigger and ("FormShow" in trigger or "readPoems" in trigger):
            resume, step = step, "store steps"
        elif step == "store steps" and ("--dump-after=TForm1::FormShow" in trigger or "setFrameStyle" in trigger):
            # The floor's readPoems is left for its next call, QFrame::setFrameStyle.
            step = resume
        elif "createTLSysExtra" in trigger and step == "windows made":
            step = "show and layout"
        elif "paintAndFlush" in trigger and step == "show and layout":
            step = "first paint"
        elif "aboutToQuit" in trigger:
            step = "end"
    return cost


def usage(prefix):
    """Median of each probe reading over the runs: {point: (minflt, majflt, maxrss, user, sys)}."""
    points = {}
    for log in glob.glob(prefix + ".usage.*"):
        for line in open(log):
            parts = line.strip().split("|")
            if parts[0] == "usage":
                points.setdefault(parts[1], []).append([int(x) for x in parts[2:]])
    return {p: [statistics.median(col) for col in zip(*rows)] for p, rows in points.items()}


def faults(prefix):
    counts = {}
    for out in glob.glob(prefix + ".perf.*"):
        for line in open(out):
            parts = line.strip().split(",")
            if len(parts) > 2 and parts[0].isdigit():
                counts.setdefault(parts[2], []).append(int(parts[0]))
    return {k: statistics.median(v) for k, v in counts.items()}


def main():
    folder, runs = sys.argv[1], sys.argv[2]
    floor, prog = steps(os.path.join(folder, "floor.cg")), steps(os.path.join(folder, "tornevi.cg"))
    print("| Step | floor Ir | Tornevi Ir | difference |")
    print("|---|---:|---:|---:|")
    for s in STEPS:
        print(f"| {s} | {floor[s]:,} | {prog[s]:,} | {prog[s] - floor[s]:+,} |")
    tf, tp = sum(floor.values()), sum(prog.values())
    both = ["application object", "font database", "windows made"]
    bf, bp = sum(floor[s] for s in both), sum(prog[s] for s in both)
    print(f"| application, fonts and windows | {bf:,} | {bp:,} | {bp - bf:+,} |")
    print(f"| whole run | {tf:,} | {tp:,} | {tp - tf:+,} ({tp / tf:.3f}) |")
    print()
    uf, up = usage(os.path.join(folder, "floor")), usage(os.path.join(folder, "tornevi"))
    print(f"getrusage at the probe's points (median of {runs} runs): minor faults, peak RSS KiB, user+sys ms")
    print()
    print("| Point | floor faults | Tornevi faults | floor RSS | Tornevi RSS | floor CPU | Tornevi CPU |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    for p in ["plugin", "show", "paint", "end"]:
        if p in uf and p in up:
            f, t = uf[p], up[p]
            print(f"| {p} | {f[0]:.0f} | {t[0]:.0f} | {f[2]:.0f} | {t[2]:.0f} | {(f[3] + f[4]) / 1000:.1f} | {(t[3] + t[4]) / 1000:.1f} |")
    pf, pp = faults(os.path.join(folder, "floor")), faults(os.path.join(folder, "tornevi"))
    if pf and pp:
        print()
        print(f"perf stat, whole run (median of {runs} runs): "
              + ", ".join(f"{k} floor {pf[k]:.0f} Tornevi {pp[k]:.0f}" for k in sorted(pf) if k in pp))


main()
