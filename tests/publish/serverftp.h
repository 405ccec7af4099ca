#pragma once
// A real FTP server on 127.0.0.1 (pyftpdlib, run by Debian's python3) on a
// free port, serving a folder of the test. Faults are switched on when it
// starts; a second server on the same folder serves the next run.
#include "pubblicatore.h"

#include <QProcess>
#include <QString>
#include <QStringList>

class ServerFtp {
public:
    struct Guasti {
        QStringList soloLettura;  // folders under the root the user cannot write
        QStringList senzaElenco;  // folders under the root the user may enter but not list
        QString cadeDurante;      // the connection drops during this file
        QString siFermaDurante;   // the server stops answering during this file
        QString discoPienoDurante;  // the disk fills during this file: 552, the data connection cut
        bool siFermaAlLogin = false;
        bool occupato = false;    // every connection greeted with 421 and closed
        bool senzaAllo = false;   // ALLO answered 502
        bool senzaChmod = false;  // SITE CHMOD refused: the user may not change modes
        // Commands answered with a fixed reply and not carried out, as
        // "LINE=REPLY": a whole line ("STOR a.htm=553 ...") or a command.
        QStringList risposte;
        QString utente;           // a login name other than utente()
        QString registro;         // a file that lists each file received
        int byteAlSecondo = 0;    // the upload speed, 0: unlimited
        bool stretto = false;     // data connections only with the control connection's address
        int ritardoMs = 0;        // each command answered this late, as over a slow line
        int primaCadeDopoMs = 0;  // the first session closed without a word this long after its login
        QString indirizzo;        // the loopback address it listens on, when not 127.0.0.1
        int portaPassiva = 0;     // the one port of its passive data connections
        QString mascheraPassiva;  // the address its passive replies name in place of its own
        QString cartellaAccesso;  // the login folder under the root ("home"), the root above it reachable
        QString cartelleFinte;    // a file of names (one a line) the root's listings show as folders
    };

    explicit ServerFtp(const QString &radice, const Guasti &guasti);
    explicit ServerFtp(const QString &radice) : ServerFtp(radice, Guasti()) {}
    ~ServerFtp();
    ServerFtp(const ServerFtp &) = delete;
    ServerFtp &operator=(const ServerFtp &) = delete;

    bool avviato() const { return m_porta > 0; }
    int porta() const { return m_porta; }
    QString radice() const { return m_radice; }
    QString errore() const { return m_errore; }
    static QString utente() { return QStringLiteral("negozio"); }
    static QString password() { return QStringLiteral("segreta"); }
    // What the publisher reads of a shop folder with its pages in online/
    // and its scripts in scripts/, sent to www/shop and cgi-bin of this
    // server's account.
    static ContestoPubblicazione contesto(const QString &negozio);
    qint64 pid() const { return m_processo.processId(); }

private:
    QString m_radice, m_errore;
    QProcess m_processo;
    int m_porta = 0;
};

// A free port on loopback, for a helper that cannot report its own.
int portaLibera();

// The tests' FTP gateway (ftpgateway.py): the firewall that takes its own
// login, then the server's name by a command ("SITE", "PROXY" or "OPEN"),
// and stands in for both ends of every data connection (or, soloControllo,
// passes the control connection only).
class GatewayFtp {
public:
    struct Opzioni {
        QString comando;           // SITE, PROXY or OPEN
        QString utente, password;  // the firewall's own login, when it wants one
        QStringList server;        // the names it knows: "name=127.0.0.1:port"
        QString registro;          // a file that lists every command line received
        bool soloControllo = false;  // it passes the control connection only: data goes client to server
        QString indirizzo{};       // the loopback address it listens on, when not 127.0.0.1
    };
    explicit GatewayFtp(const Opzioni &opzioni);
    ~GatewayFtp();
    GatewayFtp(const GatewayFtp &) = delete;
    GatewayFtp &operator=(const GatewayFtp &) = delete;

    bool avviato() const { return m_porta > 0; }
    int porta() const { return m_porta; }
    QString errore() const { return m_errore; }
    qint64 pid() const { return m_processo.processId(); }

private:
    QProcess m_processo;
    QString m_errore;
    int m_porta = 0;
};

// A Socks 4 and 5 proxy on loopback (Debian's dante-server), for connect
// and, unless told otherwise, bind; its connections to servers leave from
// the address esterno.
class ProxySocks {
public:
    ProxySocks(const QString &cartella, bool conBind = true, const QString &esterno = QStringLiteral("127.0.0.1"));
    ~ProxySocks();
    ProxySocks(const ProxySocks &) = delete;
    ProxySocks &operator=(const ProxySocks &) = delete;

    static bool installato();
    // Once it takes connections (it is waited for, at most a few seconds).
    bool avviato() const { return m_porta > 0; }
    int porta() const { return m_porta; }
    void ferma();

private:
    QProcess m_processo;
    int m_porta = 0;
};
