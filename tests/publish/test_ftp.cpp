// The FTP component against a real server on loopback.
#include "testshop.h"
#include "ftp.h"
#include "ponteftp.h"
#include "serverftp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <optional>
#include <tuple>
#include <poll.h>
#include <thread>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::unique_ptr<ComponenteFtp> componente(const ServerFtp &s, QStringList *righe = nullptr)
{
    auto c = CreaComponenteFtp();
    c->host = QStringLiteral("127.0.0.1");
    c->porta = s.porta();
    c->user = ServerFtp::utente();
    c->password = ServerFtp::password();
    c->attese = {5000, 3000, 2000};
    if (righe)
        c->rigaProtocollo = [righe](const QString &r) { *righe << r; };
    return c;
}

// A firewall that takes the connection and never says a word (on the
// loopback address ip, at porta or a free port).
class AscoltoMuto {
public:
    explicit AscoltoMuto(const char *ip = "127.0.0.1", int porta = 0)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        ::inet_pton(AF_INET, ip, &a.sin_addr);
        a.sin_port = htons(quint16(porta));
        socklen_t n = sizeof a;
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&a), n);
        ::listen(m_fd, 4);
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&a), &n);
        m_porta = ntohs(a.sin_port);
    }
    ~AscoltoMuto() { ::close(m_fd); }
    int porta() const { return m_porta; }
    int fd() const { return m_fd; }
    // Whether anybody has connected.
    bool contattato() const
    {
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }

private:
    int m_fd = -1;
    int m_porta = 0;
};

// A Socks 5 proxy that wants a user name and password, and refuses the
// ones it is given, on its one connection.
class SocksCheRifiuta {
public:
    SocksCheRifiuta() : m_ascolto("127.0.0.1")
    {
        m_thread = std::thread([this] {
            pollfd p{m_ascolto.fd(), POLLIN, 0};
            if (::poll(&p, 1, 10000) <= 0)
                return;
            const int c = ::accept(m_ascolto.fd(), nullptr, nullptr);
            timeval limite{5, 0};
            ::setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &limite, sizeof limite);
            char buf[600];
            if (::recv(c, buf, sizeof buf, 0) > 0 && ::send(c, "\x05\x02", 2, MSG_NOSIGNAL) == 2
                && ::recv(c, buf, sizeof buf, 0) > 0)
                (void)!::send(c, "\x01\x01", 2, MSG_NOSIGNAL);
            ::close(c);
        });
    }
    ~SocksCheRifiuta() { m_thread.join(); }
    int porta() const { return m_ascolto.porta(); }

private:
    AscoltoMuto m_ascolto;
    std::thread m_thread;
};

} // namespace

class TestFtp : public QObject {
    Q_OBJECT
private slots:
    void folders();
    void endlessListingLine();
    void transfers_data();
    void transfers();
    void listingAndCommands();
    void failures_data();
    void failures();
    void fullDiskMidFile();
    void fullDiskOnNewConnection();
    void interruptIsPrompt_data();
    void interruptIsPrompt();
    void throughFirewallGateway_data();
    void throughFirewallGateway();
    void firewallRefusals_data();
    void firewallRefusals();
    void gatewayPassingOnlyControl_data();
    void gatewayPassingOnlyControl();
    void unreadablePassiveReply_data();
    void unreadablePassiveReply();
    void gatewayGoneMidTransfer_data();
    void gatewayGoneMidTransfer();
    void throughSocksProxy_data();
    void throughSocksProxy();
    void socksRefusals_data();
    void socksRefusals();
    void throughProxyUserOrPipe_data();
    void throughProxyUserOrPipe();
    void relayServesOnlyThisProcess();
};

// Change, make and leave folders, relative to the login folder; a missing
// folder answers 550.
void TestFtp::folders()
{
    QTemporaryDir radice;
    ServerFtp s(radice.path());
    QVERIFY2(s.avviato(), qPrintable(s.errore()));
    QStringList righe;
    auto c = componente(s, &righe);
    QCOMPARE(c->connetti().codice, 0);
    QVERIFY(righe.contains(QStringLiteral("PASS (hidden)")));
    QVERIFY(!righe.join(u'\n').contains(ServerFtp::password()));

    RisultatoFtp r = c->cambiaCartella(QStringLiteral("www"));
    QCOMPARE(r.codice, 20550);
    QCOMPARE(c->cartellaCorrente(), QString());
    // The log's own line says why in Italian; libcurl's words are not there.
    QCOMPARE(righe.filter(QRegularExpression(QStringLiteral("^\\* "))),
             QStringList{QStringLiteral("* La cartella 'www' non esiste sul server o non vi si può accedere.")});
    QCOMPARE(c->creaCartella(QStringLiteral("www")).codice, 0);
    QCOMPARE(c->cambiaCartella(QStringLiteral("www")).codice, 0);
    QCOMPARE(c->creaCartella(QStringLiteral("negozio prova")).codice, 0);
    QCOMPARE(c->cambiaCartella(QStringLiteral("negozio prova")).codice, 0);
    QCOMPARE(c->cartellaCorrente(), QStringLiteral("www/negozio prova"));
    QVERIFY(QFileInfo(radice.path() + QStringLiteral("/www/negozio prova")).isDir());
    QCOMPARE(c->cambiaCartella(QStringLiteral(".")).codice, 0);
    QCOMPARE(c->cartellaCorrente(), QStringLiteral("www/negozio prova"));
    QCOMPARE(c->cartellaSuperiore().codice, 0);
    QCOMPARE(c->cartellaCorrente(), QStringLiteral("www"));
    // An existing folder cannot be made again: 550, and the component stays.
    QCOMPARE(c->creaCartella(QStringLiteral("negozio prova")).codice, 20550);
    QCOMPARE(c->esci().codice, 0);
    QVERIFY(righe.contains(QStringLiteral("QUIT")));
}

void TestFtp::transfers_data()
{
    QTest::addColumn<bool>("binario");
    QTest::addColumn<bool>("accoda");
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QByteArray>("giaSulServer");
    QTest::addColumn<QByteArray>("atteso");
    QTest::addColumn<bool>("attiva");

    QByteArray grande(300000, 'x');
    for (int i = 0; i < grande.size(); i += 97)
        grande[i] = char(i % 256);
    QTest::newRow("binary kept byte for byte") << true << false << grande << QByteArray() << grande << false;
    QTest::newRow("binary CR LF untouched") << true << false << QByteArray("a\r\nb\r\n") << QByteArray()
                                            << QByteArray("a\r\nb\r\n") << false;
    QTest::newRow("text CR LF arrives as LF") << false << false << QByteArray("#!/usr/bin/perl\r\nprint 1;\r\n")
                                              << QByteArray() << QByteArray("#!/usr/bin/perl\nprint 1;\n") << false;
    QTest::newRow("text LF stays LF") << false << false << QByteArray("a\nb\n") << QByteArray()
                                      << QByteArray("a\nb\n") << false;
    QTest::newRow("text lone CR kept") << false << false << QByteArray("a\rb\r\nc") << QByteArray()
                                       << QByteArray("a\rb\nc") << false;
    QByteArray lungo;
    for (int i = 0; i < 40000; ++i)
        lungo += "riga " + QByteArray::number(i) + "\r\n";
    QTest::newRow("text CR LF across buffers") << false << false << lungo << QByteArray()
                                               << QByteArray(lungo).replace("\r\n", "\n") << false;
    QTest::newRow("replace") << false << false << QByteArray("nuovo\r\n") << QByteArray("vecchio\n")
                             << QByteArray("nuovo\n") << false;
    QTest::newRow("binary over an active connection") << true << false << QByteArray("attiva") << QByteArray()
                                                      << QByteArray("attiva") << true;
    QTest::newRow("append") << false << true << QByteArray("due\r\n") << QByteArray("uno\n")
                            << QByteArray("uno\ndue\n") << false;
}

// Binary files arrive as they are; text files with the server's LF line ends.
void TestFtp::transfers()
{
    QFETCH(bool, binario);
    QFETCH(bool, accoda);
    QFETCH(QByteArray, locale);
    QFETCH(QByteArray, giaSulServer);
    QFETCH(QByteArray, atteso);
    QFETCH(bool, attiva);
    QTemporaryDir radice, cartella;
    ServerFtp s(radice.path());
    QVERIFY(s.avviato());
    const QString file = cartella.path() + QStringLiteral("/vtorder.pl");
    scrivi(file, locale);
    if (!giaSulServer.isNull())
        scrivi(radice.path() + QStringLiteral("/cgi/vtorder.pl"), giaSulServer);
    QDir(radice.path()).mkpath(QStringLiteral("cgi"));
    QStringList righe;
    auto c = componente(s, &righe);
    c->attiva = attiva;
    QCOMPARE(c->connetti().codice, 0);
    QCOMPARE(c->cambiaCartella(QStringLiteral("cgi")).codice, 0);
    c->binario = binario;
    c->lunghezzaAttesa = locale.size();
    const RisultatoFtp r = c->invia(file, QStringLiteral("vtorder.pl"), accoda);
    QVERIFY2(r.riuscito(), qPrintable(r.testo));
    QCOMPARE(leggi(radice.path() + QStringLiteral("/cgi/vtorder.pl")), atteso);
    QCOMPARE(!righe.filter(QRegularExpression(QStringLiteral("^(EPRT|PORT) "))).isEmpty(), attiva);
}

// A listing line per entry; commands run in the current folder.
void TestFtp::listingAndCommands()
{
    QTemporaryDir radice, cartella;
    QDir(radice.path()).mkpath(QStringLiteral("www/My Folder"));
    QDir(radice.path()).mkpath(QStringLiteral("www/cgi-bin"));
    scrivi(radice.path() + QStringLiteral("/www/index.htm"), "x");
    ServerFtp s(radice.path());
    QVERIFY(s.avviato());
    auto c = componente(s);
    QStringList elenco;
    c->rigaElenco = [&](const QString &r) { elenco << r; };
    QCOMPARE(c->connetti().codice, 0);
    QCOMPARE(c->cambiaCartella(QStringLiteral("www")).codice, 0);
    QCOMPARE(c->elenca().codice, 0);
    QCOMPARE(elenco.size(), 3);
    QVERIFY(elenco.filter(QStringLiteral("My Folder")).first().startsWith(u'd'));
    QVERIFY(elenco.filter(QStringLiteral("index.htm")).first().startsWith(u'-'));

    QCOMPARE(c->annunciaLunghezza(12345).codice, 0);
    QCOMPARE(c->comando(QStringLiteral("SITE chmod 755 index.htm")).codice, 0);
    QCOMPARE(QFileInfo(radice.path() + QStringLiteral("/www/index.htm")).permissions() & 0x7777,
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser
                 | QFileDevice::WriteUser | QFileDevice::ExeUser | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                 | QFileDevice::ReadOther | QFileDevice::ExeOther);
    QCOMPARE(c->comando(QStringLiteral("SITE chmod 755 manca.htm")).codice, 20550);
}

// A server that sends a listing line of 8 MB: the line reaches the caller
// cut to a bounded length, and the lines after it arrive whole.
void TestFtp::endlessListingLine()
{
    QTemporaryDir radice;
    QVERIFY(QDir(radice.path()).mkpath(QStringLiteral("www")));
    const QString finte = radice.path() + QStringLiteral("/finte.txt");
    scrivi(finte, QByteArray(8 * 1024 * 1024, 'x') + "\ndopo\n");
    ServerFtp::Guasti g;
    g.cartelleFinte = finte;
    ServerFtp s(radice.path(), g);
    QVERIFY(s.avviato());
    auto c = componente(s);
    QStringList elenco;
    c->rigaElenco = [&](const QString &r) { elenco << r; };
    QCOMPARE(c->connetti().codice, 0);
    QCOMPARE(c->elenca().codice, 0);
    QVERIFY(elenco.size() >= 3);
    for (const QString &riga : elenco)
        QVERIFY2(riga.size() <= 64 * 1024, qPrintable(QString::number(riga.size())));
    QCOMPARE(elenco.filter(QRegularExpression(QStringLiteral(" www$"))).size(), 1);
    QCOMPARE(elenco.filter(QRegularExpression(QStringLiteral(" dopo$"))).size(), 1);
    QCOMPARE(elenco.filter(QStringLiteral("xxxx")).size(), 1);
}

void TestFtp::failures_data()
{
    QTest::addColumn<QString>("caso");
    QTest::addColumn<int>("codice");
    QTest::addColumn<QString>("messaggio");  // empty: any text
    QTest::addColumn<int>("entroMs");
    // The publisher's tests cover a refused login, a refused file, a
    // dropped connection and a server that stops answering mid-file.
    QTest::newRow("nobody listening") << "porta" << CodiceFtp::Connessione << "" << 15000;
    QTest::newRow("server stops answering at login") << "login" << CodiceFtp::TempoScaduto
                                                     << "Il server non risponde: tempo scaduto." << 15000;
    QTest::newRow("missing local file") << "locale" << CodiceFtp::FileLocale << "" << 15000;
    QTest::newRow("server greets with 421")
        << "occupato" << CodiceFtp::Risposta + 421
        << "Il server ha chiuso la connessione (servizio non disponibile o troppi collegamenti): riprovare più "
           "tardi.\nRisposta del server: 421 Troppi collegamenti, riprovare piu' tardi."
        << 2000;
    const QString inutilizzabile = QStringLiteral(
        "Il server ha indicato per la connessione dei dati un indirizzo non utilizzabile: provare a cambiare la modalità "
        "di connessione (attiva/passiva) nelle impostazioni FTP avanzate.\nRisposta del server: ");
    QTest::newRow("PASV reply with port 0") << "PASV=227 Entering Passive Mode (127,0,0,1,0,0)"
                                            << CodiceFtp::ConnessioneDati
                                            << inutilizzabile + "227 Entering Passive Mode (127,0,0,1,0,0)" << 5000;
    QTest::newRow("PASV reply with a number beyond a byte")
        << "PASV=227 Entering Passive Mode (127,0,0,1,300,1)" << CodiceFtp::ConnessioneDati
        << inutilizzabile + "227 Entering Passive Mode (127,0,0,1,300,1)" << 5000;
}

// Each failure comes back as its own result, in bounded time, said in
// Italian: the log's own lines ("* ") say the same, and nothing of
// libcurl's words reaches it.
void TestFtp::failures()
{
    QFETCH(QString, caso);
    QFETCH(int, codice);
    QFETCH(QString, messaggio);
    QFETCH(int, entroMs);
    QTemporaryDir radice, cartella;
    ServerFtp::Guasti g;
    g.siFermaAlLogin = caso == QLatin1String("login");
    g.occupato = caso == QLatin1String("occupato");
    if (caso.contains(u'='))
        g.risposte << caso << QStringLiteral("EPSV=500 EPSV non disponibile.");
    ServerFtp s(radice.path(), g);
    QVERIFY(s.avviato());
    QStringList righe;
    auto c = componente(s, &righe);
    if (caso == QLatin1String("porta"))
        c->porta = 1;
    if (caso != QLatin1String("locale"))
        scrivi(cartella.path() + QStringLiteral("/a.jpg"), "a");
    QElapsedTimer t;
    t.start();
    RisultatoFtp r = c->connetti();
    if (r.riuscito())
        r = c->invia(cartella.path() + QStringLiteral("/a.jpg"), QStringLiteral("a.jpg"));
    QCOMPARE(r.codice, codice);
    QVERIFY(!r.testo.isEmpty());
    if (!messaggio.isEmpty())
        QCOMPARE(r.messaggio(), messaggio);
    QVERIFY2(t.elapsed() < entroMs, qPrintable(QString::number(t.elapsed())));
    for (const QString &riga : righe)
        if (riga.startsWith(QLatin1String("* ")))
            QCOMPARE(riga, QStringLiteral("* ") + r.testo);
}

// The server's disk fills while a large file goes: the server cuts the
// data connection and replies 552. Whichever the component notices first,
// the result is the server's reply, never a dropped connection, time after
// time.
void TestFtp::fullDiskMidFile()
{
    QTemporaryDir radice, cartella;
    ServerFtp::Guasti g;
    g.discoPienoDurante = QStringLiteral("grande.jpg");
    ServerFtp s(radice.path(), g);
    QVERIFY(s.avviato());
    scrivi(cartella.path() + QStringLiteral("/grande.jpg"), QByteArray(3 * 1024 * 1024, 'g'));
    for (int volta = 0; volta < 8; ++volta) {
        QStringList righe;
        auto c = componente(s, &righe);
        QCOMPARE(c->connetti().codice, 0);
        const RisultatoFtp r = c->invia(cartella.path() + QStringLiteral("/grande.jpg"), QStringLiteral("grande.jpg"));
        QVERIFY2(r.codice == CodiceFtp::Risposta + 552, qPrintable(QString::number(volta) + u' ' + r.messaggio()));
        QVERIFY(r.testo.startsWith(QStringLiteral("Spazio esaurito sul server")));
        QVERIFY(r.risposta.startsWith(QStringLiteral("552 ")));
        QVERIFY(righe.contains(r.risposta));
    }
}

// The server has closed the idle cached connection without a word, and
// libcurl logs in again for the next store: when the disk fills during that
// store, the result is the new connection's reply, never a dropped
// connection, time after time.
void TestFtp::fullDiskOnNewConnection()
{
    QTemporaryDir cartella;
    scrivi(cartella.path() + QStringLiteral("/grande.jpg"), QByteArray(3 * 1024 * 1024, 'g'));
    for (int volta = 0; volta < 3; ++volta) {
        QTemporaryDir radice;
        ServerFtp::Guasti g;
        g.discoPienoDurante = QStringLiteral("grande.jpg");
        g.primaCadeDopoMs = 100;
        ServerFtp s(radice.path(), g);
        QVERIFY(s.avviato());
        QStringList righe;
        auto c = componente(s, &righe);
        QCOMPARE(c->connetti().codice, 0);
        QThread::msleep(500);
        const RisultatoFtp r = c->invia(cartella.path() + QStringLiteral("/grande.jpg"), QStringLiteral("grande.jpg"));
        QVERIFY2(r.codice == CodiceFtp::Risposta + 552, qPrintable(QString::number(volta) + u' ' + r.messaggio()));
        QVERIFY(r.risposta.startsWith(QStringLiteral("552 ")));
        QCOMPARE(righe.count(QStringLiteral("220 FTP di prova")), 2);
    }
}

void TestFtp::interruptIsPrompt_data()
{
    QTest::addColumn<QString>("dove");
    QTest::newRow("transfer stalled on the server") << "server";
    QTest::newRow("transfer stalled behind a firewall gateway") << "gateway";
    QTest::newRow("transfer stalled behind a Proxy USER firewall") << "USER";
    QTest::newRow("transfer stalled behind a Simple Pipe firewall") << "PIPE";
    QTest::newRow("firewall silent after the connection") << "muto";
}

// An interruption from another thread ends at once, not at the end of the
// time-out: a transfer stalled on a server that has stopped answering,
// directly or through the relay of a firewall gateway, and the talk with a
// firewall that never greets.
void TestFtp::interruptIsPrompt()
{
    QFETCH(QString, dove);
    const bool firewallMuto = dove == QLatin1String("muto");
    QTemporaryDir radice, cartella;
    ServerFtp::Guasti g;
    g.siFermaDurante = QStringLiteral("fermo.jpg");
    ServerFtp s(radice.path(), g);
    QVERIFY(s.avviato());
    scrivi(cartella.path() + QStringLiteral("/fermo.jpg"), QByteArray(8 * 1024 * 1024, 'z'));
    auto c = componente(s);
    c->attese = {60000, 60000, 60000};
    std::optional<GatewayFtp> gateway;
    std::optional<AscoltoMuto> muto;
    if (dove == QLatin1String("gateway")) {
        gateway.emplace(GatewayFtp::Opzioni{
            QStringLiteral("SITE"), {}, {}, {QStringLiteral("127.0.0.1:%1=127.0.0.1:%1").arg(s.porta())}, {}});
        c->firewall = {int(TipoFirewall::ProxySite), QStringLiteral("127.0.0.1"), gateway->porta(), {}, {}};
    }
    if (dove == QLatin1String("USER") || dove == QLatin1String("PIPE")) {
        gateway.emplace(
            GatewayFtp::Opzioni{dove, {}, {}, {QStringLiteral("127.0.0.1:%1=127.0.0.1:%1").arg(s.porta())}, {}, true});
        c->firewall = {int(dove == QLatin1String("USER") ? TipoFirewall::ProxyUser : TipoFirewall::SimplePipe),
                       QStringLiteral("127.0.0.1"), gateway->porta(), {}, {}};
    }
    if (firewallMuto) {
        muto.emplace();
        c->firewall = {int(TipoFirewall::ProxySite), QStringLiteral("127.0.0.1"), muto->porta(), {}, {}};
    } else {
        QCOMPARE(c->connetti().codice, 0);
    }
    QElapsedTimer t;
    QThread *annulla = QThread::create([&] {
        QThread::msleep(800);
        t.start();
        c->interrompi();
    });
    annulla->start();
    const RisultatoFtp r = firewallMuto
        ? c->connetti()
        : c->invia(cartella.path() + QStringLiteral("/fermo.jpg"), QStringLiteral("fermo.jpg"));
    const qint64 dopo = t.elapsed();
    annulla->wait();
    delete annulla;
    QCOMPARE(r.codice, CodiceFtp::Interrotto);
    QVERIFY2(dopo < 1000, qPrintable(QString::number(dopo)));
    QElapsedTimer chiusura;
    chiusura.start();
    c.reset();
    QVERIFY(chiusura.elapsed() < 1000);
}

void TestFtp::throughFirewallGateway_data()
{
    QTest::addColumn<QString>("comando");
    QTest::addColumn<int>("tipo");
    QTest::addColumn<bool>("attiva");
    QTest::addColumn<bool>("accessoFirewall");
    QTest::addColumn<bool>("portaNelNome");
    for (const auto &[comando, tipo] : {std::pair{"SITE", TipoFirewall::ProxySite},
                                        std::pair{"PROXY", TipoFirewall::ProxyProxy},
                                        std::pair{"OPEN", TipoFirewall::ProxyOpen}})
        for (bool attiva : {false, true})
            QTest::addRow("Proxy %s, %s", comando, attiva ? "active" : "passive")
                << QString::fromLatin1(comando) << int(tipo) << attiva << true << false;
    QTest::newRow("Proxy SITE without a firewall login")
        << "SITE" << int(TipoFirewall::ProxySite) << false << false << false;
    QTest::newRow("Proxy SITE, host given as name:port")
        << "SITE" << int(TipoFirewall::ProxySite) << false << true << true;
}

// The firewalls that want their own login and then the server's name by a
// command: the component talks to the firewall, logs in to the server
// through it, and everything after the login works as on a direct
// connection, in passive and active mode. The server's name is known only
// to the firewall, and no data connection reaches the server but through
// the firewall; neither password is ever shown. A host given as
// "name:port" keeps its own port, whatever the port setting says.
void TestFtp::throughFirewallGateway()
{
    QFETCH(QString, comando);
    QFETCH(int, tipo);
    QFETCH(bool, attiva);
    QFETCH(bool, accessoFirewall);
    QFETCH(bool, portaNelNome);
    QTemporaryDir radice, cartella;
    ServerFtp s(radice.path());
    QVERIFY(s.avviato());
    const QString registro = cartella.path() + QStringLiteral("/gateway.log");
    GatewayFtp::Opzioni o{comando, {}, {}, {QStringLiteral("ftp.negozio.invalid:%1=127.0.0.1:%1").arg(s.porta())}, registro};
    if (accessoFirewall) {
        o.utente = QStringLiteral("guardia");
        o.password = QStringLiteral("chiave-del-firewall");
    }
    GatewayFtp firewall(o);
    QVERIFY2(firewall.avviato(), qPrintable(firewall.errore()));
    QStringList righe;
    auto c = componente(s, &righe);
    c->host = QStringLiteral("ftp.negozio.invalid");
    if (portaNelNome) {
        c->host += u':' + QString::number(s.porta());
        c->porta = 2200;
    }
    c->attiva = attiva;
    c->firewall = {tipo, QStringLiteral("127.0.0.1"), firewall.porta(), o.utente, o.password};
    QStringList elenco;
    c->rigaElenco = [&](const QString &r) { elenco << r; };

    QByteArray foto(300000, 'f');
    for (int i = 0; i < foto.size(); i += 101)
        foto[i] = char(i % 251);
    scrivi(cartella.path() + QStringLiteral("/foto.jpg"), foto);
    scrivi(cartella.path() + QStringLiteral("/vtorder.pl"), "#!/usr/bin/perl\r\nprint 1;\r\n");
    scrivi(cartella.path() + QStringLiteral("/banca.ris"), "due\r\n");
    scrivi(radice.path() + QStringLiteral("/cgi/banca.ris"), "uno\n");
    const RisultatoFtp r = c->connetti();
    QVERIFY2(r.riuscito(), qPrintable(r.messaggio()));
    QCOMPARE(c->creaCartella(QStringLiteral("www")).codice, 0);
    QCOMPARE(c->cambiaCartella(QStringLiteral("www")).codice, 0);
    QCOMPARE(c->invia(cartella.path() + QStringLiteral("/foto.jpg"), QStringLiteral("foto.jpg")).codice, 0);
    QCOMPARE(c->elenca().codice, 0);
    QCOMPARE(c->elenca(true).codice, 0);
    QCOMPARE(c->cambiaCartella(QStringLiteral("../cgi")).codice, 0);
    c->binario = false;
    QCOMPARE(c->invia(cartella.path() + QStringLiteral("/vtorder.pl"), QStringLiteral("vtorder.pl")).codice, 0);
    QCOMPARE(c->invia(cartella.path() + QStringLiteral("/banca.ris"), QStringLiteral("banca.ris"), true).codice, 0);
    QCOMPARE(c->comando(QStringLiteral("SITE chmod 755 vtorder.pl")).codice, 0);
    QCOMPARE(c->esci().codice, 0);

    QCOMPARE(leggi(radice.path() + QStringLiteral("/www/foto.jpg")), foto);
    QCOMPARE(leggi(radice.path() + QStringLiteral("/cgi/vtorder.pl")), QByteArray("#!/usr/bin/perl\nprint 1;\n"));
    QCOMPARE(leggi(radice.path() + QStringLiteral("/cgi/banca.ris")), QByteArray("uno\ndue\n"));
    QVERIFY(QFileInfo(radice.path() + QStringLiteral("/cgi/vtorder.pl")).permissions() & QFileDevice::ExeOther);
    QCOMPARE(elenco.size(), 2);
    QVERIFY(elenco.first().endsWith(QLatin1String(" foto.jpg")));
    QCOMPARE(elenco.last(), QStringLiteral("foto.jpg"));

    const QString server = QStringLiteral("ftp.negozio.invalid:%1").arg(s.porta());
    QVERIFY(righe.contains(comando + u' ' + server));
    QVERIFY(QString::fromUtf8(leggi(registro)).contains(comando + u' ' + server));
    // The server's greeting, passed on by the gateway, is in the log once,
    // after the command that asked for it and before the login.
    const QString saluto = QStringLiteral("220 FTP di prova");
    QCOMPARE(righe.count(saluto), 1);
    QVERIFY(righe.indexOf(comando + u' ' + server) < righe.indexOf(saluto));
    QVERIFY(righe.indexOf(saluto) < righe.indexOf(QStringLiteral("USER ") + ServerFtp::utente()));
    QCOMPARE(righe.count(QStringLiteral("PASS (hidden)")), accessoFirewall ? 2 : 1);
    const QString log = righe.join(u'\n');
    QVERIFY(!log.contains(ServerFtp::password()) && !log.contains(QStringLiteral("chiave-del-firewall")));
    QCOMPARE(!righe.filter(QRegularExpression(QStringLiteral("^(EPRT|PORT) "))).isEmpty(), attiva);
}

void TestFtp::firewallRefusals_data()
{
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QString>("caso");
    QTest::addColumn<int>("codice");
    QTest::addColumn<QString>("messaggio");
    const int site = int(TipoFirewall::ProxySite), user = int(TipoFirewall::ProxyUser);
    QTest::newRow("wrong firewall password")
        << site << "password" << 20530
        << "Il firewall '127.0.0.1' ha rifiutato l'accesso: controllare il nome utente e la password del firewall "
           "nelle impostazioni FTP avanzate.\nRisposta del firewall: 530 Accesso al firewall negato";
    QTest::newRow("firewall login wanted but not given")
        << site << "senza utente" << 20530
        << "Il firewall '127.0.0.1' chiede un accesso che non è stato indicato: inserire il nome utente e la password "
           "del firewall nelle impostazioni FTP avanzate.\nRisposta del firewall: 530 Prima l'accesso al firewall";
    const QString sconosciuto = QStringLiteral(
        "Il firewall '127.0.0.1' non si è collegato al server 'altro.invalid:{server}': controllare il nome dell'host "
        "nella scheda \"Internet\" e la porta FTP nelle impostazioni avanzate.\nRisposta del firewall: 550 Host "
        "sconosciuto: altro.invalid:{server}");
    QTest::newRow("server name the firewall does not know") << site << "host" << 20550 << sconosciuto;
    QTest::newRow("Proxy USER, server name the firewall does not know") << user << "host" << 20550 << sconosciuto;
    const QString spento = QStringLiteral(
        "Impossibile connettersi al firewall '127.0.0.1' sulla porta {libera}: controllare il nome e la porta del "
        "firewall nelle impostazioni FTP avanzate.");
    QTest::newRow("nobody listening at the firewall") << site << "porta" << int(CodiceFtp::Connessione) << spento;
    QTest::newRow("nobody listening at a Proxy USER firewall") << user << "porta" << int(CodiceFtp::Connessione) << spento;
    QTest::newRow("nobody listening at a Simple Pipe firewall")
        << int(TipoFirewall::SimplePipe) << "porta" << int(CodiceFtp::Connessione) << spento;
    QTest::newRow("Proxy USER firewall that does not take the server's name with the user name")
        << user << "non capito" << 20500
        << "Il firewall '127.0.0.1' non accetta il nome del server insieme al nome utente (USER "
           "negozio@ftp.negozio.invalid:{server}): controllare il tipo di firewall nelle impostazioni FTP avanzate."
           "\nRisposta del firewall: 500 USER negozio@ftp.negozio.invalid:{server} not understood here";
    const QString occupato = QStringLiteral(
        "Il server 'ftp.negozio.invalid:{server}' ha chiuso la connessione (servizio non disponibile o troppi "
        "collegamenti): riprovare più tardi.\nRisposta del server: 421 Troppi collegamenti, riprovare piu' tardi.");
    for (const auto &[nome, tipo] : {std::pair{"SITE", TipoFirewall::ProxySite},
                                     std::pair{"PROXY", TipoFirewall::ProxyProxy},
                                     std::pair{"OPEN", TipoFirewall::ProxyOpen}})
        QTest::addRow("server busy behind a Proxy %s firewall", nome) << int(tipo) << "occupato" << 20421 << occupato;
    QTest::newRow("server busy behind a Proxy USER firewall") << user << "occupato" << 20421 << occupato;
    QTest::newRow("firewall name unknown")
        << site << "nome" << int(CodiceFtp::Connessione)
        << "Impossibile trovare il firewall 'firewall.invalid': controllare il nome del firewall nelle impostazioni FTP "
           "avanzate.";
    QTest::newRow("firewall that never greets")
        << site << "muto" << int(CodiceFtp::TempoScaduto) << "Il firewall '127.0.0.1' non risponde: tempo scaduto.";
    QTest::newRow("line break in the server name")
        << site << "a capo" << int(CodiceFtp::NomeNonValido)
        << "Il nome dell'host contiene un a capo o un altro carattere non ammesso: correggerlo.";
}

// Each refusal comes back named in Italian, in bounded time, saying whose
// reply it is (the firewall's, or the server's passed on by it) and what
// to do; nothing reaches the server.
void TestFtp::firewallRefusals()
{
    QFETCH(int, tipo);
    QFETCH(QString, caso);
    QFETCH(int, codice);
    QFETCH(QString, messaggio);
    QTemporaryDir radice;
    ServerFtp::Guasti g;
    g.occupato = caso == QLatin1String("occupato");
    ServerFtp s(radice.path(), g);
    QVERIFY(s.avviato());
    const QString server = QStringLiteral("ftp.negozio.invalid:%1").arg(s.porta());
    const char *comandi[] = {"USER", "SITE", "PROXY", "OPEN", "PIPE"};
    GatewayFtp firewall({QString::fromLatin1(comandi[tipo - int(TipoFirewall::ProxyUser)]), QStringLiteral("guardia"),
                         QStringLiteral("giusta"), {server + QStringLiteral("=127.0.0.1:%1").arg(s.porta())}, {}});
    QVERIFY(firewall.avviato());
    // A firewall that takes no "USER user@host": the test server stands in
    // for it.
    ServerFtp::Guasti nonCapito;
    nonCapito.risposte << QStringLiteral("USER=500 USER negozio@%1 not understood here").arg(server);
    std::optional<ServerFtp> altroFirewall;
    if (caso == QLatin1String("non capito")) {
        altroFirewall.emplace(radice.path(), nonCapito);
        QVERIFY(altroFirewall->avviato());
    }
    AscoltoMuto muto;
    const int libera = portaLibera();
    auto c = componente(s);
    c->host = caso == QLatin1String("host") ? QStringLiteral("altro.invalid")
        : caso == QLatin1String("a capo")   ? QStringLiteral("ftp.negozio.invalid\r\nDELE index.htm")
                                            : QStringLiteral("ftp.negozio.invalid");
    c->firewall = {tipo, QStringLiteral("127.0.0.1"), firewall.porta(), QStringLiteral("guardia"),
                   caso == QLatin1String("password") ? QStringLiteral("sbagliata") : QStringLiteral("giusta")};
    if (caso == QLatin1String("porta"))
        c->firewall.porta = libera;
    if (caso == QLatin1String("senza utente"))
        c->firewall.user = c->firewall.password = QString();
    if (caso == QLatin1String("nome"))
        c->firewall.host = QStringLiteral("firewall.invalid");
    if (caso == QLatin1String("muto"))
        c->firewall.porta = muto.porta();
    if (altroFirewall)
        c->firewall.porta = altroFirewall->porta();
    QElapsedTimer t;
    t.start();
    const RisultatoFtp r = c->connetti();
    QCOMPARE(r.messaggio(), QString(messaggio)
                                .replace(QLatin1String("{server}"), QString::number(s.porta()))
                                .replace(QLatin1String("{libera}"), QString::number(libera)));
    QCOMPARE(r.codice, codice);
    QVERIFY2(t.elapsed() < 10000, qPrintable(QString::number(t.elapsed())));
}

void TestFtp::gatewayPassingOnlyControl_data()
{
    QTest::addColumn<QString>("comando");
    QTest::addColumn<int>("tipo");
    QTest::addColumn<bool>("attiva");
    QTest::addColumn<bool>("terzoIndirizzo");
    QTest::newRow("Proxy SITE, passive") << "SITE" << int(TipoFirewall::ProxySite) << false << false;
    QTest::newRow("Proxy SITE, active") << "SITE" << int(TipoFirewall::ProxySite) << true << false;
    QTest::newRow("Proxy PROXY, passive") << "PROXY" << int(TipoFirewall::ProxyProxy) << false << false;
    QTest::newRow("Proxy OPEN, active") << "OPEN" << int(TipoFirewall::ProxyOpen) << true << false;
    QTest::newRow("Proxy SITE, passive reply naming a third address")
        << "SITE" << int(TipoFirewall::ProxySite) << false << true;
    for (const auto &[comando, tipo, nome] : {std::tuple{"USER", TipoFirewall::ProxyUser, "Proxy USER"},
                                              std::tuple{"PIPE", TipoFirewall::SimplePipe, "Simple Pipe"}}) {
        for (bool attiva : {false, true})
            QTest::addRow("%s, %s", nome, attiva ? "active" : "passive")
                << QString::fromLatin1(comando) << int(tipo) << attiva << false;
        QTest::addRow("%s, passive reply naming a third address", nome)
            << QString::fromLatin1(comando) << int(tipo) << false << true;
    }
}

// A gateway on 127.0.0.1 that passes only the control connection to a
// server on 127.0.0.2: the passive data connection goes to the server's
// own address its reply names, and in active mode the server's connection,
// which comes from its own address, is taken; promptly, both ways. A reply
// naming a third address is never followed: the failure is the relay's own
// reply, said as the program's, not the server's. The log holds what went
// to the server and came from it: PASV and the server's own 227 reply.
void TestFtp::gatewayPassingOnlyControl()
{
    QFETCH(QString, comando);
    QFETCH(int, tipo);
    QFETCH(bool, attiva);
    QFETCH(bool, terzoIndirizzo);
    QTemporaryDir radice, cartella;
    ServerFtp::Guasti g;
    g.indirizzo = QStringLiteral("127.0.0.2");
    std::optional<AscoltoMuto> terzo;
    if (terzoIndirizzo) {
        g.portaPassiva = portaLibera();
        g.mascheraPassiva = QStringLiteral("127.0.0.3");
        terzo.emplace("127.0.0.3", g.portaPassiva);
    }
    ServerFtp s(radice.path(), g);
    QVERIFY2(s.avviato(), qPrintable(s.errore()));
    const QString server = QStringLiteral("127.0.0.2:%1").arg(s.porta());
    GatewayFtp firewall({comando, {}, {}, {server + u'=' + server}, {}, true});
    QVERIFY2(firewall.avviato(), qPrintable(firewall.errore()));
    QStringList righe;
    auto c = componente(s, &righe);
    c->host = QStringLiteral("127.0.0.2");
    c->attiva = attiva;
    c->firewall = {tipo, QStringLiteral("127.0.0.1"), firewall.porta(), {}, {}};
    scrivi(cartella.path() + QStringLiteral("/a.htm"), "solo controllo");
    QElapsedTimer t;
    t.start();
    QCOMPARE(c->connetti().codice, 0);
    const RisultatoFtp r = c->invia(cartella.path() + QStringLiteral("/a.htm"), QStringLiteral("a.htm"));
    QVERIFY2(t.elapsed() < 10000, qPrintable(QString::number(t.elapsed())));
    if (!attiva) {
        const QString log = righe.join(u'\n');
        QVERIFY2(righe.contains(QStringLiteral("PASV")) && !righe.contains(QStringLiteral("EPSV")), qPrintable(log));
        const QString nominato = terzoIndirizzo ? QStringLiteral("127,0,0,3,") : QStringLiteral("127,0,0,2,");
        const QStringList passive = righe.filter(QRegularExpression(QStringLiteral("^227 ")));
        QVERIFY2(!passive.isEmpty() && passive.filter(QStringLiteral("(") + nominato) == passive, qPrintable(log));
        QVERIFY2(righe.filter(QRegularExpression(QStringLiteral("^(229 |227 .*\\(127,0,0,1,)"))).isEmpty(), qPrintable(log));
    }
    if (terzoIndirizzo) {
        QCOMPARE(r.codice, CodiceFtp::ConnessioneDati);
        const QString propria = QStringLiteral("Impossibile aprire la connessione dei dati verso 127.0.0.1:%1.")
                                    .arg(g.portaPassiva);
        QCOMPARE(r.messaggio(), QStringLiteral("Impossibile aprire la connessione dei dati con il server.\nRisposta di "
                                               "Vetrasto (non del server): 425 ")
                                    + propria);
        QVERIFY(righe.contains(QStringLiteral("* ") + propria));
        QVERIFY(righe.filter(QStringLiteral("425 ")).isEmpty());
        QVERIFY(!terzo->contattato());
        QVERIFY(!QFile::exists(radice.path() + QStringLiteral("/a.htm")));
        return;
    }
    QVERIFY2(r.riuscito(), qPrintable(r.messaggio() + u'\n' + righe.join(u'\n')));
    QStringList elenco;
    c->rigaElenco = [&](const QString &riga) { elenco << riga; };
    QCOMPARE(c->elenca(true).codice, 0);
    QCOMPARE(elenco, QStringList{QStringLiteral("a.htm")});
    QCOMPARE(c->esci().codice, 0);
    QCOMPARE(leggi(radice.path() + QStringLiteral("/a.htm")), QByteArray("solo controllo"));
    QCOMPARE(!righe.filter(QRegularExpression(QStringLiteral("^(EPRT|PORT) "))).isEmpty(), attiva);
    // A "USER user@host" gateway greets with its own line, and the server's
    // greeting stays with the gateway.
    QCOMPARE(righe.count(QStringLiteral("220 FTP di prova")), comando == QLatin1String("USER") ? 0 : 1);
    QVERIFY2(t.elapsed() < 10000, qPrintable(QString::number(t.elapsed())));
}

void TestFtp::unreadablePassiveReply_data()
{
    QTest::addColumn<QString>("risposta");
    QTest::newRow("address with spaces after its commas") << "227 Entering Passive Mode (127, 0, 0, 3, {p1}, {p2})";
    QTest::newRow("extended reply without its closing parenthesis") << "229 Entering Extended Passive Mode (|||{p}|";
    QTest::newRow("address at the head of an over-long line")
        << "227 (127,0,0,3,{p1},{p2})" + QString(120000, u' ') + "fine";
}

// A passive reply the relay cannot follow as it reads it is never handed to
// libcurl as it came: libcurl would connect to the port it names on the
// relay's own address, a service of the merchant's machine. Nothing is
// connected, not on the machine and not at the third address; the log
// has PASV and the server's reply, and the failure is the relay's own.
void TestFtp::unreadablePassiveReply()
{
    QFETCH(QString, risposta);
    QTemporaryDir radice, cartella;
    const int p = portaLibera();
    AscoltoMuto qui("127.0.0.1", p), terzo("127.0.0.3", p);
    ServerFtp::Guasti g;
    g.indirizzo = QStringLiteral("127.0.0.2");
    risposta.replace(QLatin1String("{p1}"), QString::number(p >> 8))
        .replace(QLatin1String("{p2}"), QString::number(p & 255))
        .replace(QLatin1String("{p}"), QString::number(p));
    g.risposte << QStringLiteral("PASV=") + risposta;
    ServerFtp s(radice.path(), g);
    QVERIFY2(s.avviato(), qPrintable(s.errore()));
    const QString server = QStringLiteral("127.0.0.2:%1").arg(s.porta());
    GatewayFtp::Opzioni o{QStringLiteral("PIPE"), {}, {}, {server + u'=' + server}, {}, true};
    o.indirizzo = QStringLiteral("127.0.0.4");
    GatewayFtp firewall(o);
    QVERIFY2(firewall.avviato(), qPrintable(firewall.errore()));
    QStringList righe;
    auto c = componente(s, &righe);
    c->host = QStringLiteral("127.0.0.2");
    c->firewall = {int(TipoFirewall::SimplePipe), QStringLiteral("127.0.0.4"), firewall.porta(), {}, {}};
    scrivi(cartella.path() + QStringLiteral("/a.htm"), "mai");
    QElapsedTimer t;
    t.start();
    QCOMPARE(c->connetti().codice, 0);
    const RisultatoFtp r = c->invia(cartella.path() + QStringLiteral("/a.htm"), QStringLiteral("a.htm"));
    const QString log = righe.join(u'\n');
    QVERIFY2(t.elapsed() < 10000, qPrintable(QString::number(t.elapsed())));
    QVERIFY2(!qui.contattato(), qPrintable(log));
    QVERIFY2(!terzo.contattato(), qPrintable(log));
    QCOMPARE(r.codice, CodiceFtp::ConnessioneDati);
    QCOMPARE(r.fonte, RisultatoFtp::Fonte::Programma);
    QVERIFY2(righe.contains(QStringLiteral("PASV")), qPrintable(log));
    // Every passive reply in the log is the server's.
    const QStringList passive = righe.filter(QRegularExpression(QStringLiteral("^22[79] ")));
    QVERIFY2(!passive.isEmpty(), qPrintable(log));
    for (const QString &riga : passive)
        QVERIFY2(riga.startsWith(risposta.left(30)), qPrintable(log));
    QVERIFY(!QFile::exists(radice.path() + QStringLiteral("/a.htm")));
}

void TestFtp::gatewayGoneMidTransfer_data()
{
    QTest::addColumn<QString>("comando");
    QTest::addColumn<int>("tipo");
    QTest::addColumn<bool>("soloControllo");
    QTest::addColumn<bool>("attiva");
    QTest::newRow("Proxy SITE, passive") << "SITE" << int(TipoFirewall::ProxySite) << false << false;
    QTest::newRow("Proxy USER, passive") << "USER" << int(TipoFirewall::ProxyUser) << true << false;
    QTest::newRow("Simple Pipe, active") << "PIPE" << int(TipoFirewall::SimplePipe) << true << true;
}

// A firewall that goes away in the middle of a file ends the transfer
// promptly with a failure said in Italian, never a success.
void TestFtp::gatewayGoneMidTransfer()
{
    QFETCH(QString, comando);
    QFETCH(int, tipo);
    QFETCH(bool, soloControllo);
    QFETCH(bool, attiva);
    QTemporaryDir radice, cartella;
    ServerFtp::Guasti g;
    g.byteAlSecondo = 256 * 1024;
    ServerFtp s(radice.path(), g);
    QVERIFY(s.avviato());
    const QString server = QStringLiteral("127.0.0.1:%1").arg(s.porta());
    GatewayFtp firewall({comando, {}, {}, {server + u'=' + server}, {}, soloControllo});
    QVERIFY2(firewall.avviato(), qPrintable(firewall.errore()));
    QStringList righe;
    auto c = componente(s, &righe);
    c->attiva = attiva;
    c->attese = {5000, 30000, 30000};
    c->firewall = {tipo, QStringLiteral("127.0.0.1"), firewall.porta(), {}, {}};
    scrivi(cartella.path() + QStringLiteral("/grande.jpg"), QByteArray(4 * 1024 * 1024, 'g'));
    QCOMPARE(c->connetti().codice, 0);
    QElapsedTimer t;
    QThread *ferma = QThread::create([&] {
        QThread::msleep(1000);
        t.start();
        ::kill(pid_t(firewall.pid()), SIGKILL);
    });
    ferma->start();
    const RisultatoFtp r = c->invia(cartella.path() + QStringLiteral("/grande.jpg"), QStringLiteral("grande.jpg"));
    const qint64 dopo = t.elapsed();
    ferma->wait();
    delete ferma;
    QVERIFY2(dopo < 5000, qPrintable(QString::number(dopo)));
    QCOMPARE(r.messaggio(),
             QStringLiteral("La connessione con il server si è interrotta durante l'invio del file 'grande.jpg'."));
    QVERIFY(righe.last().startsWith(QStringLiteral("* La connessione con il server si è interrotta")));
}

void TestFtp::throughSocksProxy_data()
{
    QTest::addColumn<int>("tipo");
    QTest::addColumn<bool>("attiva");
    QTest::addColumn<bool>("conBind");
    QTest::addColumn<bool>("portaNelNome");
    for (int tipo : {int(TipoFirewall::Socks4), int(TipoFirewall::Socks5)}) {
        const int versione = tipo == int(TipoFirewall::Socks4) ? 4 : 5;
        for (bool attiva : {false, true})
            QTest::addRow("Socks %d, %s", versione, attiva ? "active" : "passive") << tipo << attiva << true << false;
        QTest::addRow("Socks %d, active, host given as address:port", versione) << tipo << true << true << true;
    }
    QTest::newRow("Socks 5, active, BIND refused by the proxy") << int(TipoFirewall::Socks5) << true << false << false;
}

// The Socks firewall types reach the server through a real proxy (Debian's
// dante-server) whose connections leave from 127.0.0.2, to a server that
// takes data connections only with the address its control connection
// comes from: every data connection, passive or active (the proxy's BIND),
// goes through the proxy. With the proxy gone, nothing reaches the server.
// A host given as "address:port" keeps its own port.
void TestFtp::throughSocksProxy()
{
    QFETCH(int, tipo);
    QFETCH(bool, attiva);
    QFETCH(bool, conBind);
    QFETCH(bool, portaNelNome);
    if (!ProxySocks::installato())
        QSKIP("dante-server is not installed (scripts/install-deps installs it)");
    QTemporaryDir radice, cartella;
    ServerFtp::Guasti g;
    g.stretto = true;
    g.portaPassiva = portaLibera();
    ServerFtp s(radice.path(), g);
    QVERIFY(s.avviato());
    ProxySocks proxy(cartella.path(), conBind, QStringLiteral("127.0.0.2"));
    QVERIFY(proxy.avviato());
    scrivi(cartella.path() + QStringLiteral("/a.htm"), "via proxy");
    QStringList righe;
    auto connetti = [&] {
        auto c = componente(s, &righe);
        if (portaNelNome) {
            c->host += u':' + QString::number(s.porta());
            c->porta = 2200;
        }
        c->attiva = attiva;
        c->firewall = {tipo, QStringLiteral("127.0.0.1"), proxy.porta(), {}, {}};
        return c;
    };
    auto c = connetti();
    RisultatoFtp r = c->connetti();
    QVERIFY2(r.riuscito(), qPrintable(r.testo));
    r = c->invia(cartella.path() + QStringLiteral("/a.htm"), QStringLiteral("a.htm"));
    if (!conBind) {
        QCOMPARE(r.codice, CodiceFtp::ConnessioneDati);
        QVERIFY2(r.messaggio().contains(QStringLiteral("Il proxy Socks '127.0.0.1' non ha aperto la connessione attiva "
                                                       "dei dati (non permesso dalle regole del proxy): scegliere la "
                                                       "connessione passiva nelle impostazioni FTP avanzate.")),
                 qPrintable(r.messaggio()));
        QVERIFY(!QFile::exists(radice.path() + QStringLiteral("/a.htm")));
        return;
    }
    QVERIFY2(r.riuscito(), qPrintable(r.messaggio() + u'\n' + righe.join(u'\n')));
    QCOMPARE(c->comando(QStringLiteral("SITE chmod 755 a.htm")).codice, 0);
    QCOMPARE(c->esci().codice, 0);
    QCOMPARE(leggi(radice.path() + QStringLiteral("/a.htm")), QByteArray("via proxy"));
    QCOMPARE(!righe.filter(QRegularExpression(QStringLiteral("^(EPRT|PORT) "))).isEmpty(), attiva);
    // The log has the server's own passive reply, not the relay's.
    if (!attiva)
        QCOMPARE(righe.filter(QRegularExpression(QStringLiteral("^22[79] "))),
                 righe.filter(QRegularExpression(QStringLiteral("^229 .*\\(\\|\\|\\|%1\\|\\)").arg(g.portaPassiva))));
    proxy.ferma();
    // Without the proxy there is no way to the server.
    QVERIFY(!connetti()->connetti().riuscito());
}

void TestFtp::socksRefusals_data()
{
    QTest::addColumn<QString>("caso");
    QTest::addColumn<int>("tipo");
    QTest::addColumn<bool>("attiva");
    QTest::addColumn<QString>("messaggio");
    const QString rifiutato = QStringLiteral(
        "Il proxy Socks '127.0.0.1' ha rifiutato l'accesso: controllare il nome utente e la password del firewall nelle "
        "impostazioni FTP avanzate.");
    const QString sconosciuto = QStringLiteral(
        "Il proxy Socks '127.0.0.1' non si è collegato al server 'ftp.negozio.invalid:{server}' (%1): controllare il "
        "nome dell'host nella scheda \"Internet\" e la porta FTP nelle impostazioni avanzate.");
    const QString sconosciuto4 = QStringLiteral(
        "Impossibile trovare il server 'ftp.negozio.invalid': il proxy Socks 4 '127.0.0.1' raggiunge un server solo per "
        "indirizzo IPv4, e il nome non ne dà uno. Controllare il nome dell'host nella scheda \"Internet\" o scegliere "
        "\"Socks 5\" nelle impostazioni FTP avanzate.");
    const QString spento = QStringLiteral(
        "Impossibile connettersi al firewall '127.0.0.1' sulla porta {proxy}: controllare il nome e la porta del "
        "firewall nelle impostazioni FTP avanzate.");
    const int socks5 = int(TipoFirewall::Socks5), socks4 = int(TipoFirewall::Socks4);
    for (bool attiva : {false, true}) {
        const char *modo = attiva ? "active" : "passive";
        QTest::addRow("Socks 5, %s, wrong password", modo) << "password" << socks5 << attiva << rifiutato;
        QTest::addRow("Socks 5, %s, unknown host", modo) << "host" << socks5 << attiva
                                                         << sconosciuto.arg(QStringLiteral("host non raggiungibile"));
        QTest::addRow("Socks 4, %s, unknown host", modo) << "host" << socks4 << attiva << sconosciuto4;
        QTest::addRow("Socks 5, %s, proxy not running", modo) << "spento" << socks5 << attiva << spento;
    }
}

// Whatever the connection mode, a Socks proxy's refusal is said as the
// proxy's answer, naming the proxy, never as a fault of the server.
void TestFtp::socksRefusals()
{
    QFETCH(QString, caso);
    QFETCH(int, tipo);
    QFETCH(bool, attiva);
    QFETCH(QString, messaggio);
    if (caso == QLatin1String("host") && !ProxySocks::installato())
        QSKIP("dante-server is not installed (scripts/install-deps installs it)");
    QTemporaryDir radice, cartella;
    ServerFtp s(radice.path());
    QVERIFY(s.avviato());
    std::optional<ProxySocks> dante;
    std::optional<SocksCheRifiuta> rifiuta;
    int porta = portaLibera();
    if (caso == QLatin1String("host")) {
        dante.emplace(cartella.path());
        QVERIFY(dante->avviato());
        porta = dante->porta();
    } else if (caso == QLatin1String("password")) {
        rifiuta.emplace();
        porta = rifiuta->porta();
    }
    QStringList righe;
    auto c = componente(s, &righe);
    if (caso == QLatin1String("host"))
        c->host = QStringLiteral("ftp.negozio.invalid");
    c->attiva = attiva;
    c->firewall = {tipo, QStringLiteral("127.0.0.1"), porta, QStringLiteral("guardia"), QStringLiteral("sbagliata")};
    QElapsedTimer t;
    t.start();
    const RisultatoFtp r = c->connetti();
    QCOMPARE(r.messaggio(), QString(messaggio)
                                .replace(QLatin1String("{server}"), QString::number(s.porta()))
                                .replace(QLatin1String("{proxy}"), QString::number(porta)));
    QVERIFY2(t.elapsed() < 10000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(righe.filter(QStringLiteral("sbagliata")).isEmpty());
}

void TestFtp::throughProxyUserOrPipe_data()
{
    QTest::addColumn<int>("tipo");
    QTest::addColumn<int>("portaServer");
    QTest::addColumn<QString>("utenteAlFirewall");
    QTest::newRow("Proxy USER") << int(TipoFirewall::ProxyUser) << 21 << "negozio@ftp.negozio.invalid";
    QTest::newRow("Proxy USER, server on another port")
        << int(TipoFirewall::ProxyUser) << 2121 << "negozio@ftp.negozio.invalid:2121";
    QTest::newRow("Simple Pipe") << int(TipoFirewall::SimplePipe) << 21 << "negozio";
}

// Through a "USER user@host" firewall and through a pipe the connection
// goes to the firewall, never to the server's own name (which does not
// resolve here): the test server stands in for the firewall and takes only
// the login the firewall would be given.
void TestFtp::throughProxyUserOrPipe()
{
    QFETCH(int, tipo);
    QFETCH(int, portaServer);
    QFETCH(QString, utenteAlFirewall);
    QTemporaryDir radice, cartella;
    ServerFtp::Guasti g;
    g.utente = utenteAlFirewall;
    ServerFtp firewall(radice.path(), g);
    QVERIFY(firewall.avviato());
    QStringList righe;
    auto c = componente(firewall, &righe);
    c->host = QStringLiteral("ftp.negozio.invalid");
    c->porta = portaServer;
    c->firewall.tipo = tipo;
    c->firewall.host = QStringLiteral("127.0.0.1");
    c->firewall.porta = firewall.porta();
    const RisultatoFtp r = c->connetti();
    QVERIFY2(r.riuscito(), qPrintable(r.messaggio()));
    QVERIFY(righe.contains(QStringLiteral("USER ") + utenteAlFirewall));
    scrivi(cartella.path() + QStringLiteral("/a.htm"), "via firewall");
    QCOMPARE(c->invia(cartella.path() + QStringLiteral("/a.htm"), QStringLiteral("a.htm")).codice, 0);
    QCOMPARE(leggi(radice.path() + QStringLiteral("/a.htm")), QByteArray("via firewall"));
    QCOMPARE(c->esci().codice, 0);
}

// The relay's loopback port is open to every program of the machine: one
// that connects before libcurl gets nothing of the server's session, which
// still waits for this process.
void TestFtp::relayServesOnlyThisProcess()
{
    PonteFtp ponte;
    QString errore;
    QVERIFY2(ponte.avvia(&errore), qPrintable(errore));
    int coppia[2];
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, coppia), 0);
    ponte.consegna(coppia[0], "220 server pronto\r\n");
    const sockaddr_storage dove = ponte.indirizzo();
    // What a socket connected to the relay reads within a second.
    const auto leggi = [&dove]() {
        const int fd = ::socket(dove.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr *>(&dove), LunghezzaDi(dove)) != 0)
            return QByteArray("nessuna connessione");
        timeval limite{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limite, sizeof limite);
        char buf[64];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        ::close(fd);
        return n > 0 ? QByteArray(buf, int(n)) : QByteArray();
    };

    int tubo[2];
    QCOMPARE(::pipe(tubo), 0);
    const pid_t figlio = ::fork();
    QVERIFY(figlio >= 0);
    if (figlio == 0) {
        const QByteArray letto = leggi();
        (void)!::write(tubo[1], letto.constData(), size_t(letto.size()));
        ::_exit(0);
    }
    ::close(tubo[1]);
    int stato = 0;
    ::waitpid(figlio, &stato, 0);
    char buf[64];
    const ssize_t n = ::read(tubo[0], buf, sizeof buf);
    ::close(tubo[0]);
    QCOMPARE(QByteArray(buf, int(std::max<ssize_t>(n, 0))), QByteArray());

    QCOMPARE(leggi(), QByteArray("220 server pronto\r\n"));
    ponte.chiudi();
    ::close(coppia[1]);
}

QTEST_GUILESS_MAIN(TestFtp)
#include "test_ftp.moc"
