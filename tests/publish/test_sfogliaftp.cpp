// The remote folder browser's session against a real FTP server.
#include "percorsiftp.h"
#include "serverftp.h"
#include "sfogliaftp.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A browser session with a server on a folder of the test, its port in the
// folder's firewall.net; the session's log and signals are collected.
struct Banco {
    ServerFtp server;
    SfogliaFtp sessione;
    QStringList log;
    QSignalSpy elencato{&sessione, &SfogliaFtp::elencato};
    QSignalSpy rifiutato{&sessione, &SfogliaFtp::rifiutato};
    QSignalSpy fallito{&sessione, &SfogliaFtp::fallito};

    Banco(const QString &radice, const ServerFtp::Guasti &g = {})
        : server(radice, g), sessione(conPorta(radice, server))
    {
        QObject::connect(&sessione, &SfogliaFtp::rigaRegistrata, [this](const QString &r) { log << r; });
    }
    static QString conPorta(const QString &radice, const ServerFtp &s)
    {
        QFile net(radice + QStringLiteral("/firewall.net"));
        if (net.open(QIODevice::WriteOnly))
            net.write("FPRT: " + QByteArray::number(s.porta()) + "\r\n");
        return radice;
    }
};

} // namespace

class TestSfogliaFtp : public QObject {
    Q_OBJECT
private slots:
    void listingLines_data();
    void listingLines();
    void offeredFolders_data();
    void offeredFolders();
    void cleaning_data();
    void cleaning();
    void walkDownAndUp();
    void onlyPlainSubFoldersOffered();
    void disguisedAndHugeNamesNotOffered();
};

void TestSfogliaFtp::listingLines_data()
{
    QTest::addColumn<QString>("riga");
    QTest::addColumn<QString>("nome");
    QTest::addColumn<int>("voce");
    const int cartella = int(VoceElenco::Cartella), altro = int(VoceElenco::Altro),
              illeggibile = int(VoceElenco::Illeggibile);
    QTest::newRow("folder with blanks") << "drwxr-xr-x   2 mario  users     4096 Jan  5 10:00 My Folder\r\n"
                                        << "My Folder" << cartella;
    QTest::newRow("file") << "-rw-r--r-- 1 mario users 12 Jan 5 2023 index.htm" << "index.htm" << altro;
    QTest::newRow("upper-case D") << "Drwx 1 a b 0 Jan 1 00:00 www" << "www" << cartella;
    QTest::newRow("dot") << "drwxr-xr-x 2 a b 4096 Jan 5 10:00 ." << "." << altro;
    QTest::newRow("dot dot") << "drwxr-xr-x 2 a b 4096 Jan 5 10:00 .." << ".." << altro;
    QTest::newRow("total line") << "total 12" << "" << altro;
    QTest::newRow("server without d lines") << "01-05-23  10:00AM       <DIR>          www" << "" << illeggibile;
    QTest::newRow("too few fields: no folder g") << "drwxr-xr-x 2 a g" << "" << illeggibile;
    QTest::newRow("a lone d") << "d" << "" << illeggibile;
    QTest::newRow("name with a slash") << "drwxr-xr-x 2 a b 4096 Jan 5 10:00 a/b" << "a/b" << illeggibile;
    QTest::newRow("name leading out") << "drwxr-xr-x 2 a b 4096 Jan 5 10:00 ../../etc" << "../../etc" << illeggibile;
    QTest::newRow("name with a backslash") << "drwxr-xr-x 2 a b 4096 Jan 5 10:00 a\\b" << "a\\b" << illeggibile;
    QTest::newRow("name with a tab") << "drwxr-xr-x 2 a b 4096 Jan 5 10:00 a\tb" << "a\tb" << illeggibile;
    QTest::newRow("name with a carriage return")
        << "drwxr-xr-x 2 a b 4096 Jan 5 10:00 a\rdrwxr-xr-x 2 a b 4096 Jan 5 10:00 finta"
        << "a\rdrwxr-xr-x 2 a b 4096 Jan 5 10:00 finta" << illeggibile;
    const QString d = QStringLiteral("drwxr-xr-x 2 a b 4096 Jan 5 10:00 ");
    QTest::newRow("accented name") << d + QStringLiteral("Città è") << QStringLiteral("Città è") << cartella;
    QTest::newRow("right-to-left override") << d + QStringLiteral("www\u202Egpj") << QStringLiteral("www\u202Egpj")
                                            << illeggibile;
    QTest::newRow("zero-width space") << d + QStringLiteral("w\u200Bww") << QStringLiteral("w\u200Bww") << illeggibile;
    QTest::newRow("bytes that were no UTF-8") << d + QStringLiteral("caf\uFFFD") << QStringLiteral("caf\uFFFD")
                                              << illeggibile;
    QTest::newRow("255 characters") << d + QString(255, u'a') << QString(255, u'a') << cartella;
    QTest::newRow("256 characters") << d + QString(256, u'a') << QString(256, u'a') << illeggibile;
}

void TestSfogliaFtp::listingLines()
{
    QFETCH(QString, riga);
    QFETCH(QString, nome);
    QFETCH(int, voce);
    QString letto;
    QCOMPARE(int(LeggiRigaElenco(riga, &letto)), voce);
    QCOMPARE(letto, nome);
}

void TestSfogliaFtp::offeredFolders_data()
{
    QTest::addColumn<QStringList>("righe");
    QTest::addColumn<QStringList>("nomi");
    QTest::addColumn<QStringList>("offerte");
    QTest::addColumn<int>("scartate");
    const QString d = QStringLiteral("drwxr-xr-x 2 a b 4096 Jan 5 10:00 ");
    const QString f = QStringLiteral("-rw-r--r-- 1 a b 12 Jan 5 10:00 ");
    QTest::newRow("plain folders and a file")
        << QStringList{QStringLiteral("total 3"), d + "www", d + "cgi-bin", f + "index.htm"}
        << QStringList{"www", "cgi-bin", "index.htm"} << QStringList{"www", "cgi-bin"} << 0;
    // A folder named "vera", a line break and a whole listing line: the
    // listing shows "vera" and "finta", the names show the name in two lines.
    QTest::newRow("line break smuggling a folder")
        << QStringList{d + "vera", d + "finta", d + "www"} << QStringList{"vera", d + "finta", "www"}
        << QStringList{"www"} << 2;
    QTest::newRow("folder missing from the names") << QStringList{d + "www", d + "altra"} << QStringList{"www"}
                                                   << QStringList{"www"} << 1;
    QTest::newRow("unreadable lines") << QStringList{"d", "drwx g", d + "www"} << QStringList{"www"}
                                      << QStringList{"www"} << 2;
}

// A folder is offered only when the names-only listing holds its name
// alone; what is left out is reported for the log.
void TestSfogliaFtp::offeredFolders()
{
    QFETCH(QStringList, righe);
    QFETCH(QStringList, nomi);
    QFETCH(QStringList, offerte);
    QFETCH(int, scartate);
    QStringList fuori;
    QCOMPARE(CartelleOfferte(righe, nomi, fuori), offerte);
    QCOMPARE(fuori.size(), scartate);
    // Without the names (a server that refuses them) the listing's plain
    // folders are offered as they stand.
    fuori.clear();
    QVERIFY(CartelleOfferte(righe, std::nullopt, fuori).contains(QStringLiteral("www")));
}

void TestSfogliaFtp::cleaning_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("cartella");
    QTest::newRow("plain") << "ftp.negozio.it" << "ftp.negozio.it" << "ftp.negozio.it";
    QTest::newRow("ftp scheme and slash") << " FTP://ftp.negozio.it/ " << "ftp.negozio.it" << "FTP:/ftp.negozio.it";
    QTest::newRow("http scheme and path") << "http://www.negozio.it/shop" << "www.negozio.it" << "http:/www.negozio.it/shop";
    QTest::newRow("backslashes") << "\\www\\shop\\" << "www" << "www/shop";
    // ".." stays as typed: the server takes it where it leads.
    QTest::newRow("dots and doubled slashes") << "/www//./shop/../x/" << "www" << "www/shop/../x";
}

void TestSfogliaFtp::cleaning()
{
    QFETCH(QString, testo);
    QFETCH(QString, host);
    QFETCH(QString, cartella);
    QCOMPARE(PulisciHost(testo), host);
    QCOMPARE(PulisciCartella(testo), cartella);
}

// Folders only, "." and ".." never offered; entering and going up keep
// the path; the password never reaches the log.
void TestSfogliaFtp::walkDownAndUp()
{
    QTemporaryDir radice;
    for (const char *c : {"www/shop/public", "www/shop/My Folder", "cgi-bin"})
        QDir(radice.path()).mkpath(QString::fromLatin1(c));
    QFile f(radice.path() + QStringLiteral("/www/index.htm"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    Banco banco(radice.path());
    QVERIFY(banco.server.avviato());
    SfogliaFtp &b = banco.sessione;
    const QStringList &log = banco.log;
    auto attendi = [&] { return banco.elencato.wait(10000); };

    b.ConnettiFTP(QStringLiteral("ftp://127.0.0.1/"), ServerFtp::utente(), ServerFtp::password());
    QVERIFY(b.occupato());
    QVERIFY(attendi());
    QStringList c = b.cartelle();
    c.sort();
    QCOMPARE(c, (QStringList{QStringLiteral("cgi-bin"), QStringLiteral("www")}));
    QCOMPARE(b.percorso(), QString());
    b.Entra(QStringLiteral("www"));
    QVERIFY(attendi());
    QCOMPARE(b.cartelle(), QStringList{QStringLiteral("shop")});
    b.Entra(QStringLiteral("shop"));
    QVERIFY(attendi());
    QCOMPARE(b.percorso(), QStringLiteral("www/shop"));
    c = b.cartelle();
    c.sort();
    QCOMPARE(c, (QStringList{QStringLiteral("My Folder"), QStringLiteral("public")}));
    QCOMPARE(SfogliaFtp::Selezione(b.percorso(), QStringLiteral(" public ")), QStringLiteral("www/shop/public"));
    b.Entra(QStringLiteral("My Folder"));
    QVERIFY(attendi());
    QCOMPARE(b.percorso(), QStringLiteral("www/shop/My Folder"));
    b.Su();
    QVERIFY(attendi());
    QCOMPARE(b.percorso(), QStringLiteral("www/shop"));
    b.Su();
    QVERIFY(attendi());
    b.Su();
    QVERIFY(attendi());
    QCOMPARE(b.percorso(), QString());
    QCOMPARE(banco.fallito.size(), 0);
    QVERIFY(log.contains(QStringLiteral("PASS (hidden)")));
    QVERIFY(!log.join(u'\n').contains(ServerFtp::password()));
    QCOMPARE(SfogliaFtp::Selezione(QString(), QStringLiteral("www")), QStringLiteral("www"));
}

// A server whose folder names hold line breaks, control characters and a
// backslash: only the plain names of real sub-folders are offered, and the
// lines left out are logged. A folder that cannot be entered, or entered
// but not listed, is refused with its own reason, and the browser stays
// where it was.
void TestSfogliaFtp::onlyPlainSubFoldersOffered()
{
    QTemporaryDir radice;
    const QString finta = QStringLiteral("drwxr-xr-x 2 a b 4096 Jan 01 00:00 finta");
    for (const QString &c : {QStringLiteral("www"), QStringLiteral("vera\n") + finta, QStringLiteral("cr\r") + finta + u'2',
                             QStringLiteral("tab\tqui"), QStringLiteral("a\\b"), QStringLiteral("www/chiusa")})
        QVERIFY(QDir(radice.path()).mkpath(c));
    ServerFtp::Guasti g;
    g.senzaElenco << QStringLiteral("www/chiusa");
    Banco banco(radice.path(), g);
    QVERIFY(banco.server.avviato());
    SfogliaFtp &b = banco.sessione;
    const QStringList &log = banco.log;
    QSignalSpy &elencato = banco.elencato, &rifiutato = banco.rifiutato;
    b.ConnettiFTP(QStringLiteral("127.0.0.1"), ServerFtp::utente(), ServerFtp::password());
    QVERIFY(elencato.wait(10000));
    QCOMPARE(b.cartelle(), QStringList{QStringLiteral("www")});
    QCOMPARE(log.filter(QStringLiteral("* Riga dell'elenco non usata: ")).size(), 6);
    QVERIFY(log.contains(QStringLiteral("* Riga dell'elenco non usata: finta")));

    b.Entra(QStringLiteral("sparita"));
    QVERIFY(rifiutato.wait(10000));
    QVERIFY2(rifiutato.last().at(0).toString().startsWith(
                 QStringLiteral("La cartella 'sparita' non esiste sul server o non vi si può accedere.\nRisposta del "
                                "server: 550 ")),
             qPrintable(rifiutato.last().at(0).toString()));
    QCOMPARE(b.percorso(), QString());
    b.Entra(QStringLiteral("www"));
    QVERIFY(elencato.wait(10000));
    QCOMPARE(b.cartelle(), QStringList{QStringLiteral("chiusa")});
    b.Entra(QStringLiteral("chiusa"));
    QVERIFY(rifiutato.wait(10000));
    QVERIFY2(rifiutato.last().at(0).toString().startsWith(
                 QStringLiteral("Impossibile elencare il contenuto della cartella 'www/chiusa'.\n")),
             qPrintable(rifiutato.last().at(0).toString()));
    QCOMPARE(b.percorso(), QStringLiteral("www"));
    // Back where it was: going up lists the login folder.
    b.Su();
    QVERIFY(elencato.wait(10000));
    QCOMPARE(b.percorso(), QString());
    QCOMPARE(b.cartelle(), QStringList{QStringLiteral("www")});
    QCOMPARE(banco.fallito.size(), 0);
}

// A server that lists a folder whose name holds a right-to-left override
// (it would show as another name) and one of a megabyte: neither is
// offered, and each is logged with its controls as escapes and cut short.
void TestSfogliaFtp::disguisedAndHugeNamesNotOffered()
{
    QTemporaryDir radice;
    QVERIFY(QDir(radice.path()).mkpath(QStringLiteral("www")));
    const QString bidi = QStringLiteral("negozio\u202Elmth.exe");
    const QString enorme(1024 * 1024, u'x');
    const QString finte = radice.path() + QStringLiteral("/finte.txt");
    QFile f(finte);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write((bidi + u'\n' + enorme + u'\n').toUtf8());
    f.close();
    ServerFtp::Guasti g;
    g.cartelleFinte = finte;
    Banco banco(radice.path(), g);
    QVERIFY(banco.server.avviato());
    banco.sessione.ConnettiFTP(QStringLiteral("127.0.0.1"), ServerFtp::utente(), ServerFtp::password());
    QVERIFY(banco.elencato.wait(20000));
    QCOMPARE(banco.sessione.cartelle(), QStringList{QStringLiteral("www")});
    const QStringList scartate = banco.log.filter(QStringLiteral("* Riga dell'elenco non usata: "));
    QCOMPARE(scartate.size(), 2);
    QVERIFY2(scartate.filter(QStringLiteral("negozio\\u202elmth.exe")).size() == 1, qPrintable(scartate.join(u'\n')));
    for (const QString &riga : scartate) {
        QVERIFY(!riga.contains(QChar(0x202E)));
        QVERIFY(riga.size() < 500);
    }
    QVERIFY(scartate.filter(QStringLiteral("… (")).size() == 1);
}

QTEST_GUILESS_MAIN(TestSfogliaFtp)
#include "test_sfogliaftp.moc"
