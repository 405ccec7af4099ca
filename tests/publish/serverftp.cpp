#include "serverftp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Starts one of the tests' Python helpers and reads the port it prints
// ("PORT <n>"); 0, with what it said, when it does not start.
int avviaPython(QProcess &processo, const QStringList &argomenti, QString *errore)
{
    processo.setProcessChannelMode(QProcess::SeparateChannels);
    // Debian's interpreter has python3-pyftpdlib; another may come first on PATH.
    processo.start(QStringLiteral("/usr/bin/python3"), argomenti);
    QElapsedTimer t;
    t.start();
    QByteArray uscita;
    while (t.elapsed() < 15000 && processo.state() != QProcess::NotRunning) {
        processo.waitForReadyRead(200);
        uscita += processo.readAllStandardOutput();
        const int i = uscita.indexOf("PORT ");
        const int fine = uscita.indexOf('\n', i);
        if (i >= 0 && fine > i)
            return uscita.mid(i + 5, fine - i - 5).trimmed().toInt();
    }
    *errore = QString::fromLocal8Bit(processo.readAllStandardError());
    return 0;
}

void termina(QProcess &processo)
{
    if (processo.state() != QProcess::NotRunning) {
        processo.kill();
        processo.waitForFinished(5000);
    }
}

} // namespace

ServerFtp::ServerFtp(const QString &radice, const Guasti &guasti) : m_radice(radice)
{
    QDir().mkpath(radice);
    QStringList argomenti{QStringLiteral(VT_FTPSERVER_PY), QStringLiteral("--root"), radice, QStringLiteral("--user"),
                          guasti.utente.isEmpty() ? utente() : guasti.utente, QStringLiteral("--password"), password()};
    for (const QString &c : guasti.soloLettura)
        argomenti << QStringLiteral("--readonly") << c;
    for (const QString &c : guasti.senzaElenco)
        argomenti << QStringLiteral("--no-list") << c;
    if (!guasti.cadeDurante.isEmpty())
        argomenti << QStringLiteral("--drop") << guasti.cadeDurante;
    if (!guasti.siFermaDurante.isEmpty())
        argomenti << QStringLiteral("--stall") << guasti.siFermaDurante;
    if (!guasti.discoPienoDurante.isEmpty())
        argomenti << QStringLiteral("--full") << guasti.discoPienoDurante;
    if (guasti.siFermaAlLogin)
        argomenti << QStringLiteral("--stall-login");
    if (guasti.occupato)
        argomenti << QStringLiteral("--busy");
    if (guasti.senzaAllo)
        argomenti << QStringLiteral("--no-allo");
    if (guasti.senzaChmod)
        argomenti << QStringLiteral("--no-chmod");
    if (!guasti.registro.isEmpty())
        argomenti << QStringLiteral("--log") << guasti.registro;
    if (guasti.byteAlSecondo > 0)
        argomenti << QStringLiteral("--rate") << QString::number(guasti.byteAlSecondo);
    if (guasti.stretto)
        argomenti << QStringLiteral("--strict");
    if (guasti.ritardoMs > 0)
        argomenti << QStringLiteral("--delay") << QString::number(guasti.ritardoMs);
    if (guasti.primaCadeDopoMs > 0)
        argomenti << QStringLiteral("--drop-first-ms") << QString::number(guasti.primaCadeDopoMs);
    if (!guasti.cartellaAccesso.isEmpty())
        argomenti << QStringLiteral("--home") << guasti.cartellaAccesso;
    if (!guasti.cartelleFinte.isEmpty())
        argomenti << QStringLiteral("--fake-dirs") << guasti.cartelleFinte;
    for (const QString &r : guasti.risposte)
        argomenti << QStringLiteral("--reply") << r;
    if (!guasti.indirizzo.isEmpty())
        argomenti << QStringLiteral("--address") << guasti.indirizzo;
    if (guasti.portaPassiva > 0)
        argomenti << QStringLiteral("--passive-port") << QString::number(guasti.portaPassiva);
    if (!guasti.mascheraPassiva.isEmpty())
        argomenti << QStringLiteral("--masquerade") << guasti.mascheraPassiva;
    m_porta = avviaPython(m_processo, argomenti, &m_errore);
}


ServerFtp::~ServerFtp()
{
    termina(m_processo);
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

GatewayFtp::GatewayFtp(const Opzioni &o)
{
    QStringList argomenti{QStringLiteral(VT_FTPGATEWAY_PY), QStringLiteral("--command"), o.comando};
    if (!o.utente.isEmpty())
        argomenti << QStringLiteral("--user") << o.utente << QStringLiteral("--password") << o.password;
    for (const QString &s : o.server)
        argomenti << QStringLiteral("--server") << s;
    if (!o.registro.isEmpty())
        argomenti << QStringLiteral("--log") << o.registro;
    if (o.soloControllo)
        argomenti << QStringLiteral("--control-only");
    if (!o.indirizzo.isEmpty())
        argomenti << QStringLiteral("--address") << o.indirizzo;
    m_porta = avviaPython(m_processo, argomenti, &m_errore);
}

GatewayFtp::~GatewayFtp()
{
    termina(m_processo);
}

bool ProxySocks::installato()
{
    return QFile::exists(QStringLiteral("/usr/sbin/danted"));
}

ProxySocks::ProxySocks(const QString &cartella, bool conBind, const QString &esterno)
{
    const int porta = portaLibera();
    const QString conf = cartella + QStringLiteral("/danted.conf");
    QFile f(conf);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(QStringLiteral("logoutput: stderr\n"
                           "internal: 127.0.0.1 port = %1\n"
                           "external: %2\n"
                           "socksmethod: none\n"
                           "clientmethod: none\n"
                           "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                           "%3"
                           "socks pass { from: 0.0.0.0/0 to: 0.0.0.0/0 }\n")
                .arg(porta)
                .arg(esterno, conBind ? QString() : QStringLiteral("socks block { from: 0.0.0.0/0 to: 0.0.0.0/0 command: bind }\n"))
                .toUtf8());
    f.close();
    m_processo.start(QStringLiteral("/usr/sbin/danted"), {QStringLiteral("-f"), conf, QStringLiteral("-p"),
                                                          cartella + QStringLiteral("/danted.pid"), QStringLiteral("-N"),
                                                          QStringLiteral("1")});
    if (!m_processo.waitForStarted())
        return;
    // It takes connections once it listens.
    for (int i = 0; i < 100 && m_processo.state() == QProcess::Running; ++i) {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(quint16(porta));
        const bool pronto = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
        ::close(s);
        if (pronto) {
            m_porta = porta;
            return;
        }
        QThread::msleep(50);
    }
}

ProxySocks::~ProxySocks()
{
    ferma();
}

void ProxySocks::ferma()
{
    termina(m_processo);
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
