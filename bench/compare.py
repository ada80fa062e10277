#!/usr/bin/env python3
"""Frames per second before and after: the renderer benchmarks of two builds.

    bench/compare.py BASELINE_BUILD [--build BUILD] [--rounds N] [--min-time S]
                     [--filter TEXT]

Runs bench_condemo_render and bench_gldemo_effects of a baseline build (for
example /work/baseline/build/release) and of this one (build/release), moment
by moment and build after build, alternating which goes first, so that both
see the same machine load; takes the median of the rounds and prints, per
moment, the frames per second with 1 and 2 threads and the speed-up of each
build, and the ratio of the 2-thread figures. The load average is printed
before and after: take figures when it is low. The gldemo benchmarks run with
OMP_WAIT_POLICY=passive, as the demo does.

Both benchmark layouts are read: one benchmark per moment and thread count
("moment/threads:2", counter fps) and one per moment timing both thread
counts (counters fps_1thread and fps_2threads).
"""
import argparse
import json
import os
import re
import statistics
import subprocess
import sys

PROGRAMS = ["bench_condemo_render", "bench_gldemo_effects"]


def moment_of(name):
    """The moment a benchmark name stands for, without thread count and timer."""
    name = re.sub(r"/real_time$", "", name)
    return re.sub(r"/threads:\d+$", "", name)


def run(build, program, moment, min_time):
    """fps with 1 and 2 threads of one moment, as {1: fps, 2: fps}."""
    path = os.path.join(build, "bench", program)
    # (re.escape would escape "-" too, which the benchmarks' regex rejects.)
    pattern = "^" + re.sub(r"([.^$*+?()\[\]{}|\\])", r"\\\1", moment) + r"(/threads:[12])?/real_time$"
    env = dict(os.environ, OMP_WAIT_POLICY="passive")
    output = subprocess.run(
        [path, "--benchmark_filter=" + pattern, "--benchmark_format=json",
         "--benchmark_min_time=%g" % min_time],
        cwd=os.path.join(build, "run", "bin"), env=env, check=True,
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
    fps = {}
    for bench in json.loads(output)["benchmarks"]:
        threads = re.search(r"/threads:(\d+)", bench["name"])
        if threads:
            fps[int(threads.group(1))] = bench["fps"]
        elif "fps_1thread" in bench:
            fps[1], fps[2] = bench["fps_1thread"], bench["fps_2threads"]
    return fps


def moments(build, program):
    output = subprocess.run([os.path.join(build, "bench", program), "--benchmark_list_tests"],
                            check=True, stdout=subprocess.PIPE, text=True).stdout
    names = []
    for line in output.split():
        moment = moment_of(line)
        if moment not in names:
            names.append(moment)
    return names


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("baseline")
    parser.add_argument("--build", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                                                        "build", "release"))
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--min-time", type=float, default=0.5)
    parser.add_argument("--filter", default="")
    args = parser.parse_args()
    builds = [os.path.abspath(args.baseline), os.path.abspath(args.build)]

    print("load average before: %s" % load())
    header = "%-40s %8s %8s %5s   %8s %8s %5s   %6s" % ("moment", "1 thread", "2 thr.", "x", "1 thread",
                                                       "2 thr.", "x", "2 thr.")
    for program in PROGRAMS:
        before = set(moments(builds[0], program))
        names = [m for m in moments(builds[1], program) if m in before and args.filter in m]
        print("\n%s (frames per second; before | after | after / before)" % program)
        print(header)
        for name in names:
            samples = [{1: [], 2: []}, {1: [], 2: []}]
            for round_ in range(args.rounds):
                order = [0, 1] if round_ % 2 == 0 else [1, 0]
                for which in order:
                    fps = run(builds[which], program, name, args.min_time)
                    for threads in (1, 2):
                        samples[which][threads].append(fps[threads])
            median = [{t: statistics.median(s[t]) for t in (1, 2)} for s in samples]
            before, after = median
            print("%-40s %8.1f %8.1f %5.2f   %8.1f %8.1f %5.2f   %6.2f" % (
                name, before[1], before[2], before[2] / before[1], after[1], after[2], after[2] / after[1],
                after[2] / before[2]))
            sys.stdout.flush()
    print("\nload average after: %s" % load())


if __name__ == "__main__":
    main()
