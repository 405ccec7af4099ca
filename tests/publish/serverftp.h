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
        QString cadeDurante;      // the connection drops during this file
        QString siFermaDurante;   // the server stops answering during this file
        bool siFermaAlLogin = false;
        bool senzaAllo = false;   // ALLO answered 502
        bool senzaChmod = false;  // SITE CHMOD refused: the user may not change modes
        // Commands answered with a fixed reply and not carried out, as
        // "LINE=REPLY": a whole line ("STOR a.htm=553 ...") or a command.
        QStringList risposte;
        QString utente;           // a login name other than utente()
        QString registro;         // a file that lists each file received
        int byteAlSecondo = 0;    // the upload speed, 0: unlimited
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
