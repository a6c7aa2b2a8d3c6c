#!/usr/bin/env python3
"""Unpacks the PPD files of the openprinting-ppds package once.

The package serves its PPD files through a CUPS driver program that carries
them as one compressed archive, embedded in the program's text: a base64 and
xz coded JSON index whose entry "ARCHIVE" is the base64 and xz coded
concatenation of every file, and whose other entries give each file's offset
and length in it. Asking the program for one file at a time decompresses the
archive each time, so this script decodes it once and writes every file under
the output folder, with the path the index gives it.

Usage: unpack_openprinting_ppds.py PROGRAM OUTPUT_DIR

Exits 0 without doing anything when PROGRAM is absent (the corpus test then
skips), and when OUTPUT_DIR already holds the files of this very PROGRAM. The
stamp file OUTPUT_DIR/unpacked-from, written last, names the program (path,
size, time) on its first line and the number of files on its second.
"""
import base64
import gzip
import json
import lzma
import os
import re
import shutil
import sys

STAMP = "unpacked-from"


def program_identity(program):
    info = os.stat(program)
    # "gzip" names the way the files are written, so that a folder written
    # another way is written again.
    return f"{program} {info.st_size} {int(info.st_mtime)} gzip\n"


def read_index(program):
    with open(program, "rb") as f:
        text = f.read()
    match = re.search(rb'^ppds_compressed_b64 = b"([^"]*)"', text, re.MULTILINE)
    if match is None:
        sys.exit(f"{program}: no embedded archive found")
    return json.loads(lzma.decompress(base64.b64decode(match.group(1))))


def unpack(program, output_dir):
    index = read_index(program)
    archive = base64.b64decode(index.pop("ARCHIVE"))
    # Entries are keyed "0/<path>" and give [offset, length, listing lines].
    entries = sorted((value[0], value[1], key.split("/", 1)[1]) for key, value in index.items())

    decompressor = lzma.LZMADecompressor()
    pending = bytearray()
    position = 0  # archive offset of pending[0]
    consumed = 0
    chunk = 1 << 20
    for offset, length, path in entries:
        if offset < position:
            sys.exit(f"{program}: entry {path} overlaps the one before it")
        while position + len(pending) < offset + length:
            if decompressor.eof:
                sys.exit(f"{program}: archive ends before entry {path}")
            if decompressor.needs_input:
                if consumed >= len(archive):
                    sys.exit(f"{program}: archive is cut short before entry {path}")
                data = archive[consumed:consumed + chunk]
                consumed += len(data)
            else:
                data = b""
            pending += decompressor.decompress(data, 1 << 24)
        start = offset - position
        target = os.path.join(output_dir, path + ".gz")
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(gzip.compress(pending[start:start + length], compresslevel=1, mtime=0))
        del pending[:start + length]
        position = offset + length
    return len(entries)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    program, output_dir = sys.argv[1], sys.argv[2]
    if not os.path.exists(program):
        print(f"{program} is absent: nothing to unpack")
        return
    stamp = os.path.join(output_dir, STAMP)
    identity = program_identity(program)
    if os.path.exists(stamp) and open(stamp).readline() == identity:
        print(f"{output_dir} already holds the files of {program}")
        return
    # Files of another version of the package go first.
    shutil.rmtree(output_dir, ignore_errors=True)
    os.makedirs(output_dir)
    count = unpack(program, output_dir)
    with open(stamp, "w") as f:
        f.write(identity)
        f.write(f"{count}\n")
    print(f"unpacked {count} files into {output_dir}")


if __name__ == "__main__":
    main()
