#pragma once
// A real FTP server on 127.0.0.1 (pyftpdlib, run by Debian's python3) on a
// free port, serving a folder of the test. Faults are switched on when it
// starts; a second server on the same folder serves the next run.
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
    qint64 pid() const { return m_processo.processId(); }

private:
    QString m_radice, m_errore;
    QProcess m_processo;
    int m_porta = 0;
};
