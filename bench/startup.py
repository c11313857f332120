#!/usr/bin/env python3
"""Start to exit of the commands without a window on the small sample: the median and the fastest
of many runs, wall and CPU time, beside starting a process that does nothing (/bin/true).
Usage: bench/startup.py BUILD_DIR [RUNS]"""
import os, statistics, subprocess, sys, time

build = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 50
tarvelin = os.path.join(build, "host", "tarvelin")
sample = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "samples", "sample.docx")
env = dict(os.environ)
for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
    env.pop(name, None)


def timed(argv):
    """Wall and CPU (user + system) seconds of one run; output discarded."""
    start = time.perf_counter()
    p = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(p.pid, 0)
    if os.waitstatus_to_exitcode(status) not in (0, 1):
        sys.exit(f"{' '.join(argv)} failed")
    return time.perf_counter() - start, usage.ru_utime + usage.ru_stime


for label, argv in (("find", [tarvelin, "find", "--text", "資料", sample]),
                    ("find --json", [tarvelin, "find", "--text", "資料", "--json", sample]),
                    ("replace --dry-run", [tarvelin, "replace", "--text", "資料", "--replace-with", "史料", "--dry-run", sample]),
                    ("/bin/true", ["/bin/true"])):
    timed(argv)  # the files in the page cache
    samples = [timed(argv) for _ in range(runs)]
    wall, cpu = [s[0] * 1000 for s in samples], [s[1] * 1000 for s in samples]
    print(f"{label:18} wall median {statistics.median(wall):6.1f} ms  fastest {min(wall):6.1f} ms   "
          f"cpu median {statistics.median(cpu):6.1f} ms  fastest {min(cpu):6.1f} ms")
