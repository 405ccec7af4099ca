// Text files as the program reads them: UTF-8 or Windows-1252, the
// byte-order mark kept apart from the text, and written back byte for byte.
#include "testofile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestTestoFile : public QObject {
    Q_OBJECT
private slots:
    void decodifica_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("testo");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<bool>("bom");
        QTest::newRow("UTF-8") << QByteArray("caff\xC3\xA8\r\n") << QStringLiteral("caffè\r\n") << true << false;
        QTest::newRow("segno d'ordine dei byte") << QByteArray("\xEF\xBB\xBFmid=1") << QStringLiteral("mid=1") << true << true;
        QTest::newRow("un secondo segno è testo")
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx") << QStringLiteral("\uFEFFx") << true << true;
        QTest::newRow("Windows-1252") << QByteArray("caff\xE8 \x80 \x81") << QStringLiteral("caffè € \u0081") << false
                                      << false;
        QTest::newRow("UTF-8 tagliato alla fine") << QByteArray("caff\xC3") << QStringLiteral("caffÃ") << false << false;
        QTest::newRow("segno seguito da Windows-1252")
            << QByteArray("\xEF\xBB\xBF\xE8") << QStringLiteral("ï»¿è") << false << false;
        QTest::newRow("vuoto") << QByteArray() << QString() << true << false;
    }
    void decodifica()
    {
        QFETCH(QByteArray, file);
        const TestoFile t = TestoFile::decodifica(file);
        QTEST(t.testo, "testo");
        QTEST(t.utf8, "utf8");
        QTEST(t.bom, "bom");
        QCOMPARE(t.codifica(t.testo), file);
    }

    void codifica_data()
    {
        QTest::addColumn<QByteArray>("file");  // what was read
        QTest::addColumn<QString>("testo");    // what is written
        QTest::addColumn<bool>("html");
        QTest::addColumn<QByteArray>("atteso");
        QTest::newRow("Windows-1252") << QByteArray("\xE8") << QStringLiteral("€ è ÿ") << false << QByteArray("\x80 \xE8 \xFF");
        QTest::newRow("carattere che non ha") << QByteArray("\xE8") << QStringLiteral("aΩb😀c") << false << QByteArray("a?b?c");
        QTest::newRow("riferimenti HTML") << QByteArray("\xE8") << QStringLiteral("aΩb😀c") << true
                                          << QByteArray("a&#937;b&#128512;c");
        QTest::newRow("mezza coppia di surrogati") << QByteArray("\xE8") << QString(QChar(0xD83D)) << true
                                                   << QByteArray("&#65533;");
        QTest::newRow("UTF-8 col segno") << QByteArray("\xEF\xBB\xBF") << QStringLiteral("Ω") << true
                                         << QByteArray("\xEF\xBB\xBF\xCE\xA9");
    }
    void codifica()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, testo);
        QFETCH(bool, html);
        QTEST(TestoFile::decodifica(file).codifica(testo, html), "atteso");
    }

    void leggi()
    {
        QTemporaryDir d;
        QFile f(d.filePath(QStringLiteral("note.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("\xEF\xBB\xBFnota \xE8") > 0);
        f.close();
        const auto letto = TestoFile::leggi(f.fileName());
        QVERIFY(letto);
        QCOMPARE(letto->testo, QStringLiteral("ï»¿nota è"));
        QVERIFY(!letto->utf8);
        QVERIFY(!TestoFile::leggi(d.filePath(QStringLiteral("manca.txt"))));
        QVERIFY(!TestoFile::leggi(d.path()));
        QVERIFY(!TestoFile::leggi(QString()));
    }
};

QTEST_GUILESS_MAIN(TestTestoFile)
#include "test_testofile.moc"
