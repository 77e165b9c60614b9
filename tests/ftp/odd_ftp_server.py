#!/usr/bin/env python3
"""A small misbehaving FTP server for the FTP tests, on 127.0.0.1 only.

Any password is accepted; the user name picks the misbehaviour:
  endless  LIST streams listing lines without end (until the client hangs up)
  long     LIST answers 200 lines (about 10 KB), then ends
  odd      LIST answers lines with an oversized size or a five-digit year
  foreign  PASV names 127.0.0.2, where a trap listens on the same port as the
           real data socket on 127.0.0.1; every connection to the trap is
           written to --trap-log
  short    SIZE of any file says 1000 bytes, RETR sends 400 and reports success
MLSD and EPSV are refused (so clients fall back to LIST and PASV). Writes
"odd_port=N" to --info-file once it listens. Ends on SIGTERM.
"""
import argparse
import os
import signal
import socket
import sys
import threading

HOST = "127.0.0.1"
FOREIGN = "127.0.0.2"

ODD_LINES = [
    "-rw-r--r--   1 a b 99999999999999999999999 Dec  1 10:15 huge-unix.bin",
    "-rw-r--r--   1 a b 12 Dec  1  12025 far-future.txt",
    "12-08-26  10:15PM      99999999999999999999999 huge-dos.bin",
    "-rw-r--r--   1 a b 3 Dec  1 10:15 plain.txt",
]


def bind_pair(foreign):
    """The data socket on 127.0.0.1 and, for 'foreign', a trap on 127.0.0.2
    with the same port number."""
    for _ in range(50):
        data = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        data.bind((HOST, 0))
        port = data.getsockname()[1]
        if not foreign:
            data.listen(1)
            return data, None, port
        trap = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        try:
            trap.bind((FOREIGN, port))
        except OSError:
            data.close()
            trap.close()
            continue
        data.listen(1)
        trap.listen(4)
        return data, trap, port
    raise RuntimeError("no port free on both loopback addresses")


def watch_trap(trap, log_path):
    trap.settimeout(30)
    try:
        while True:
            peer, address = trap.accept()
            with open(log_path, "a") as log:
                log.write("%s:%d\n" % address)
            peer.close()
    except OSError:
        pass


class Session(threading.Thread):
    def __init__(self, control, trap_log):
        super().__init__(daemon=True)
        self.control = control
        self.trap_log = trap_log
        self.user = ""
        self.data = None

    def reply(self, text):
        self.control.sendall((text + "\r\n").encode())

    def open_data(self):
        listener, self.data = self.data, None
        if listener is None:
            return None
        listener.settimeout(15)
        try:
            conn, _ = listener.accept()
        except OSError:
            conn = None
        listener.close()
        return conn

    def run(self):
        try:
            self.serve()
        except OSError:
            pass
        finally:
            self.control.close()

    def serve(self):
        self.reply("220 odd test server")
        reader = self.control.makefile("rb")
        for raw in reader:
            line = raw.decode("latin-1").rstrip("\r\n")
            cmd, _, arg = line.partition(" ")
            cmd = cmd.upper()
            if cmd == "USER":
                self.user = arg
                self.reply("331 password please")
            elif cmd == "PASS":
                self.reply("230 logged in")
            elif cmd == "SYST":
                self.reply("215 UNIX Type: L8")
            elif cmd == "PWD":
                self.reply('257 "/" is the current folder')
            elif cmd in ("CWD", "TYPE", "NOOP", "OPTS", "MODE", "STRU"):
                self.reply("200 ok")
            elif cmd == "PASV":
                foreign = self.user == "foreign"
                if self.data is not None:
                    self.data.close()
                self.data, trap, port = bind_pair(foreign)
                shown = FOREIGN if foreign else HOST
                if trap is not None:
                    threading.Thread(target=watch_trap, args=(trap, self.trap_log),
                                     daemon=True).start()
                self.reply("227 Entering Passive Mode (%s,%d,%d)"
                           % (shown.replace(".", ","), port // 256, port % 256))
            elif cmd in ("LIST", "NLST"):
                self.listing()
            elif cmd == "SIZE":
                if self.user == "short":
                    self.reply("213 1000")
                else:
                    self.reply("550 no such file")
            elif cmd == "RETR":
                self.retrieve()
            elif cmd == "QUIT":
                self.reply("221 bye")
                return
            else:
                self.reply("502 not here")

    def listing(self):
        self.reply("150 here it comes")
        conn = self.open_data()
        if conn is None:
            self.reply("425 no data connection")
            return
        try:
            many = "".join("-rw-r--r--   1 a b 1 Dec  1 10:15 file%07d.txt\r\n" % i
                           for i in range(200)).encode()
            while self.user == "endless":
                conn.sendall(many * 20)
            lines = ODD_LINES if self.user == "odd" else ODD_LINES[-1:]
            if self.user == "long":
                conn.sendall(many)
                lines = []
            conn.sendall("".join(l + "\r\n" for l in lines).encode())
        except OSError:
            conn.close()
            self.reply("426 the client hung up")
            return
        conn.close()
        self.reply("226 done")

    def retrieve(self):
        self.reply("150 here it comes")
        conn = self.open_data()
        if conn is None:
            self.reply("425 no data connection")
            return
        conn.sendall(b"S" * 400)
        conn.close()
        self.reply("226 done")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--info-file", required=True)
    parser.add_argument("--trap-log", required=True)
    args = parser.parse_args()
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind((HOST, 0))
    server.listen(16)
    tmp = args.info_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("odd_port=%d\n" % server.getsockname()[1])
    os.replace(tmp, args.info_file)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        while True:
            control, _ = server.accept()
            Session(control, args.trap_log).start()
    except (KeyboardInterrupt, SystemExit):
        pass
    finally:
        server.close()


if __name__ == "__main__":
    main()
