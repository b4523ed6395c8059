#!/usr/bin/env python3
"""Makes and removes the large music folder of the end-to-end tests, from the Linux side: under Wine each
file creation costs time proportional to the folder's size, so 10,000 files would take half a minute there.
On Windows, where the tests run without Wine, the same script makes the folder natively.

  make_big_folder.py make FOLDER [COUNT]   FOLDER with COUNT (10,000) files, and FOLDER.names beside it
  make_big_folder.py remove FOLDER         removes both

About 10% of the files are junk, 50% MP3 and 40% other; among them are names that only look like junk or
MP3, non-ASCII names (precomposed letters, Cyrillic, CJK and a character outside the BMP) and names of 200
and more characters. FOLDER.names lists every file name once, UTF-8, one per line: the test reads it to
check that Wine shows each name exactly as it was written here. On Linux names are written as UTF-8
bytes, which is how Wine stores a Unicode name on a Linux file system.
"""
import os
import sys

DEFAULT_COUNT = 10000
# Linux allows 255 bytes per name; the long names stay below that in UTF-8.
LONG_FILLER = "lang" * 50


def name_of(i):
    """The name of file i: unique by its number, so that no two names differ only in case."""
    kind, variant = i % 10, (i // 10) % 8
    if kind == 0:  # junk
        return [
            f"take{i:05d}.mp3_work.mp3",
            f"Müll äöü ß € {i:05d}.mp3_work.mp3",
            f"{i:05d} {LONG_FILLER}.mp3_work.mp3",
            f"{i:05d}.mp3_work.mp3",
            f"Лето 夏 {i:05d}.mp3_work.mp3",
            f"take{i:05d}.mp3_work.mp3",
            f"{i:05d} Grüße {'ü' * 20}{LONG_FILLER[:180]}.mp3_work.mp3",
            f"take{i:05d} 🎵.mp3_work.mp3",
        ][variant]
    if kind <= 5:  # MP3
        return [
            f"track{i:05d}.mp3",
            f"Straße Лето 夏 {i:05d}.mp3",
            f"{i:05d} {LONG_FILLER}.mp3",
            f"x{i:05d}.MP3_work.mp3",  # not junk: the case differs
            f"track{i:05d}.mp3",
            f"Çà et là {i:05d}.mp3",
            f"track{i:05d} 🎶.mp3",
            f"track{i:05d}.mp3",
        ][(variant + kind) % 8]
    return [  # other
        f"cover{i:05d}.jpg",
        f"B{i:05d}.MP3",
        f"c{i:05d}.Mp3",
        f"{i:05d}.mp3_work.mp3.bak",
        f"notiz {i:05d} ñ.txt",
        f"{i:05d} {LONG_FILLER}.txt",
        f"{i:05d}mp3",
        f"liste {i:05d}.m3u",
    ][(variant + kind) % 8]


WINDOWS = os.name == "nt"


def native_folder(folder):
    r"""The folder as the file functions take it: UTF-8 bytes on Linux; on Windows the \\?\ form (absolute,
    backslashes only), since a long name takes a file's full path past MAX_PATH there."""
    if not WINDOWS:
        return folder.encode("utf-8")
    return "\\\\?\\" + os.path.abspath(folder).replace("/", "\\")


def in_folder(folder, name):
    r"""A file's path in a folder given by native_folder(). Joined by hand on Windows: MSYS2's Python joins
    with "/", which the \\?\ form does not take."""
    if not WINDOWS:
        return os.path.join(folder, name if isinstance(name, bytes) else name.encode("utf-8"))
    return folder + "\\" + name


def make(folder, count):
    remove(folder)
    target = native_folder(folder)
    os.makedirs(target)
    names = [name_of(i) for i in range(count)]
    for name in names:
        with open(in_folder(target, name), "wb") as f:
            f.write(b"x")
    with open(folder + ".names", "w", encoding="utf-8", newline="\n") as f:
        f.write("".join(name + "\n" for name in names))


def remove(folder):
    target = native_folder(folder)
    if os.path.isdir(target):
        # Files only, so no rmtree, which would join paths its own way.
        for name in os.listdir(target):
            os.remove(in_folder(target, name))
        os.rmdir(target)
    if os.path.exists(folder + ".names"):
        os.remove(folder + ".names")


def main(argv):
    if len(argv) in (3, 4) and argv[1] == "make":
        make(argv[2], int(argv[3]) if len(argv) == 4 else DEFAULT_COUNT)
    elif len(argv) == 3 and argv[1] == "remove":
        remove(argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
