#!/usr/bin/env python3
"""Prints the benchmark medians of a Google Benchmark JSON file as one table.

Benchmark names read "<side>/<operation>/<size>/<frame kind>", side being vizmar, opencv
or memcpy. Single-threaded rows show CPU time; rows measured on all cores show wall-clock
time. The ratio is OpenCV's median over ours: above 1, ours is faster.
"""
import json
import sys

TO_MICROSECONDS = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}

# (operation, frame kind, least ratio) for each target beyond every peer's 1.0; None means every kind.
TARGETS = [
    ("chain", "camera", 4.0),
    ("chain", "random", 3.0),
]
# (operation, most microseconds) for targets on our own time.
TIME_TARGETS = [
    ("hsv_table", 10000.0),
]


def medians(path):
    with open(path) as f:
        report = json.load(f)
    times = {}
    for bench in report["benchmarks"]:
        # Repeated runs report their median after the single runs; a single run stands alone.
        if bench.get("run_type") == "aggregate" and bench.get("aggregate_name") != "median":
            continue
        name = bench["run_name"]
        wall = name.endswith("/real_time")
        parts = name.removesuffix("/real_time").split("/")
        if len(parts) != 4:
            continue
        side, operation, size, kind = parts
        time = bench["real_time" if wall else "cpu_time"] * TO_MICROSECONDS[bench["time_unit"]]
        times[(side, operation, size, kind)] = (time, wall)
    return report["context"], times


def cell(time):
    if time is None:
        return "-"
    return f"{time / 1000:.2f} ms" if time >= 10000 else f"{time:.1f} us"


def main():
    context, times = medians(sys.argv[1])
    rows = []
    for (side, operation, size, kind), (ours, wall) in times.items():
        if side != "vizmar":
            continue
        peer = times.get(("opencv", operation, size, kind), (None, wall))[0]
        floor = times.get(("memcpy", "frame", size, kind), (None, False))[0]
        ratio = peer / ours if peer else None
        rows.append((operation, size, kind, ours, peer, ratio, floor, wall))

    load = " ".join(f"{x:.2f}" for x in context.get("load_avg", []))
    print(f"Medians of {context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz, load average {load}")
    print("CPU time on one thread; rows marked * are wall-clock time on all cores. Ratio = OpenCV / ours.")
    header = ("operation", "size", "frame", "ours", "OpenCV", "ratio", "memcpy floor")
    lines = [header] + [
        (op + ("*" if wall else ""), size, kind, cell(ours), cell(peer), f"{ratio:.2f}" if ratio else "-", cell(floor))
        for op, size, kind, ours, peer, ratio, floor, wall in rows
    ]
    widths = [max(len(line[i]) for line in lines) for i in range(len(header))]
    for index, line in enumerate(lines):
        print("  ".join(text.ljust(width) if i < 3 else text.rjust(width) for i, (text, width) in enumerate(zip(line, widths))))
        if index == 0:
            print("  ".join("-" * width for width in widths))

    print("\nTargets:")
    peered = [r for r in rows if r[5] is not None]
    for operation in sorted({r[0] for r in peered}):
        print_ratio_target(peered, operation, None, 1.0)
    for operation, kind, least in TARGETS:
        print_ratio_target(peered, operation, kind, least)
    for operation, most in TIME_TARGETS:
        checked = [r for r in rows if r[0] == operation]
        if checked:
            slowest = max(checked, key=lambda r: r[3])
            verdict = "met" if slowest[3] <= most else "MISSED"
            print(f"  {operation} <= {cell(most)}: {verdict}, {cell(slowest[3])}")


def print_ratio_target(rows, operation, kind, least):
    checked = [r for r in rows if r[0] == operation and (kind is None or r[2] == kind)]
    if not checked:
        return
    worst = min(checked, key=lambda r: r[5])
    verdict = "met" if worst[5] >= least else "MISSED"
    print(f"  {operation} ({kind or 'all frames'}) ratio >= {least:g}: {verdict}, lowest {worst[5]:.2f} at {worst[1]} {worst[2]}")

if __name__ == "__main__":
    main()
