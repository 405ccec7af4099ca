#include "serverftp.h"

#include <QDir>
#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

ServerFtp::ServerFtp(const QString &radice, const Guasti &guasti) : m_radice(radice)
{
    QDir().mkpath(radice);
    QStringList argomenti{QStringLiteral(VT_FTPSERVER_PY), QStringLiteral("--root"), radice, QStringLiteral("--user"),
                          guasti.utente.isEmpty() ? utente() : guasti.utente, QStringLiteral("--password"), password()};
    for (const QString &c : guasti.soloLettura)
        argomenti << QStringLiteral("--readonly") << c;
    if (!guasti.cadeDurante.isEmpty())
        argomenti << QStringLiteral("--drop") << guasti.cadeDurante;
    if (!guasti.siFermaDurante.isEmpty())
        argomenti << QStringLiteral("--stall") << guasti.siFermaDurante;
    if (guasti.siFermaAlLogin)
        argomenti << QStringLiteral("--stall-login");
    if (guasti.senzaAllo)
        argomenti << QStringLiteral("--no-allo");
    if (guasti.senzaChmod)
        argomenti << QStringLiteral("--no-chmod");
    if (!guasti.registro.isEmpty())
        argomenti << QStringLiteral("--log") << guasti.registro;
    if (guasti.byteAlSecondo > 0)
        argomenti << QStringLiteral("--rate") << QString::number(guasti.byteAlSecondo);
    for (const QString &r : guasti.risposte)
        argomenti << QStringLiteral("--reply") << r;
    m_processo.setProcessChannelMode(QProcess::SeparateChannels);
    // Debian's interpreter has python3-pyftpdlib; another may come first on PATH.
    m_processo.start(QStringLiteral("/usr/bin/python3"), argomenti);
    QElapsedTimer t;
    t.start();
    QByteArray uscita;
    while (t.elapsed() < 15000 && m_processo.state() != QProcess::NotRunning) {
        m_processo.waitForReadyRead(200);
        uscita += m_processo.readAllStandardOutput();
        const int i = uscita.indexOf("PORT ");
        const int fine = uscita.indexOf('\n', i);
        if (i >= 0 && fine > i) {
            m_porta = uscita.mid(i + 5, fine - i - 5).trimmed().toInt();
            return;
        }
    }
    m_errore = QString::fromLocal8Bit(m_processo.readAllStandardError());
}

ServerFtp::~ServerFtp()
{
    if (m_processo.state() != QProcess::NotRunning) {
        m_processo.kill();
        m_processo.waitForFinished(5000);
    }
}

ContestoPubblicazione ServerFtp::contesto(const QString &negozio)
{
    ContestoPubblicazione c;
    c.PercorsoNegozio = negozio;
    c.CartellaPagine = negozio + QStringLiteral("/online");
    c.CartellaScript = negozio + QStringLiteral("/scripts");
    c.txtHost = QStringLiteral("127.0.0.1");
    c.txtUsername = utente();
    c.txtPassword = password();
    c.txtFolderFTP = QStringLiteral("www/shop");
    c.txtFolderCGI = QStringLiteral("cgi-bin");
    return c;
}

// A free port on loopback, for a helper that cannot report its own.
int portaLibera()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr *>(&a), n);
    ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &n);
    ::close(s);
    return ntohs(a.sin_port);
}
