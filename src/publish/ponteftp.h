#pragma once
// The loopback relay through which libcurl uses a control connection that
// the FTP component has opened itself through a firewall of any type
// (libcurl cannot send commands before its own login, nor take over a
// connected socket, nor be kept from a third address a passive reply names).
// libcurl connects to the relay as to a server: the relay greets it as the
// server would (or lets the server or firewall do so) and passes the
// dialogue on both ways, and it stands in for
// one end of every data connection. A passive reply ("227", "229") gets a
// port of the relay's own, behind which the relay has connected, at the
// port the reply names, to the server through a Socks proxy, or else to the
// firewall's address or to the server's own (where a firewall that passes
// only the control connection sends the data), never to a third address a
// reply names. An active command ("PORT", "EPRT") goes on naming where the
// server can reach the shop: a port the relay listens on beside the
// firewall connection, or a Socks proxy's BIND; what arrives there, from
// the firewall's address or the server's own only, is connected to
// libcurl's own port.
//
// The relay runs on a thread of its own, because libcurl waits for some
// replies without returning to its caller.
#include "firewallftp.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class PonteFtp {
public:
    PonteFtp();
    // Stops the thread and closes every socket.
    ~PonteFtp();
    PonteFtp(const PonteFtp &) = delete;
    PonteFtp &operator=(const PonteFtp &) = delete;

    // Listens on loopback and starts the thread; false with the reason.
    bool avvia(QString *errore);
    // Where libcurl connects (the loopback address of avvia()).
    const sockaddr_storage &indirizzo() const { return m_indirizzo; }

    // How the data connections of the control connections to come are met
    // (the firewall type, its address and account, the time limits).
    void imposta(const DatiFirewall &d);
    // The next connection libcurl makes meets fd, a server's control
    // connection through the firewall; libcurl gets saluto first (the
    // server's greeting, when the firewall took it).
    void consegna(int fd, const QByteArray &saluto);
    // Any thread: closes everything at once; the relay serves no more.
    void chiudi();

    // A reply libcurl read that is not the server's as it came: the relay
    // changed the command it answers (libcurl's EPSV went as PASV, a PORT
    // or EPRT names the relay's port), or the reply (a passive reply names
    // the relay's port), or made the reply itself (a failure the relay
    // met). What went to the server and came from it, for the log.
    struct Scambio {
        QByteArray comando;         // what the server got in place of libcurl's command; empty: libcurl's own
        bool nienteAlServer = false;  // libcurl's command did not go to the server
        QByteArray dalServer;       // the server's reply, when libcurl got another or none
        bool propria = false;       // the reply libcurl read is the relay's own
    };
    // Any thread: the exchange behind riga (a reply line libcurl read,
    // without its line end), taken once; nullopt for a line the relay
    // passed on as it came, to a command passed on as it came.
    std::optional<Scambio> scambio(const QByteArray &riga);

private:
    struct Tubo;
    struct Appuntamento;

    void ciclo();
    void prendiConsegne();
    void accetta();
    void travasa(Tubo &t, bool daA, short eventi);
    void rigaDaLibcurl(Tubo &t, QByteArray riga);
    void rigaDalServer(Tubo &t, QByteArray riga);
    bool attivo(Tubo &t, const QByteArray &comando, const QByteArray &argomento);
    void passivo(Tubo &t, const QByteArray &riga, bool esteso, const QByteArray &comando);
    // The line libcurl gets (with its line end), remembered with what lies
    // behind it for scambio().
    QByteArray registra(const QByteArray &riga, const Scambio &s);
    // A reply of the relay's own, to libcurl.
    QByteArray rispostaPropria(int codice, QString testo, Scambio s);
    const std::vector<sockaddr_storage> &indirizziServer(Tubo &t);
    bool delServer(Tubo &t, const sockaddr_storage &a);
    void arrivo(Tubo &t);
    // Two non-blocking sockets whose small writes go at once.
    void unisci(int versoLibcurl, int versoServer);
    DatiFirewall dati();

    sockaddr_storage m_indirizzo{};
    int m_ascolto = -1;
    int m_sveglia = -1;
    std::thread m_thread;
    std::atomic_bool m_fine{false};
    std::mutex m_mutex;  // m_consegne, m_dati, m_scambi
    std::vector<std::pair<int, QByteArray>> m_consegne;
    DatiFirewall m_dati;
    std::deque<std::pair<QByteArray, Scambio>> m_scambi;
    std::vector<std::unique_ptr<Tubo>> m_tubi;  // the thread's own
};

// The port a passive reply ("227", "229") names, 0 when it names none that
// can be used: no address to read, a number beyond a byte in a "227",
// beyond 16 bits in a "229", or a port of 0.
int PortaRispostaPassiva(const QByteArray &riga);
