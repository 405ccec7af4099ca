// The FTP component against a real server on loopback.
#include "testshop.h"
#include "ftp.h"
#include "serverftp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

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

} // namespace

class TestFtp : public QObject {
    Q_OBJECT
private slots:
    void folders();
    void transfers_data();
    void transfers();
    void listingAndCommands();
    void failures_data();
    void failures();
    void interruptIsPrompt();
    void firewallTypes();
    void throughSocksProxy_data();
    void throughSocksProxy();
    void throughProxyUserOrPipe_data();
    void throughProxyUserOrPipe();
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

void TestFtp::failures_data()
{
    QTest::addColumn<QString>("caso");
    QTest::addColumn<int>("codice");
    // The publisher's tests cover a refused login, a refused file, a
    // dropped connection and a server that stops answering mid-file.
    QTest::newRow("nobody listening") << "porta" << CodiceFtp::Connessione;
    QTest::newRow("server stops answering at login") << "login" << CodiceFtp::TempoScaduto;
    QTest::newRow("missing local file") << "locale" << CodiceFtp::FileLocale;
}

// Each failure comes back as its own result, in bounded time.
void TestFtp::failures()
{
    QFETCH(QString, caso);
    QFETCH(int, codice);
    QTemporaryDir radice, cartella;
    ServerFtp::Guasti g;
    g.siFermaAlLogin = caso == QLatin1String("login");
    ServerFtp s(radice.path(), g);
    QVERIFY(s.avviato());
    auto c = componente(s);
    if (caso == QLatin1String("porta"))
        c->porta = 1;
    QElapsedTimer t;
    t.start();
    RisultatoFtp r = c->connetti();
    if (r.riuscito())
        r = c->invia(cartella.path() + QStringLiteral("/manca.jpg"), QStringLiteral("manca.jpg"));
    QCOMPARE(r.codice, codice);
    QVERIFY(!r.testo.isEmpty());
    QVERIFY2(t.elapsed() < 15000, qPrintable(QString::number(t.elapsed())));
}

// An interruption from another thread ends a transfer stalled on a server
// that has stopped answering at once, not at the end of the time-out.
void TestFtp::interruptIsPrompt()
{
    QTemporaryDir radice, cartella;
    ServerFtp::Guasti g;
    g.siFermaDurante = QStringLiteral("fermo.jpg");
    ServerFtp s(radice.path(), g);
    QVERIFY(s.avviato());
    scrivi(cartella.path() + QStringLiteral("/fermo.jpg"), QByteArray(8 * 1024 * 1024, 'z'));
    auto c = componente(s);
    c->attese = {60000, 60000, 60000};
    QCOMPARE(c->connetti().codice, 0);
    QElapsedTimer t;
    QThread *annulla = QThread::create([&] {
        QThread::msleep(800);
        t.start();
        c->interrompi();
    });
    annulla->start();
    const RisultatoFtp r = c->invia(cartella.path() + QStringLiteral("/fermo.jpg"), QStringLiteral("fermo.jpg"));
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

// Types that need commands at the firewall before the login are refused
// with their own result; the others are driven.
void TestFtp::firewallTypes()
{
    for (int tipo = 0; tipo <= 7; ++tipo)
        QCOMPARE(FirewallSupportato(tipo), tipo < 4 || tipo == 7);
    auto c = CreaComponenteFtp();
    c->host = QStringLiteral("127.0.0.1");
    c->firewall.tipo = int(TipoFirewall::ProxyOpen);
    QCOMPARE(c->connetti().codice, CodiceFtp::NonSupportato);
}

void TestFtp::throughSocksProxy_data()
{
    QTest::addColumn<int>("tipo");
    QTest::newRow("Socks 4") << int(TipoFirewall::Socks4);
    QTest::newRow("Socks 5") << int(TipoFirewall::Socks5);
}

// The SOCKS firewall types reach the server through a real proxy (Debian's
// dante-server, started here on a free port); with the proxy gone, nothing
// reaches the server.
void TestFtp::throughSocksProxy()
{
    QFETCH(int, tipo);
    if (!QFile::exists(QStringLiteral("/usr/sbin/danted")))
        QSKIP("dante-server is not installed (scripts/install-deps installs it)");
    QTemporaryDir radice, cartella;
    ServerFtp s(radice.path());
    QVERIFY(s.avviato());
    const int porta = portaLibera();
    const QString conf = cartella.path() + QStringLiteral("/danted.conf");
    scrivi(conf, QStringLiteral("logoutput: stderr\n"
                                    "internal: 127.0.0.1 port = %1\n"
                                    "external: 127.0.0.1\n"
                                    "socksmethod: none\n"
                                    "clientmethod: none\n"
                                    "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                                    "socks pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n")
                         .arg(porta)
                         .toUtf8());
    QProcess proxy;
    proxy.start(QStringLiteral("/usr/sbin/danted"), {QStringLiteral("-f"), conf, QStringLiteral("-p"),
                                                      cartella.path() + QStringLiteral("/danted.pid"),
                                                      QStringLiteral("-N"), QStringLiteral("1")});
    QVERIFY(proxy.waitForStarted());
    scrivi(cartella.path() + QStringLiteral("/a.htm"), "via proxy");
    auto connetti = [&] {
        auto c = componente(s);
        c->firewall.tipo = tipo;
        c->firewall.host = QStringLiteral("127.0.0.1");
        c->firewall.porta = porta;
        return c;
    };
    RisultatoFtp r;
    for (int i = 0; i < 50; ++i) {  // until the proxy listens
        auto c = connetti();
        r = c->connetti();
        if (r.riuscito()) {
            QCOMPARE(c->invia(cartella.path() + QStringLiteral("/a.htm"), QStringLiteral("a.htm")).codice, 0);
            break;
        }
        QThread::msleep(100);
    }
    QVERIFY2(r.riuscito(), qPrintable(r.testo));
    QCOMPARE(leggi(radice.path() + QStringLiteral("/a.htm")), QByteArray("via proxy"));
    proxy.kill();
    proxy.waitForFinished();
    // Without the proxy there is no way to the server (a child of the proxy
    // may still take the connection for a moment and drop it).
    QVERIFY(!connetti()->connetti().riuscito());
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

QTEST_GUILESS_MAIN(TestFtp)
#include "test_ftp.moc"
