// The remote folder browser's session against a real FTP server.
#include "percorsiftp.h"
#include "serverftp.h"
#include "sfogliaftp.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestSfogliaFtp : public QObject {
    Q_OBJECT
private slots:
    void listingLines_data();
    void listingLines();
    void cleaning_data();
    void cleaning();
    void walkDownAndUp();
};

void TestSfogliaFtp::listingLines_data()
{
    QTest::addColumn<QString>("riga");
    QTest::addColumn<QString>("nome");
    QTest::addColumn<bool>("cartella");
    QTest::newRow("folder with blanks") << "drwxr-xr-x   2 mario  users     4096 Jan  5 10:00 My Folder\r\n"
                                        << "My Folder" << true;
    QTest::newRow("file") << "-rw-r--r-- 1 mario users 12 Jan 5 2023 index.htm" << "index.htm" << false;
    QTest::newRow("upper-case D") << "Drwx 1 a b 0 Jan 1 00:00 www" << "www" << true;
    QTest::newRow("dot") << "drwxr-xr-x 2 a b 4096 Jan 5 10:00 ." << "." << false;
    QTest::newRow("dot dot") << "drwxr-xr-x 2 a b 4096 Jan 5 10:00 .." << ".." << false;
    QTest::newRow("total line") << "total 12" << "12" << false;
    QTest::newRow("server without d lines") << "01-05-23  10:00AM       <DIR>          www" << "www"
                                            << false;
}

void TestSfogliaFtp::listingLines()
{
    QFETCH(QString, riga);
    QFETCH(QString, nome);
    QFETCH(bool, cartella);
    QCOMPARE(NomeFileFTP(riga), nome);
    QCOMPARE(RigaCartella(riga), cartella);
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
    ServerFtp s(radice.path());
    QVERIFY(s.avviato());
    QFile net(radice.path() + QStringLiteral("/firewall.net"));
    QVERIFY(net.open(QIODevice::WriteOnly));
    net.write("FPRT: " + QByteArray::number(s.porta()) + "\r\n");
    net.close();

    SfogliaFtp b(radice.path());
    QStringList log;
    connect(&b, &SfogliaFtp::rigaRegistrata, [&](const QString &r) { log << r; });
    QSignalSpy elencato(&b, &SfogliaFtp::elencato);
    QSignalSpy fallito(&b, &SfogliaFtp::fallito);
    auto attendi = [&] { return elencato.wait(10000); };

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
    QCOMPARE(fallito.size(), 0);
    QVERIFY(log.contains(QStringLiteral("PASS (hidden)")));
    QVERIFY(!log.join(u'\n').contains(ServerFtp::password()));
    QCOMPARE(SfogliaFtp::Selezione(QString(), QStringLiteral("www")), QStringLiteral("www"));
}

QTEST_GUILESS_MAIN(TestSfogliaFtp)
#include "test_sfogliaftp.moc"
