"""Medians of the side-by-side results, with ratios to tio and the bare reader."""
import statistics
import sys

rows = {}
for line in open(sys.argv[1]):
    f = line.split()
    if len(f) != 11:
        continue
    label, mode = f[0], f[1]
    rows.setdefault((label, mode), []).append(f)


def med(label, mode, i):
    r = rows.get((label, mode))
    return statistics.median(float(x[i]) for x in r) if r else None


def cell(v, fmt):
    return "" if v is None or v < 0 else fmt % v


def ratio(a, b):
    return "" if a is None or b is None or b <= 0 else "%.2f" % (a / b)


labels = ["waga5000", "waga300", "before5000", "before300", "tio", "picocom", "bare", "floor"]
print("| program | paced CPU s/100k | ×tio | ×bare | latency median µs | p99 µs | p99 ×bare"
      " | burst lines/s | ×tio | burst CPU s/100k | peak KiB | checks | load |")
print("|" + "---|" * 13)
for l in labels:
    if (l, "paced") not in rows and (l, "burst") not in rows:
        continue
    cpu = med(l, "paced", 4)
    p99 = med(l, "paced", 6)
    rate = med(l, "burst", 7)
    checks = sorted({x[9] for m in ("paced", "burst") for x in rows.get((l, m), [])})
    loads = [float(x[10]) for m in ("paced", "burst") for x in rows.get((l, m), [])]
    peak = max([float(x[8]) for m in ("paced", "burst") for x in rows.get((l, m), [])])
    print("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (
        l, cell(cpu, "%.2f"), ratio(cpu, med("tio", "paced", 4)), ratio(cpu, med("bare", "paced", 4)),
        cell(med(l, "paced", 5), "%.0f"), cell(p99, "%.0f"), ratio(p99, med("bare", "paced", 6)),
        cell(rate, "%.0f"), ratio(rate, med("tio", "burst", 7)), cell(med(l, "burst", 4), "%.2f"),
        "%.0f" % peak, ",".join(checks), "%.1f–%.1f" % (min(loads), max(loads))))
print("\nruns per cell: %d; raw results: %s" % (
    max(len(v) for v in rows.values()), sys.argv[1]))
