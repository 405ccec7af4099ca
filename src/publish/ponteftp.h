#pragma once
// The loopback relay through which libcurl uses a control connection that
// the FTP component has opened itself through a firewall (libcurl cannot
// send commands before its own login, nor take over a connected socket).
// libcurl connects to the relay as to a server: the relay greets it as the
// server would and passes the dialogue on both ways, and it stands in for
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
    // Any thread: whether riga (without its line end) is a reply the relay
    // made itself in the server's place, not yet looked up.
    bool propria(const QByteArray &riga);

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
    bool passivo(Tubo &t, const QByteArray &riga, bool esteso);
    // A reply of the relay's own, to libcurl, remembered for propria().
    QByteArray rispostaPropria(int codice, QString testo);
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
    std::mutex m_mutex;  // m_consegne, m_dati, m_proprie
    std::vector<std::pair<int, QByteArray>> m_consegne;
    DatiFirewall m_dati;
    std::deque<QByteArray> m_proprie;
    std::vector<std::unique_ptr<Tubo>> m_tubi;  // the thread's own
};
