"""Prints benchmark rows (figure, goal, measured, baseline; tab-separated) as a Markdown table."""
import platform
import sys
import time

rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1], encoding="utf-8") if line.strip()]
header = ["figure", "goal", "measured", "baseline (ratio)"]
widths = [max(len(r[i]) for r in rows + [header]) for i in range(4)]
print(f"Measured {time.strftime('%Y-%m-%d')} on {platform.node()} ({platform.machine()}, Wine)\n")
for r in [header, ["-" * w for w in widths]] + rows:
    print("| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |")
