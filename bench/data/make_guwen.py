#!/usr/bin/env python3
"""Regenerates guwen.gbk.txt from the chinese-poetry@2.0.1 npm tarball: the 222 essays
of Guwen Guanzhi followed by the fourteen chapters of Mencius.

Usage: make_guwen.py /path/to/chinese-poetry-2.0.1.tgz [output]
Needs the opencc command line tool (Debian package opencc).
"""
import json
import pathlib
import subprocess
import sys
import tarfile

GUWEN = "package/dist/mengxue/guwenguanzhi.json"
MENGZI = "package/dist/sishuwujing/mengzi.json"


def main() -> int:
    if len(sys.argv) not in (2, 3):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    tarball = sys.argv[1]
    out = pathlib.Path(sys.argv[2]) if len(sys.argv) == 3 else \
        pathlib.Path(__file__).resolve().parent / "guwen.gbk.txt"

    # Read the one member straight from the tarball so nothing else of the package lands
    # on disk next to the repository.
    with tarfile.open(tarball, "r:gz") as tar:
        book = json.load(tar.extractfile(GUWEN))
        mengzi = json.load(tar.extractfile(MENGZI))

    lines = []
    for volume in book["content"]:
        lines += [volume["title"], ""]
        for essay in volume["content"]:
            lines.append(essay["chapter"].strip())
            byline = " ".join(s.strip() for s in (essay.get("source", ""), essay.get("author", "")) if s.strip())
            if byline:
                lines.append(byline)
            lines += [p.strip() for p in essay["paragraphs"] if p.strip()]
            lines.append("")
    # The anthology alone falls a little short of 300 KB; Mencius is prose of the same
    # register and brings the file to a size where several blocks are measured.
    lines += ["孟子", ""]
    for chapter in mengzi:
        lines.append(chapter["chapter"].strip())
        lines += [p.strip() for p in chapter["paragraphs"] if p.strip()]
        lines.append("")
    text = "\n".join(lines).rstrip("\n") + "\n"

    # One opencc call for the whole text: per-line calls would be slow, and its phrase
    # tables convert better with context.
    simplified = subprocess.run(["opencc", "-c", "t2s"], input=text.encode("utf-8"),
                                stdout=subprocess.PIPE, check=True).stdout.decode("utf-8")

    # Characters outside GBK (a few rare variants and punctuation marks) are dropped rather
    # than replaced, so that every byte of the file is genuine GBK prose.
    dropped = 0
    encoded = bytearray()
    for ch in simplified.replace("\n", "\r\n"):
        try:
            encoded += ch.encode("gbk")
        except UnicodeEncodeError:
            dropped += 1
    out.write_bytes(bytes(encoded))
    print(f"{out}: {len(encoded)} bytes, {dropped} characters outside GBK dropped", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
