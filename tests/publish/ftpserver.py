"""A real FTP server on 127.0.0.1 for the publishing tests (pyftpdlib).

Prints "PORT <n>" once it listens on a free port. Faults on demand:
  --readonly DIR   the user may list DIR but not write in it
  --drop NAME      the connection drops after 64 KiB of the file NAME
  --stall NAME     the whole server stops answering after 64 KiB of NAME
  --stall-login    the server stops answering at the login
  --no-allo        ALLO is refused with 502
"""
import argparse
import logging
import os
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

SOGLIA = 64 * 1024


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--root", required=True)
    p.add_argument("--user", default="negozio")
    p.add_argument("--password", default="segreta")
    p.add_argument("--readonly", action="append", default=[])
    p.add_argument("--drop")
    p.add_argument("--stall")
    p.add_argument("--stall-login", action="store_true")
    p.add_argument("--no-allo", action="store_true")
    a = p.parse_args()

    logging.basicConfig(level=logging.WARNING)
    autorizzazioni = DummyAuthorizer()
    autorizzazioni.add_user(a.user, a.password, a.root, perm="elradfmwMT")
    for cartella in a.readonly:
        percorso = os.path.join(a.root, cartella)
        os.makedirs(percorso, exist_ok=True)
        autorizzazioni.override_perm(a.user, percorso, "elr", recursive=True)

    class Dati(DTPHandler):
        def handle_read(self):
            DTPHandler.handle_read(self)
            nome = os.path.basename(getattr(self.file_obj, "name", "") or "")
            if not self.receive or self.tot_bytes_received < SOGLIA:
                return
            if a.drop and nome == a.drop:
                self.cmd_channel.close()
                self.close()
            elif a.stall and nome == a.stall:
                time.sleep(3600)

        handle_read_event = handle_read

    class Comandi(FTPHandler):
        def ftp_USER(self, line):
            if a.stall_login:
                time.sleep(3600)
            FTPHandler.ftp_USER(self, line)

        def ftp_ALLO(self, line):
            if a.no_allo:
                self.respond("502 Command not implemented.")
            else:
                FTPHandler.ftp_ALLO(self, line)

    Comandi.authorizer = autorizzazioni
    Comandi.dtp_handler = Dati
    Comandi.banner = "FTP di prova"
    Comandi.auth_failed_timeout = 0.1
    Comandi.permit_foreign_addresses = True
    server = FTPServer(("127.0.0.1", 0), Comandi)
    print("PORT %d" % server.address[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
