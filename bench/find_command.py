#!/usr/bin/env python3
"""Whole-command timing of `tarvelin find` (process start to exit, JSON written) on the large
document, against `unzip -p FILE 'word/*.xml' | grep -o -i -F WORD | wc -l` in the same run, and
the command's peak memory; what location and context add to the rows (JSON against the plain
table, CPU time); then the peak memory of searches with tens and hundreds of thousands of hits
(every row printed) against the same documents searched for a word that is not there; last the
corpus searched on one and on two threads, in pairs, and the cost of each further file.
Usage: bench/find_command.py BUILD_DIR [RUNS]"""
import os, statistics, subprocess, sys, tempfile, time

build = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
tarvelin = os.path.join(build, "host", "tarvelin")
maker = os.path.join(build, "bench", "make_large_document")
work = tempfile.mkdtemp(prefix="tarvelin-find-bench-")
sparse, dense = os.path.join(work, "sparse.docx"), os.path.join(work, "dense.docx")
subprocess.run([maker, sparse, "8"], check=True, stdout=subprocess.DEVNULL)
subprocess.run([maker, dense, "2"], check=True, stdout=subprocess.DEVNULL)
env = dict(os.environ)
for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
    env.pop(name, None)


def timed(argv, shell=False):
    """Wall seconds, peak RSS (KiB) and CPU seconds (user + system) of one run; output discarded."""
    start = time.perf_counter()
    p = subprocess.Popen(argv, shell=shell, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(p.pid, 0)
    return time.perf_counter() - start, usage.ru_maxrss, usage.ru_utime + usage.ru_stime


def median_of(argv, shell=False):
    samples = [timed(argv, shell) for _ in range(runs)]
    return statistics.median(s[0] for s in samples), max(s[1] for s in samples)


def cpu_of(argv):
    """Median and fastest CPU seconds: on a shared machine they vary less than the wall clock."""
    samples = [timed(argv)[2] for _ in range(runs)]
    return statistics.median(samples), min(samples)


def floor(path, word):
    return median_of(f"unzip -p {path} 'word/*.xml' | grep -o -i -F {word} | wc -l", shell=True)[0]


rows = []
for label, path in (("sparse", sparse), ("dense", dense)):
    command, rss = median_of([tarvelin, "find", "--text", "目印", "--json", path])
    rows.append((label, command, floor(path, "目印"), rss))
for label, command, raw, rss in rows:
    print(f"{label:6}  tarvelin find {command*1000:7.1f} ms   unzip|grep {raw*1000:7.1f} ms   "
          f"ratio {command/raw:4.2f}   peak {rss/1024:6.1f} MiB")
print(f"dense/sparse (4x the hits): {rows[1][1]/rows[0][1]:.2f}x the time")

# Location and context: every JSON row has both; the table has neither.
hits = subprocess.run([tarvelin, "find", "--text", "目印", "-c", dense], env=env, capture_output=True).stdout.decode().strip()
table = cpu_of([tarvelin, "find", "--text", "目印", dense])
located = cpu_of([tarvelin, "find", "--text", "目印", "--location", dense])
json = cpu_of([tarvelin, "find", "--text", "目印", "--json", dense])
print(f"dense   {hits} hits, CPU median (fastest): table {table[0]*1000:.1f} ({table[1]*1000:.1f}) ms   "
      f"--location {located[0]*1000:.1f} ({located[1]*1000:.1f}) ms   --json {json[0]*1000:.1f} ({json[1]*1000:.1f}) ms   "
      f"json/table {json[0]/table[0]:.3f} ({json[1]/table[1]:.3f})")

# Rows are printed as they are found: the peak must not grow with the number of hits.
comments = os.path.join(work, "comments.docx")
subprocess.run([maker, comments, "0", "10"], check=True, stdout=subprocess.DEVNULL)
for label, path, word in (("the", sparse, "the"), ("comments", comments, "comment")):
    hits = subprocess.run([tarvelin, "find", "--text", word, path], env=env, capture_output=True).stdout.count(b"\n") - 1
    none_rss = timed([tarvelin, "find", "--text", "見当たらない", path])[1]
    hits_rss = timed([tarvelin, "find", "--text", word, path])[1]
    print(f"{label:8}  {hits:7d} hits: peak {hits_rss/1024:6.1f} MiB   no hit: peak {none_rss/1024:6.1f} MiB")

# Many documents: searched on one and on two threads, the same output, and the cost per file. The
# two are run in turn, pair by pair, each pair shown with the load average beside it: on a shared
# machine one pair alone says little.
corpus = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared", "corpus")
documents = sorted(os.path.join(d, f) for d, _, names in os.walk(corpus) for f in names if f.endswith(".docx"))
if documents:
    def corpus_run(jobs):
        return timed([tarvelin, "find", "--text", "the", "-c", "-j", jobs, *documents])

    pairs = []
    for _ in range(runs):
        load = os.getloadavg()[0]
        one, two = corpus_run("1"), corpus_run("2")
        pairs.append((one, two))
        print(f"corpus  load {load:5.2f}   -j 1 {one[0]*1000:6.1f} ms (CPU {one[2]*1000:6.1f})   "
              f"-j 2 {two[0]*1000:6.1f} ms (CPU {two[2]*1000:6.1f})   ratio {two[0]/one[0]:4.2f}")
    serial = statistics.median(p[0][0] for p in pairs)
    parallel = statistics.median(p[1][0] for p in pairs)
    start, _ = median_of([tarvelin, "find", "--text", "the", "-c", documents[0]])
    serial_cpu = statistics.median(p[0][2] for p in pairs)
    start_cpu = cpu_of([tarvelin, "find", "--text", "the", "-c", documents[0]])[0]
    same = all(subprocess.run([tarvelin, "find", "--text", "the", "--json", "-j", j, *documents], env=env,
                              capture_output=True).stdout == subprocess.run(
        [tarvelin, "find", "--text", "the", "--json", "-j", "1", *documents], env=env, capture_output=True).stdout
               for j in ("2",))
    print(f"corpus  {len(documents)} documents, medians: -j 1 {serial*1000:7.1f} ms   -j 2 {parallel*1000:7.1f} ms   "
          f"ratio {parallel/serial:4.2f} (of pairs: median {statistics.median(p[1][0]/p[0][0] for p in pairs):4.2f})   "
          f"per file {(serial-start)/(len(documents)-1)*1000:4.2f} ms "
          f"(CPU {(serial_cpu-start_cpu)/(len(documents)-1)*1000:4.2f} ms)   "
          f"output {'identical' if same else 'DIFFERENT'}")
