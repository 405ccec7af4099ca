"""An FTP gateway on loopback (127.0.0.1 unless --address) for the publishing tests and benchmark: the
firewall that wants its own login and then the server's name by a command.

Prints "PORT <n>" once it listens on a free port. A client connects, gets
"220", logs in with --user and --password when they are given, then sends
the command of --command (SITE, PROXY or OPEN) with the server's name, as
"name" or "name:port". The gateway knows the servers of --server
NAME=HOST:PORT only (any other name is refused as unknown), connects to the
server, answers with the server's greeting and from then on passes the
dialogue on, standing in for both ends of every data connection: the
client's PASV, EPSV, PORT and EPRT are answered by the gateway, which opens
its own data connection with the server (always PASV) and joins the two.
No data connection ever goes from the client to the server directly.
With --command USER the server's name comes with the user name instead
("USER user@name", no login at the gateway); with --command PIPE every
connection goes as it is to the one server of --server.
  --log FILE    every command line the gateway receives from the client is
                appended to FILE
  --address ADDR
                the loopback address it listens on (127.0.0.1)
  --control-only
                the gateway passes the control connection only, as many
                firewalls do: PASV, EPSV, PORT and EPRT go to the server as
                they are, its replies come back as they are, and the data
                connections go between client and server directly
"""
import argparse
import re
import socket
import sys
import threading


def leggi_riga(f):
    riga = f.readline()
    if not riga:
        raise EOFError
    return riga.decode("utf-8", "replace").rstrip("\r\n")


def leggi_risposta(f):
    """One reply of the server, its lines joined with CR LF."""
    righe = [leggi_riga(f)]
    if len(righe[0]) > 3 and righe[0][3] == "-":
        codice = righe[0][:3]
        while not (righe[-1].startswith(codice) and righe[-1][3:4] == " "):
            righe.append(leggi_riga(f))
    return righe


def senza_attese(*prese):
    """Small writes go at once (no Nagle), as an FTP client's and server's do."""
    for p in prese:
        p.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)


def travasa(da, a):
    try:
        while True:
            dati = da.recv(65536)
            if not dati:
                break
            a.sendall(dati)
    except OSError:
        pass
    try:
        a.shutdown(socket.SHUT_WR)
    except OSError:
        pass


def unisci(x, y):
    senza_attese(x, y)
    t = threading.Thread(target=travasa, args=(y, x), daemon=True)
    t.start()
    travasa(x, y)
    t.join()
    x.close()
    y.close()


class Sessione:
    def __init__(self, cliente, a):
        senza_attese(cliente)
        self.cliente = cliente
        self.c_in = cliente.makefile("rb")
        self.a = a
        self.server = None

    def rispondi(self, testo):
        self.cliente.sendall((testo + "\r\n").encode("utf-8"))

    def registra(self, riga):
        if self.a.log:
            with open(self.a.log, "a", encoding="utf-8") as f:
                f.write(riga + "\n")

    def esegui(self):
        try:
            self.rispondi("220 Gateway di prova")
            if self.accesso():
                self.inoltra()
        except (EOFError, OSError):
            pass
        finally:
            self.cliente.close()
            if self.server:
                self.server.close()

    def accesso(self):
        entrato = not self.a.user
        utente = None
        while True:
            riga = leggi_riga(self.c_in)
            self.registra(riga)
            comando, _, argomento = riga.partition(" ")
            comando = comando.upper()
            if comando == "USER" and self.a.command == "USER":
                utente, _, nome = argomento.rpartition("@")
                if utente and self.collega(nome, inoltra_saluto=False):
                    self.rispondi("\r\n".join(self.al_server("USER " + utente)))
                    return True
                if not utente:
                    self.rispondi("530 Manca il nome del server")
            elif comando == "USER":
                utente = argomento
                self.rispondi("331 Password del firewall")
            elif comando == "PASS":
                entrato = utente == self.a.user and argomento == self.a.password
                self.rispondi("230 Accesso al firewall" if entrato else "530 Accesso al firewall negato")
            elif comando == self.a.command:
                if not entrato:
                    self.rispondi("530 Prima l'accesso al firewall")
                elif self.collega(argomento):
                    return True
            elif comando == "QUIT":
                self.rispondi("221 Arrivederci")
                return False
            else:
                self.rispondi("530 Prima il nome del server")

    def collega(self, nome, inoltra_saluto=True):
        indirizzo = self.a.servers.get(nome)
        if not indirizzo:
            self.rispondi("550 Host sconosciuto: " + nome)
            return False
        try:
            self.server = socket.create_connection(indirizzo, timeout=10)
        except OSError:
            self.rispondi("425 Server non raggiungibile: " + nome)
            return False
        senza_attese(self.server)
        self.s_in = self.server.makefile("rb")
        saluto = leggi_risposta(self.s_in)
        # A server that refuses the session (421, busy) is heard whatever
        # the command: its greeting is the reply.
        pronto = saluto[-1].startswith("2")
        if inoltra_saluto or not pronto:
            self.rispondi("\r\n".join(saluto))
        return pronto

    def al_server(self, riga):
        self.server.sendall((riga + "\r\n").encode("utf-8"))
        return leggi_risposta(self.s_in)

    def dati_server(self):
        """A data connection with the server (always passive); None when
        the server refuses it."""
        risposta = self.al_server("PASV")
        m = re.search(r"(\d+),(\d+),(\d+),(\d+),(\d+),(\d+)", risposta[-1])
        if not risposta[-1].startswith("227") or not m:
            return None
        return socket.create_connection(("127.0.0.1", int(m.group(5)) * 256 + int(m.group(6))), timeout=10)

    def inoltra(self):
        while True:
            riga = leggi_riga(self.c_in)
            self.registra(riga)
            comando, _, argomento = riga.partition(" ")
            comando = comando.upper()
            if comando in ("PASV", "EPSV") and not self.a.control_only:
                self.passiva(comando)
            elif comando in ("PORT", "EPRT") and not self.a.control_only:
                self.attiva(comando, argomento)
            else:
                self.server.sendall((riga + "\r\n").encode("utf-8"))
                risposta = leggi_risposta(self.s_in)
                self.rispondi("\r\n".join(risposta))
                # A transfer has a preliminary reply, then the final one.
                while risposta[-1][:1] == "1":
                    risposta = leggi_risposta(self.s_in)
                    self.rispondi("\r\n".join(risposta))
                if comando == "QUIT":
                    return

    def passiva(self, comando):
        server = self.dati_server()
        if not server:
            self.rispondi("425 Il server non apre la connessione dei dati")
            return
        ascolto = socket.socket()
        ascolto.bind(("127.0.0.1", 0))
        ascolto.listen(1)
        ascolto.settimeout(30)
        porta = ascolto.getsockname()[1]

        def aspetta():
            try:
                dati, _ = ascolto.accept()
                unisci(dati, server)
            except OSError:
                server.close()
            finally:
                ascolto.close()

        threading.Thread(target=aspetta, daemon=True).start()
        if comando == "EPSV":
            self.rispondi("229 Entering Extended Passive Mode (|||%d|)" % porta)
        else:
            self.rispondi("227 Entering Passive Mode (127,0,0,1,%d,%d)" % (porta >> 8, porta & 255))

    def attiva(self, comando, argomento):
        try:
            if comando == "PORT":
                n = argomento.split(",")
                cliente = (".".join(n[:4]), int(n[4]) * 256 + int(n[5]))
            else:
                parti = argomento.split(argomento[0])
                cliente = (parti[2], int(parti[3]))
        except (IndexError, ValueError):
            self.rispondi("501 Indirizzo non valido")
            return
        server = self.dati_server()
        try:
            verso = socket.create_connection(cliente, timeout=10) if server else None
        except OSError:
            verso = None
        if not verso:
            if server:
                server.close()
            self.rispondi("425 Impossibile raggiungere il client")
            return
        threading.Thread(target=unisci, args=(verso, server), daemon=True).start()
        self.rispondi("200 Comando attivo accettato")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--command", required=True, choices=["SITE", "PROXY", "OPEN", "USER", "PIPE"])
    p.add_argument("--user", default="")
    p.add_argument("--password", default="")
    p.add_argument("--server", action="append", default=[])
    p.add_argument("--log")
    p.add_argument("--control-only", action="store_true")
    p.add_argument("--address", default="127.0.0.1")
    a = p.parse_args()
    a.servers = {}
    for s in a.server:
        nome, _, indirizzo = s.partition("=")
        host, _, porta = indirizzo.rpartition(":")
        a.servers[nome] = (host, int(porta))
    ascolto = socket.socket()
    ascolto.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    ascolto.bind((a.address, 0))
    ascolto.listen(16)
    print("PORT %d" % ascolto.getsockname()[1], flush=True)
    while True:
        cliente, _ = ascolto.accept()
        if a.command == "PIPE":
            server = socket.create_connection(next(iter(a.servers.values())))
            threading.Thread(target=unisci, args=(cliente, server), daemon=True).start()
        else:
            threading.Thread(target=Sessione(cliente, a).esegui, daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())
