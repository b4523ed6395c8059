#!/usr/bin/env python3
"""Creates the folders the benchmark times, from the Linux side (far faster than under Wine).

  make_folders.py scan DIR COUNT             COUNT files, about 10% junk, 60% MP3, 30% other
  make_folders.py user DIR COUNT [JUNK%]     COUNT files named as in a music collection,
                                             10% junk (or JUNK%), the rest half MP3, half other
  make_folders.py remove PREFIX COUNT RUNS   PREFIX1..PREFIXruns, each with COUNT junk files
"""
import os
import sys


def make_files(folder, names):
    os.makedirs(folder, exist_ok=True)
    for name in names:
        with open(os.path.join(folder, name), "wb") as f:
            f.write(b"x")


def scan_names(count):
    for i in range(count):
        kind = i % 10
        if kind == 0:
            yield f"take{i:06d}.mp3_work.mp3"
        elif kind <= 6:
            yield f"track{i:06d}.mp3"
        else:
            yield f"cover{i:06d}.jpg"


def user_names(count, junk_percent=10):
    junk = round(20 * junk_percent / 100)  # of every 20 files
    for i in range(count):
        kind = i % 20
        stem = f"Interpret {i:06d} - Titel des Stücks"
        if kind < junk:
            yield f"{stem}.mp3_work.mp3"
        elif kind < junk + (21 - junk) // 2:
            yield f"{stem}.mp3"
        else:
            yield f"{stem}.jpg"


def main(argv):
    if len(argv) == 4 and argv[1] == "scan":
        make_files(argv[2], scan_names(int(argv[3])))
    elif len(argv) in (4, 5) and argv[1] == "user":
        make_files(argv[2], user_names(int(argv[3]), *map(int, argv[4:])))
    elif len(argv) == 5 and argv[1] == "remove":
        count, runs = int(argv[3]), int(argv[4])
        for run in range(1, runs + 1):
            make_files(f"{argv[2]}{run}", (f"take{i:06d}.mp3_work.mp3" for i in range(count)))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
