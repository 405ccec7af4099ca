// The grid on a data source of a real catalogue, clicked with the mouse on
// the offscreen platform.
#include "griglia.h"

#include "database.h"
#include "datasource.h"
#include "testshop.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

class TestGriglia : public QObject {
    Q_OBJECT

private slots:
    // A row the data source cannot move to (it went from the recordset
    // before the grid was told) is announced, and the selection goes back
    // to the data source's row.
    void rigaCheNonSiRaggiunge()
    {
        TestProgramFolder programma;
        const QString negozio = programma.newShop();
        riempiCatalogo(*Database::open(negozio + QStringLiteral("/catalog.mdb")), 3, 0);
        DataSource categorie(QStringLiteral("dataCategorie"));
        categorie.setDatabaseName(negozio + QStringLiteral("/catalog.mdb"));
        categorie.setRecordSource(QStringLiteral("SELECT * FROM categorie ORDER BY ordinamento"));
        categorie.refresh();
        ModelloGriglia modello(categorie, {{QStringLiteral("titolo"), QStringLiteral("Titolo")}});
        QTableView vista;
        modello.collega(&vista);
        vista.resize(300, 200);
        vista.show();
        QVERIFY(QTest::qWaitForWindowExposed(&vista));
        QCOMPARE(modello.rowCount(), 3);

        // The first row is deleted behind the grid's back: its last row is
        // no longer there.
        Recordset &rs = categorie.recordset();
        rs.moveFirst();
        rs.remove();
        QSignalSpy rifiuti(&modello, &ModelloGriglia::rigaNonRaggiunta);
        const QRect cella = vista.visualRect(modello.index(2, 0));
        QTest::mouseClick(vista.viewport(), Qt::LeftButton, {}, cella.center());
        QCOMPARE(rifiuti.size(), 1);
        QCOMPARE(rifiuti[0][0].toInt(), int(DbErr::NoCurrentRecord));
        QCOMPARE(rifiuti[0][1].toString(), QStringLiteral("Nessun record corrente."));
        QVERIFY(vista.currentIndex().row() != 2);
    }
};

QTEST_MAIN(TestGriglia)
#include "test_griglia.moc"
