#!/usr/bin/python3
"""Feeds a file into a named pipe in 10,000-byte writes, each only once the reader has taken
the one before, so that every read from the pipe returns 10,000 bytes (the last one fewer)."""

import array
import fcntl
import os
import sys
import termios
import time

CHUNK = 10000


def main():
    source, fifo = sys.argv[1], sys.argv[2]
    with open(source, "rb") as f:
        data = f.read()
    fd = os.open(fifo, os.O_WRONLY)
    waiting = array.array("i", [0])
    for start in range(0, len(data), CHUNK):
        os.write(fd, data[start:start + CHUNK])
        while True:
            fcntl.ioctl(fd, termios.FIONREAD, waiting, True)
            if waiting[0] == 0:
                break
            time.sleep(0.0002)
    os.close(fd)


if __name__ == "__main__":
    main()
