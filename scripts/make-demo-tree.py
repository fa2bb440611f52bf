#!/usr/bin/env python3
"""Writes the demo server's sample tree: folders, nested folders, names with spaces and UTF-8,
a few MiB of files and one read-only folder ("read-only")."""
import os
import random
import sys


def write(path, size, seed):
    rng = random.Random(seed)
    with open(path, "wb") as out:
        out.write(rng.randbytes(size))


def main():
    root = sys.argv[1]
    os.makedirs(root, exist_ok=True)
    text = "Welcome to the Tandrel demo server.\n\nEverything here may be downloaded; every folder but\n" \
           "\"read-only\" also takes uploads, new folders and deletions.\n"
    with open(os.path.join(root, "README.txt"), "w") as out:
        out.write(text)
    write(os.path.join(root, "photo.jpg"), 2 * 1024 * 1024 + 12345, 1)
    write(os.path.join(root, "archive 2024.tar.gz"), 1536 * 1024, 2)
    write(os.path.join(root, "empty.dat"), 0, 3)
    for folder in ["docs", "docs/nested/deeper", "Ordner mit Leerzeichen", "café ☕", "empty folder",
                   "read-only"]:
        os.makedirs(os.path.join(root, folder), exist_ok=True)
    with open(os.path.join(root, "docs", "notes.md"), "w") as out:
        out.write("# Notes\n\n" + "A line of notes.\n" * 200)
    write(os.path.join(root, "docs", "nested", "data.bin"), 300 * 1000, 4)
    write(os.path.join(root, "docs", "nested", "deeper", "small.bin"), 1000, 5)
    with open(os.path.join(root, "Ordner mit Leerzeichen", "eine Datei.txt"), "w") as out:
        out.write("Hallo!\n")
    with open(os.path.join(root, "café ☕", "menü.txt"), "w", encoding="utf-8") as out:
        out.write("Crème brûlée, 5 €\n")
    write(os.path.join(root, "read-only", "keep.bin"), 64 * 1024, 6)


if __name__ == "__main__":
    main()
