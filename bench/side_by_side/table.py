"""Medians of the side-by-side results, with ratios to CuteCom, tio and the bare reader,
the context switches per paced line and the system calls per traced line."""
import statistics
import sys

rows = {}
details = {}
for line in open(sys.argv[1]):
    f = line.split()
    if f and f[0] == "#" and len(f) >= 3:
        details.setdefault((f[1], f[2], f[3].rstrip(":")), []).append(" ".join(f[4:]) if len(f) > 4 else "")
        continue
    if len(f) != 14:
        continue
    rows.setdefault((f[0], f[1]), []).append(f)


def med(label, mode, i):
    r = rows.get((label, mode))
    return statistics.median(float(x[i]) for x in r) if r else None


def cell(v, fmt):
    return "" if v is None or v < 0 else fmt % v


def ratio(a, b):
    return "" if a is None or b is None or b <= 0 else "%.2f" % (a / b)


labels = ["waga5000", "waga300", "before5000", "before300", "cutecom", "tio", "picocom", "bare",
          "floor", "floorbefore", "wagadb5000"]
cutecom = med("cutecom", "paced", 4)
tio = med("tio", "paced", 4)
print("| program | paced CPU s/100k | ×CuteCom | ×tio | switches/line (vol+nonvol) | calls/line"
      " | latency median µs | p99 µs | burst lines/s | ×tio | peak KiB | checks | load |")
print("|" + "---|" * 13)
for l in labels:
    if not any((l, m) in rows for m in ("paced", "burst", "traced")):
        continue
    cpu = med(l, "paced", 4)
    vol, nonvol = med(l, "paced", 11), med(l, "paced", 12)
    switches = "" if vol is None else "%.2f (%.2f+%.2f)" % (vol + nonvol, vol, nonvol)
    every = [x for m in ("paced", "burst", "traced") for x in rows.get((l, m), [])]
    checks = sorted({x[9] for x in every})
    loads = [float(x[10]) for x in every]
    peak = max(float(x[8]) for x in every)
    print("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %.0f | %s | %.1f–%.1f |" % (
        l, cell(cpu, "%.2f"), ratio(cpu, cutecom), ratio(cpu, tio), switches,
        cell(med(l, "traced", 13), "%.1f"), cell(med(l, "paced", 5), "%.0f"),
        cell(med(l, "paced", 6), "%.0f"), cell(med(l, "burst", 7), "%.0f"),
        ratio(med(l, "burst", 7), med("tio", "burst", 7)), peak, ",".join(checks),
        min(loads), max(loads)))

print("\nPer thread, switches per paced line (voluntary+nonvoluntary), last run:")
for l in labels:
    if (l, "paced", "threads") in details:
        print("  %-11s %s" % (l, details[(l, "paced", "threads")][-1]))
print("\nSystem calls per traced line (strace -c attached after start-up):")
for l in labels:
    if (l, "traced", "calls") in details:
        print("  %-11s %s" % (l, details[(l, "traced", "calls")][-1]))
print("\nruns per cell: %d; raw results: %s" % (
    max(len(v) for v in rows.values()), sys.argv[1]))
