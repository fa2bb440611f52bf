#!/usr/bin/python3
"""A pyftpdlib FTP server for Tandrel's tests and demo.

Prints "PORT <n>" as its first line once it listens (port 0 picks a free one), then
"CONNECT <ip>:<port>" for every control connection, so that a caller can tell whether
anything reached it. Debian's python3-pyftpdlib belongs to /usr/bin/python3.
"""

import argparse
import io
import logging
import os
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

READ_PERMS = "elr"
WRITE_PERMS = "elradfmwMT"

# The switches that answer commands with a fixed reply (None: no reply at all).
REFUSALS = {
    "no_epsv": (("EPSV",), "500 EPSV not understood."),
    "refuse_active": (("PORT", "EPRT"), "550 Active mode \x1b[1mrefused\x1b[0m."),
    "silent_dele": (("DELE",), None),
    "no_mdtm": (("MDTM",), "502 MDTM not implemented."),
}


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__)
    add = parser.add_argument
    add("--root", required=True, help="folder served as /")
    add("--host", default="127.0.0.1")
    add("--port", type=int, default=0, help="0 picks a free port")
    add("--anonymous", action="store_true", help="anonymous login, read only")
    add("--anonymous-write", action="store_true", help="anonymous login that may also write")
    add("--user", help="a named user, who may write")
    add("--password", default="", help="the named user's password")
    add("--read-only", action="append", default=[], help="a folder where nobody may write")
    add("--refuse-suffix", help="uploads to names ending so get 552 after the data")
    add("--drop-suffix", help="uploads to names ending so are opened (left empty), then get 426")
    add("--hang-suffix", help="transfers of names ending so never get their final reply")
    add("--short-suffix", help="downloads of names ending so send half the file, then 226")
    add("--fail-once", help="the first download of a file of this name sends half, then 426")
    add("--no-epsv", action="store_true", help="answer EPSV with 500, so clients use PASV")
    add("--pasv-address", help="the address PASV replies announce instead of the real one")
    add("--listing", help="LIST answers with this file's bytes, whatever the folder")
    add("--listing-paced", action="store_true",
        help="that listing's NUL bytes split it into writes 50 ms apart (the NULs are not sent)")
    add("--refuse-active", action="store_true", help="answer PORT and EPRT with 550 (and ESC)")
    add("--silent-dele", action="store_true", help="never answer DELE")
    add("--no-size", help="answer SIZE with 550 for names holding this")
    add("--opening-size", help="name the size in the 150 reply to RETR of names holding this")
    add("--refuse-rest", action="store_true", help="answer REST with 502, as servers without it")
    add("--no-mdtm", action="store_true", help="answer MDTM with 502, as servers without it")
    add("--max-connections", type=int, default=0,
        help="control connections at once past which the server answers 421")
    add("--quiet", action="store_true", help="log warnings only")
    add("--verbose", action="store_true", help="log every command and reply")
    return parser.parse_args()


class paced:
    """A producer handing out blocks 50 ms apart (holding the server's loop, which serves the
    one test client)."""

    def __init__(self, blocks):
        self.blocks, self.given = blocks, 0

    def more(self):
        if self.given == len(self.blocks):
            return b""
        if self.given:
            time.sleep(0.05)
        self.given += 1
        return self.blocks[self.given - 1]


def make_handler(options):
    # Files whose first download is being cut short, and names that have had theirs.
    cutting, cut = set(), set()

    class MarkingDTPHandler(DTPHandler):
        """Answers 552 instead of 226 once the data of a marked upload is in, or withholds
        the final reply of a marked transfer altogether."""

        def close(self):
            name = self.file_obj.name if self.file_obj is not None else ""
            if not self._closed and self._resp and self._resp[0].startswith("226"):
                if options.hang_suffix and name.endswith(options.hang_suffix):
                    self._resp = None
                elif name in cutting:
                    cutting.discard(name)
                    self._resp = ("426 Connection closed; transfer aborted.", self._resp[1])
                elif (self.receive and options.refuse_suffix
                      and name.endswith(options.refuse_suffix)):
                    self._resp = ("552 Requested file action aborted: storage refused.",
                                  self._resp[1])
            DTPHandler.close(self)

    class ShortReadFS(AbstractedFS):
        """Hands out only the first half of a marked file for reading, as a server that cuts a
        download short and still reports success; SIZE and the listing give the whole size."""

        def open(self, filename, mode):
            fd = AbstractedFS.open(self, filename, mode)
            once = ("r" in mode and os.path.basename(filename) == options.fail_once
                    and filename not in cut)
            if once:
                cut.add(filename)
                cutting.add(filename)
            if once or ("r" in mode and options.short_suffix
                        and filename.endswith(options.short_suffix)):
                data = fd.read()
                fd.close()
                fd = io.BytesIO(data[:len(data) // 2])
                fd.name = filename
            return fd

    class Handler(FTPHandler):
        dtp_handler = MarkingDTPHandler
        abstracted_fs = ShortReadFS
        permit_foreign_addresses = False
        masquerade_address = options.pasv_address
        # Tests try wrong passwords on purpose: answer them at once.
        auth_failed_timeout = 0

        # Files moving now, over all connections: each change is printed, so that tests can
        # tell how many moved at once.
        moving = 0

        def on_connect(self):
            print("CONNECT %s:%s" % (self.remote_ip, self.remote_port), flush=True)

        def count_moving(self, change):
            Handler.moving += change
            self.moving_here = change > 0
            print("MOVING %d" % Handler.moving, flush=True)

        def on_disconnect(self):
            if getattr(self, "moving_here", False):
                self.count_moving(-1)

        def ftp_LIST(self, path):
            if not options.listing:
                return FTPHandler.ftp_LIST(self, path)
            with open(options.listing, "rb") as listing:
                data = listing.read()
            if options.listing_paced:
                # One write per block, so that a client reads each on its own.
                self.push_dtp_data(paced([b for b in data.split(b"\0") if b]), isproducer=True,
                                   cmd="LIST")
            else:
                self.push_dtp_data(data, cmd="LIST")
            return path

        def ftp_SIZE(self, path):
            if options.no_size and options.no_size in os.path.basename(path):
                self.respond("550 SIZE not allowed here.")
            else:
                FTPHandler.ftp_SIZE(self, path)

        def ftp_STOR(self, file, mode="w"):
            self.opening_transfer = True
            if not options.drop_suffix or not file.endswith(options.drop_suffix):
                return FTPHandler.ftp_STOR(self, file, mode)
            # As a server whose data connection failed after it had opened the file.
            open(file, "wb").close()
            self.respond("150 File status okay. About to open data connection.")
            if self.data_channel is not None:
                self.data_channel.close()
            self.respond("426 Connection closed; transfer aborted.")
            return file

        def ftp_RETR(self, file):
            self.opening_transfer = True
            self.opening_size = None
            if options.opening_size and options.opening_size in os.path.basename(file):
                self.opening_size = os.path.getsize(file)
            return FTPHandler.ftp_RETR(self, file)

        def respond(self, resp, *args, **kwargs):
            if getattr(self, "opening_transfer", False):
                self.opening_transfer = False
                if resp[:4] in ("150 ", "125 "):
                    self.count_moving(1)
            elif getattr(self, "moving_here", False):
                self.count_moving(-1)
            if resp[:4] in ("150 ", "125 ") and getattr(self, "opening_size", None) is not None:
                resp = "%s (%d bytes)" % (resp, self.opening_size)
                self.opening_size = None
            FTPHandler.respond(self, resp, *args, **kwargs)

        def ftp_REST(self, line):
            # Logged whatever the level: tests check that a download continued where it stopped.
            logging.warning("REST %s", line)
            if options.refuse_rest:
                self.respond("502 REST not implemented.")
            else:
                FTPHandler.ftp_REST(self, line)

    for flag, (commands, reply) in REFUSALS.items():
        for command in commands if getattr(options, flag) else ():
            setattr(Handler, "ftp_" + command,
                    lambda self, line, reply=reply: reply and self.respond(reply))
    return Handler


def exit_with_parent():
    """Ends the server once the process that started it is gone, e.g. a test that crashed."""
    parent = os.getppid()

    def watch():
        while os.getppid() == parent:
            time.sleep(0.5)
        os._exit(0)

    threading.Thread(target=watch, daemon=True).start()


def main():
    options = parse_arguments()
    exit_with_parent()
    root = os.path.realpath(options.root)
    authorizer = DummyAuthorizer()
    users = []
    if options.anonymous or options.anonymous_write:
        authorizer.add_anonymous(root, perm=WRITE_PERMS if options.anonymous_write else READ_PERMS)
        users.append("anonymous")
    if options.user is not None:
        authorizer.add_user(options.user, options.password, root, perm=WRITE_PERMS)
        users.append(options.user)
    for folder in options.read_only:
        path = os.path.join(root, folder)
        os.makedirs(path, exist_ok=True)
        for user in users:
            authorizer.override_perm(user, path, perm=READ_PERMS, recursive=True)

    logging.basicConfig(stream=sys.stderr,
                        level=logging.DEBUG if options.verbose
                        else logging.WARNING if options.quiet else logging.INFO,
                        format="[%(asctime)s] %(message)s")
    handler = make_handler(options)
    handler.authorizer = authorizer
    server = FTPServer((options.host, options.port), handler)
    server.max_cons_per_ip = options.max_connections
    print("PORT %d" % server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
