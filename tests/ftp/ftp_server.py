#!/usr/bin/env python3
"""The FTP server of the FTP tests, on 127.0.0.1 only.

Serves one temporary root to one user on two free ports: one that offers MLSD
and one that answers only LIST (as older servers do). Also holds a port that
accepts connections and never answers, and names a port where nothing
listens. Writes "key=value" lines to --info-file once everything listens, one
line per accepted connection to --connection-log and one per command received
to --command-log. Ends on SIGTERM.
"""
import argparse
import logging
import os
import signal
import socket
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
from pyftpdlib.ioloop import IOLoop

HOST = "127.0.0.1"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--info-file", required=True)
    parser.add_argument("--connection-log", required=True)
    parser.add_argument("--command-log", required=True)
    args = parser.parse_args()
    logging.basicConfig(level=logging.WARNING)

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    class Handler(FTPHandler):
        def on_connect(self):
            with open(args.connection_log, "a") as log:
                log.write("%s:%d\n" % (self.remote_ip, self.remote_port))

        def pre_process_command(self, line, cmd, arg):
            with open(args.command_log, "a") as log:
                log.write("%s\n" % cmd)
            super().pre_process_command(line, cmd, arg)

    Handler.authorizer = authorizer
    Handler.passive_ports = None
    Handler.permit_foreign_addresses = False

    class ListOnlyHandler(Handler):
        proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items()
                      if k not in ("MLSD", "MLST")}

    ioloop = IOLoop()
    servers = [FTPServer((HOST, 0), handler, ioloop=ioloop)
               for handler in (Handler, ListOnlyHandler)]

    # Accepts (the kernel completes the handshake) and never answers.
    silent = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    silent.bind((HOST, 0))
    silent.listen(16)
    # Nothing listens here once the socket is closed.
    probe = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    probe.bind((HOST, 0))
    refused_port = probe.getsockname()[1]
    probe.close()

    info = {
        "port": servers[0].address[1],
        "list_port": servers[1].address[1],
        "silent_port": silent.getsockname()[1],
        "refused_port": refused_port,
    }
    tmp = args.info_file + ".tmp"
    with open(tmp, "w") as f:
        for key, value in info.items():
            f.write("%s=%s\n" % (key, value))
    os.replace(tmp, args.info_file)

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        ioloop.loop(timeout=0.2, blocking=True)
    except (KeyboardInterrupt, SystemExit):
        pass
    finally:
        for s in servers:
            s.close_all()
        silent.close()


if __name__ == "__main__":
    main()
