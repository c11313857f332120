#!/usr/bin/env python3
"""Whole-command timings of `tarvelin find` on documents whose main part holds one w:t of N MiB of
plain letters (and one attribute value of N MiB), to show that the cost grows linearly with N.
Usage: bench/long_text.py BUILD_DIR [MIB...]   (default 15 30 60 120)"""
import os, statistics, subprocess, sys, tempfile, time, zipfile

build = sys.argv[1]
sizes = [int(a) for a in sys.argv[2:]] or [15, 30, 60, 120]
tarvelin = os.path.join(build, "host", "tarvelin")
work = tempfile.mkdtemp(prefix="tarvelin-long-text-")
env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
RELS = ('<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
        'relationships/officeDocument" Target="word/document.xml"/></Relationships>')


def document(path, head, mib, tail):
    """Writes the package with head, mib MiB of letters, then tail as its main part, a piece at a
    time: this process stays small, and the peak memory the children inherit from it with it."""
    piece = ("abcdefghijklmnopqrstuvwxyz" * 40330)[: 1 << 20]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
        z.writestr("_rels/.rels", RELS)
        with z.open("word/document.xml", "w", force_zip64=True) as part:
            part.write(f"<w:document {W}><w:body>{head}".encode())
            for _ in range(mib):
                part.write(piece.encode())
            part.write(f"{tail}</w:body></w:document>".encode())


def timed(path):
    start = time.perf_counter()
    p = subprocess.Popen([tarvelin, "find", "--text", "zzz", path], env=env,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(p.pid, 0)
    return time.perf_counter() - start, usage.ru_maxrss


for kind, head, tail in (("w:t", "<w:p><w:r><w:t>", "</w:t></w:r></w:p>"),
                         ("attribute", '<w:p w:rsidR="', '"><w:r><w:t>x</w:t></w:r></w:p>')):
    base = None
    for mib in sizes:
        path = os.path.join(work, f"{kind.replace(':', '')}-{mib}.docx")
        document(path, head, mib, tail)
        samples = [timed(path) for _ in range(3)]
        seconds = statistics.median(s[0] for s in samples)
        rss = max(s[1] for s in samples) / 1024
        base = base or seconds / mib
        print(f"{kind:9} {mib:4} MiB  {seconds:6.2f} s  ({seconds / mib * 1000:5.1f} ms/MiB, "
              f"{seconds / mib / base:4.2f}x the first)  peak {rss:7.1f} MiB", flush=True)
        os.remove(path)
