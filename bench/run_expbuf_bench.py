#!/usr/bin/env python3
"""Measures the export road (read the goods file, walk every row, write the
result) at 100k, 200k and 400k goods, each size in its own process so that
its peak memory is its own, and checks that it stays linear: 400k goods may
take at most 4.4 times as long as 100k.

    bench/run_expbuf_bench.py <build dir with TARVISCO_BENCH=ON> [repetitions]

Every run is one export in a fresh process, as the host runs it (repeated
rounds in one process would leave the smaller sizes' memory warm in the C
library's heap and flatter them). Times are the best of the runs (CPU time,
which the other programs of a shared machine disturb least, and wall time);
memory is the peak resident set of the process (getrusage through
/usr/bin/time)."""
import json
import os
import subprocess
import sys
import tempfile

SIZES = [100000, 200000, 400000]
LIMIT = 4.4


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build-bench"
    reps = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    bench = os.path.join(build, "bench", "expbuf_bench")
    gen = os.path.join(build, "bench", "gen_goods")
    workdir = os.path.join(tempfile.gettempdir(), "tarvisco_bench")
    os.makedirs(workdir, exist_ok=True)
    rows = []
    for n in SIZES:
        path = os.path.join(workdir, "kasa_%d.exp" % n)
        subprocess.run([gen, path, str(n)], check=True, stdout=subprocess.DEVNULL)
        cpu, real, rss = [], [], []
        for _ in range(reps):
            out = subprocess.run(
                ["/usr/bin/time", "-f", "maxrss_kb=%M", bench,
                 "--benchmark_filter=BM_ReadWalkWriteOnce/%d/" % n,
                 "--benchmark_format=json"],
                check=True, capture_output=True, text=True)
            run = json.loads(out.stdout)["benchmarks"][0]
            cpu.append(run["cpu_time"] / 1000.0)  # ms -> s
            real.append(run["real_time"] / 1000.0)
            rss.append(int(out.stderr.strip().splitlines()[-1].split("=")[1]) / 1024.0)
        cpu, real, rss = min(cpu), min(real), max(rss)
        rows.append((n, cpu, real, rss, os.path.getsize(path) / 1e6))

    print("%8s %9s %9s %13s %13s %10s %14s" % ("goods", "cpu s", "wall s", "cpu s/100k",
                                             "wall s/100k", "peak MB", "peak MB/100k"))
    for n, cpu, real, rss, size in rows:
        k = n / 100000.0
        print("%8d %9.3f %9.3f %13.3f %13.3f %10.1f %14.1f" % (n, cpu, real, cpu / k, real / k,
                                                               rss, rss / k))
    ratio_cpu = rows[-1][1] / rows[0][1]
    ratio_wall = rows[-1][2] / rows[0][2]
    print("400k/100k: cpu %.2fx, wall %.2fx (limit %.1fx); file %.1f MB per 100k goods"
          % (ratio_cpu, ratio_wall, LIMIT, rows[0][4]))
    return 0 if ratio_cpu <= LIMIT else 1


if __name__ == "__main__":
    sys.exit(main())
