// The default shop starts as a copy of the program folder's demo shop when
// there is one, and of the empty shop otherwise.
#include "catalogschema.h"
#include "database.h"
#include "negozio.h"
#include "programfolder.h"
#include "testshop.h"

#include <QTest>

class TestDemo : public QObject {
    Q_OBJECT
private slots:
    void negozioPredefinito_data()
    {
        QTest::addColumn<bool>("demo");
        QTest::addColumn<QString>("titolo");
        QTest::newRow("con demo") << true << QStringLiteral("Bottega di prova");
        QTest::newRow("senza demo") << false << QStringLiteral("Il mio negozio");
    }
    void negozioPredefinito()
    {
        QFETCH(bool, demo);
        QFETCH(QString, titolo);
        TestProgramFolder program;
        if (demo) {
            const QString d = program.path() + QStringLiteral("/demo");
            CatalogSchema::createEmptyShop(d);
            auto db = Database::open(d + QStringLiteral("/catalog.mdb"));
            db->execute(QStringLiteral("UPDATE generale SET titolo=?"), {QStringLiteral("Bottega di prova")});
            db->close();
        }
        QVERIFY(Negozio::preparaNegozioPredefinito());
        auto db = Database::open(ProgramFolder::defaultShopFolder() + QStringLiteral("/catalog.mdb"));
        QCOMPARE(db->scalar(QStringLiteral("SELECT titolo FROM generale")).toString(), titolo);
        db->close();
    }
};

QTEST_GUILESS_MAIN(TestDemo)
#include "test_demo.moc"
