"""A real FTP server on 127.0.0.1 for the publishing tests (pyftpdlib).

Prints "PORT <n>" once it listens on a free port.
  --address ADDR   listen on ADDR (a loopback address) instead of 127.0.0.1
  --passive-port N the one port of its passive data connections
  --masquerade ADDR
                   the address its passive replies name, in place of its own
Faults on demand:
  --readonly DIR   the user may list DIR but not write in it
  --no-list DIR    the user may enter DIR but not list it
  --drop NAME      the connection drops after 64 KiB of the file NAME
  --stall NAME     the whole server stops answering after 64 KiB of NAME
  --full NAME      after 64 KiB of NAME the disk is full: the data
                   connection is cut (reset) and the reply is 552
  --stall-login    the server stops answering at the login
  --busy           every connection is greeted with 421 and closed, as by a
                   server that has too many
  --drop-first-ms MS
                   the first session is closed without a word MS
                   milliseconds after its login, as an idle one
  --no-allo        ALLO is refused with 502
  --no-chmod       SITE CHMOD is refused (the user lacks the right to change modes)
  --log FILE       each file received is appended to FILE, one path a line
  --rate BYTES     each upload is read at most BYTES per second
  --delay MS       each command is answered MS milliseconds late, as over a
                   slow line
  --strict         data connections only with the address the control
                   connection comes from (PORT to another address refused)
  --reply "LINE=REPLY"
                   the command LINE (a whole line such as "STOR a.htm", or a
                   bare command such as "STOR") gets REPLY and nothing is done
  --home DIR       the session starts in DIR under the root (the login
                   folder), with the root above it still reachable by ".."
  --fake-dirs FILE the root's listings also show, as folders, the names in
                   FILE (UTF-8, one a line), whatever no disk could hold
"""
import argparse
import logging
import os
import socket
import struct
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler, _FileReadWriteError
from pyftpdlib.servers import FTPServer

SOGLIA = 64 * 1024


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--root", required=True)
    p.add_argument("--user", default="negozio")
    p.add_argument("--password", default="segreta")
    p.add_argument("--readonly", action="append", default=[])
    p.add_argument("--no-list", action="append", default=[])
    p.add_argument("--drop")
    p.add_argument("--stall")
    p.add_argument("--full")
    p.add_argument("--stall-login", action="store_true")
    p.add_argument("--busy", action="store_true")
    p.add_argument("--no-allo", action="store_true")
    p.add_argument("--no-chmod", action="store_true")
    p.add_argument("--reply", action="append", default=[])
    p.add_argument("--log")
    p.add_argument("--rate", type=int, default=0)
    p.add_argument("--strict", action="store_true")
    p.add_argument("--delay", type=int, default=0)
    p.add_argument("--drop-first-ms", type=int, default=0)
    p.add_argument("--address", default="127.0.0.1")
    p.add_argument("--passive-port", type=int, default=0)
    p.add_argument("--masquerade")
    p.add_argument("--home")
    p.add_argument("--fake-dirs")
    a = p.parse_args()

    logging.basicConfig(level=logging.WARNING)
    autorizzazioni = DummyAuthorizer()
    permessi = "elradfmwT" if a.no_chmod else "elradfmwMT"
    autorizzazioni.add_user(a.user, a.password, a.root, perm=permessi)
    risposte = dict(r.split("=", 1) for r in a.reply)
    for cartella in a.readonly:
        percorso = os.path.join(a.root, cartella)
        os.makedirs(percorso, exist_ok=True)
        autorizzazioni.override_perm(a.user, percorso, "elr", recursive=True)
    for cartella in a.no_list:
        percorso = os.path.join(a.root, cartella)
        os.makedirs(percorso, exist_ok=True)
        autorizzazioni.override_perm(a.user, percorso, "e", recursive=True)

    class Dati(ThrottledDTPHandler):
        read_limit = a.rate

        def handle_error(self):
            try:
                raise
            except _FileReadWriteError as e:
                # A write that fails (a full disk): the rest of the file is
                # read and dropped, and the reply at its end names the
                # system's reason, as servers that report a full disk do.
                errore = e.args[0] if e.args and isinstance(e.args[0], OSError) else e
                self.scrittura_fallita = os.strerror(errore.errno or 0)
                try:
                    self.file_obj.close()
                except OSError:
                    pass
                self.file_obj = open(os.devnull, "wb")
            except Exception:
                ThrottledDTPHandler.handle_error(self)

        def handle_close(self):
            if getattr(self, "scrittura_fallita", None) and not self._closed:
                self._resp = ("426 %s; transfer aborted." % self.scrittura_fallita, logging.warning)
                self.close()
            else:
                ThrottledDTPHandler.handle_close(self)

        def handle_read(self):
            ThrottledDTPHandler.handle_read(self)
            nome = os.path.basename(getattr(self.file_obj, "name", "") or "")
            if not self.receive or self.tot_bytes_received < SOGLIA:
                return
            if a.drop and nome == a.drop:
                self.cmd_channel.close()
                self.close()
            elif a.stall and nome == a.stall:
                time.sleep(3600)
            elif a.full and nome == a.full and not self._closed:
                self._resp = ("552 Requested file action aborted: exceeded storage allocation (disk full).",
                              logging.debug)
                self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                self.close()

        handle_read_event = handle_read

    sessioni = []
    finte = []
    if a.fake_dirs:
        with open(a.fake_dirs, encoding="utf-8") as f:
            finte = [r.rstrip("\n") for r in f if r.rstrip("\n")]

    class Cartelle(AbstractedFS):
        # The fake names are folders of the root as far as a listing goes.
        def nella_radice(self, path):
            return os.path.realpath(path) == os.path.realpath(self.root)

        def listdir(self, path):
            nomi = AbstractedFS.listdir(self, path)
            return nomi + finte if self.nella_radice(path) else nomi

        def lstat(self, path):
            if os.path.basename(path) in finte and self.nella_radice(os.path.dirname(path)):
                return os.lstat(self.root)
            return AbstractedFS.lstat(self, path)

    class Comandi(FTPHandler):
        def pre_process_command(self, line, cmd, arg):
            if a.delay:
                time.sleep(a.delay / 1000.0)
            risposta = risposte.get(line) or risposte.get(cmd)
            if risposta:
                self.respond(risposta)
            else:
                FTPHandler.pre_process_command(self, line, cmd, arg)

        def on_file_received(self, file):
            if a.log:
                with open(a.log, "a") as registro:
                    registro.write(os.path.relpath(file, a.root) + "\n")

        def handle(self):
            if a.busy:
                self.respond("421 Troppi collegamenti, riprovare piu' tardi.")
                self.close_when_done()
            else:
                FTPHandler.handle(self)

        def ftp_USER(self, line):
            if a.stall_login:
                time.sleep(3600)
            FTPHandler.ftp_USER(self, line)

        def on_login(self, username):
            if a.home:
                self.fs.cwd = "/" + a.home.strip("/")
            # The first session only, closed without a word as if idle.
            if a.drop_first_ms and not sessioni:
                sessioni.append(self)
                self.ioloop.call_later(a.drop_first_ms / 1000.0, self.chiudi)

        def chiudi(self):
            if not self._closed:
                self.close()

        def ftp_ALLO(self, line):
            if a.no_allo:
                self.respond("502 Command not implemented.")
            else:
                FTPHandler.ftp_ALLO(self, line)

    Comandi.authorizer = autorizzazioni
    Comandi.dtp_handler = Dati
    Comandi.abstracted_fs = Cartelle
    Comandi.banner = "FTP di prova"
    Comandi.auth_failed_timeout = 0.1
    Comandi.permit_foreign_addresses = not a.strict
    if a.passive_port:
        Comandi.passive_ports = [a.passive_port]
    if a.masquerade:
        Comandi.masquerade_address = a.masquerade
    server = FTPServer((a.address, 0), Comandi)
    print("PORT %d" % server.address[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
