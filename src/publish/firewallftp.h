#pragma once
// The talk with a firewall that stands between the shop and its server:
// the FTP gateways that take the server's name by a command after their
// own login ("SITE host", "PROXY host", "OPEN host"), and the Socks 4 and
// 5 proxies (CONNECT for the control connection, BIND for the server's
// active data connections). Every step waits at most its time, in slices
// of 100 ms that look at a stop flag, so an interruption ends it at once.
#include "ftp.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>

// What ended a step on a socket.
enum class EsitoPresa { Fatto, Scaduto, Fermato, Chiuso, HostSconosciuto, Irraggiungibile };

// A TCP socket driven step by step; closed when destroyed.
class Presa {
public:
    explicit Presa(std::function<bool()> fermo, int fd = -1);
    ~Presa();
    Presa(const Presa &) = delete;
    Presa &operator=(const Presa &) = delete;

    int fd() const { return m_fd; }
    // Gives the socket away: the caller closes it from then on.
    int rilascia();
    // Resolves the host and connects to the first address that answers,
    // all within ms.
    EsitoPresa connetti(const QString &host, int porta, int ms);
    // Connects to one address; on failure the presa holds no socket.
    EsitoPresa connetti(const sockaddr_storage &indirizzo, int ms);
    EsitoPresa invia(const QByteArray &dati, int ms);
    // Exactly n bytes.
    EsitoPresa ricevi(qsizetype n, QByteArray &dati, int ms);
    // One line up to LF, without its CR LF; at most 8 KiB.
    EsitoPresa riga(QByteArray &testo, int ms);

private:
    EsitoPresa attendi(short evento, int ms);
    // Reads what has come (at most massimo bytes), waiting for it until fine.
    EsitoPresa leggiAncora(size_t massimo, std::chrono::steady_clock::time_point fine);

    std::function<bool()> m_fermo;
    int m_fd = -1;
    QByteArray m_resto;  // read past the last line
};

// One FTP reply: its code and its lines.
struct RispostaFirewall {
    int codice = 0;
    QStringList righe;
    QString ultima() const { return righe.isEmpty() ? QString() : righe.last(); }
};

// How the firewall is reached and what the server behind it is.
struct DatiFirewall {
    FirewallFtp firewall;
    QString host;     // the FTP server, as the firewall must reach it
    int porta = 21;   // its port
    AtteseFtp attese;
    std::function<bool()> fermo;                   // the interruption
    std::function<void(const QString &)> riga;     // one line of the dialogue, for the log
};

// The server's name as the firewall takes it: host, or host:port when the
// port is not 21 ([address]:port for an IPv6 address).
QString HostPerFirewall(const QString &host, int porta);

// Connects to an FTP gateway, logs in to it when a firewall user is set,
// and asks it for the server with the type's command. On success the
// socket is the server's control connection, past the server's greeting,
// which comes back in saluto.
RisultatoFtp AccessoFirewall(const DatiFirewall &d, Presa &presa, RispostaFirewall &saluto);

// Connects to a firewall that takes the FTP dialogue itself ("USER
// user@host") or passes the connection on to the server (a pipe): on
// success the socket is connected to it, nothing read.
RisultatoFtp ConnessioneFirewall(const DatiFirewall &d, Presa &presa);

// What a negative reply of a "USER user@host" firewall to comando (that
// USER line) means: the firewall does not take that form (500 to 504),
// the server it reached refused the session (421, passed on), or it
// reached no server with that name.
RisultatoFtp RifiutoUtenteAlFirewall(const DatiFirewall &d, const QString &comando, int codice, const QString &riga);

// Connects to a Socks proxy (version 4 or 5) and through it to the server:
// on success the socket is the server's control connection.
RisultatoFtp ConnessioneSocks(const DatiFirewall &d, Presa &presa);

// Asks a Socks proxy (through a new connection of its own) to wait for the
// server's data connection: on success the socket waits for the proxy's
// second reply, and indirizzo is where the server must connect.
RisultatoFtp AttesaSocks(const DatiFirewall &d, Presa &presa, sockaddr_storage &indirizzo);
// The proxy's second reply to BIND: the server has connected.
RisultatoFtp ArrivoSocks(const DatiFirewall &d, Presa &presa);

// A TCP socket whose small writes go at once: a command or a reply passed
// on waits for no acknowledgement (Nagle's algorithm off).
void senzaAttese(int fd);

// A socket's own address and its other end's; an address of family
// AF_UNSPEC when it has none.
sockaddr_storage IndirizzoLocale(int fd);
sockaddr_storage IndirizzoRemoto(int fd);

// An address as text: the IP alone, and [v6]:port or v4:port.
QString TestoIp(const sockaddr_storage &a);
QString TestoIndirizzo(const sockaddr_storage &a);
int PortaDi(const sockaddr_storage &a);
void ImpostaPorta(sockaddr_storage &a, int porta);
socklen_t LunghezzaDi(const sockaddr_storage &a);
