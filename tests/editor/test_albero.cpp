// Dragging a department in the tree with the mouse: a drop on another node
// moves it with its sub-departments and articles; a drop on itself or below
// it, a release over empty space, a drag from the root, with the right
// button or in the articles view change nothing. A node reached with the
// arrow keys becomes current as a clicked one does.
#include "alberocategorie.h"
#include "finestraprova.h"
#include "vistaarticoli.h"
#include "vistareparti.h"

#include <QLineEdit>

#include <QtTest>

class TestAlbero : public QObject {
    Q_OBJECT
private slots:
    void trascinaSottoUnAltroReparto();
    void trascinamentiRifiutati_data();
    void trascinamentiRifiutati();
    void frecceNellAlbero_data();
    void frecceNellAlbero();

private:
    static QPoint punto(AlberoCategorie *t, const QString &testo)
    {
        const auto items = t->findItems(testo, Qt::MatchExactly | Qt::MatchRecursive);
        return items.size() == 1 ? t->visualItemRect(items[0]).center() : QPoint(-1, -1);
    }
    static void trascina(AlberoCategorie *t, QPoint da, QPoint a, Qt::MouseButton tasto = Qt::LeftButton)
    {
        QTest::mousePress(t->viewport(), tasto, {}, da);
        QTest::mouseMove(t->viewport(), (da + a) / 2);
        QTest::mouseMove(t->viewport(), a);
        QTest::mouseRelease(t->viewport(), tasto, {}, a);
    }
    static QString genitore(FinestraDiProva &f, const QString &id)
    {
        return f.db().scalar(QStringLiteral("SELECT genitore FROM categorie WHERE ID=?"), {id}).toString();
    }
};

void TestAlbero::trascinaSottoUnAltroReparto()
{
    auto f = apriFinestra(3, 2, 3);
    QVERIFY(f->w);
    AlberoCategorie *t = f->w->tvwCategorie();
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 1")));
    trascina(t, punto(t, QStringLiteral("Reparto 1")), punto(t, QStringLiteral("Reparto 3")));
    QCOMPARE(genitore(*f, QStringLiteral("cat001")), QStringLiteral("cat003"));
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT livello FROM categorie WHERE ID='cat001'")).toInt(), 2);
    QVERIFY(f->db().scalar(QStringLiteral("SELECT hafigli FROM categorie WHERE ID='cat003'")).toBool());
    // The articles went with it, and it is still the current department.
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE catID='cat001'")).toInt(), 2);
    QCOMPARE(f->negozio().dati().repartoCorrente(), QStringLiteral("cat001"));
    QCOMPARE(AlberoCategorie::chiave(t->currentItem()->parent()), QStringLiteral("cat003"));
    // Onto the root: a top-level department again.
    trascina(t, punto(t, QStringLiteral("Reparto 1")), punto(t, QStringLiteral("Negozio")));
    QCOMPARE(genitore(*f, QStringLiteral("cat001")), AlberoReparti::Radice);
    QVERIFY(f->messages.shown().empty());
}

void TestAlbero::trascinamentiRifiutati_data()
{
    QTest::addColumn<QString>("da");
    QTest::addColumn<QString>("a");
    QTest::addColumn<int>("tasto");
    QTest::addColumn<QString>("scheda");
    QTest::newRow("onto its own child") << "Reparto 1" << "Reparto 3" << int(Qt::LeftButton) << "kReparti";
    QTest::newRow("onto itself") << "Reparto 1" << "Reparto 1" << int(Qt::LeftButton) << "kReparti";
    QTest::newRow("released over empty space") << "Reparto 2" << "" << int(Qt::LeftButton) << "kReparti";
    QTest::newRow("from the root") << "Negozio" << "Reparto 2" << int(Qt::LeftButton) << "kReparti";
    QTest::newRow("with the right button") << "Reparto 2" << "Reparto 1" << int(Qt::RightButton) << "kReparti";
    QTest::newRow("in the articles view") << "Reparto 2" << "Reparto 1" << int(Qt::LeftButton) << "kArticoli";
}

void TestAlbero::trascinamentiRifiutati()
{
    QFETCH(QString, da);
    QFETCH(QString, a);
    QFETCH(int, tasto);
    QFETCH(QString, scheda);
    auto f = apriFinestra(3, 2, 3);
    QVERIFY(f->w);
    AlberoCategorie *t = f->w->tvwCategorie();
    // Reparto 3 below Reparto 1 first.
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 3")));
    trascina(t, punto(t, QStringLiteral("Reparto 3")), punto(t, QStringLiteral("Reparto 1")));
    QCOMPARE(genitore(*f, QStringLiteral("cat003")), QStringLiteral("cat001"));
    f->w->selezionaScheda(scheda);
    if (da != QLatin1String("Negozio"))
        QVERIFY(clicNodo(f->w, da));
    const QString prima = f->db().scalar(QStringLiteral("SELECT group_concat(ID||genitore||livello||ordinamento) FROM categorie")).toString();
    const QPoint fine = a.isEmpty() ? QPoint(t->viewport()->width() / 2, t->viewport()->height() - 4) : punto(t, a);
    trascina(t, punto(t, da), fine, Qt::MouseButton(tasto));
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT group_concat(ID||genitore||livello||ordinamento) FROM categorie")).toString(), prima);
    QVERIFY(f->messages.shown().empty());
    // The tree still shows the current department selected.
    QCOMPARE(AlberoCategorie::chiave(t->currentItem()), f->negozio().dati().repartoCorrente());
}

void TestAlbero::frecceNellAlbero_data()
{
    QTest::addColumn<QString>("scheda");
    QTest::newRow("departments view") << "kReparti";
    QTest::newRow("articles view") << "kArticoli";
}

void TestAlbero::frecceNellAlbero()
{
    QFETCH(QString, scheda);
    auto f = apriFinestra(2, 2, 2);
    QVERIFY(f->w);
    f->w->selezionaScheda(scheda);
    AlberoCategorie *t = f->w->tvwCategorie();
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    QWidget *negozio = f->w->findChild<QWidget *>(QStringLiteral("picNegozio"));
    const bool reparti = scheda == QLatin1String("kReparti");
    QWidget *dettagli = reparti ? f->w->vistaReparti()->picCategorie2() : f->w->vistaArticoli()->picArticoli1();
    // The title of the department, or the code of its first article.
    auto *campo = reparti ? figlio<QLineEdit>(f->w->vistaReparti(), QStringLiteral("txtCategorie14"))
                          : figlio<QLineEdit>(f->w->vistaArticoli(), QStringLiteral("txtArticoli0"));
    QVERIFY(campo);
    // What the window shows agrees with the node the tree selects.
    const auto mostra = [&](const QString &chiave, const QString &titolo) {
        CONFRONTA(AlberoCategorie::chiave(t->currentItem()), chiave);
        CONFRONTA(f->negozio().dati().repartoCorrente(), chiave);
        CONFRONTA(negozio->isVisible(), titolo.isEmpty());
        CONFRONTA(dettagli->isVisible(), !titolo.isEmpty());
        if (!titolo.isEmpty() && reparti)
            CONFRONTA(campo->text(), titolo);
        if (!titolo.isEmpty() && !reparti)  // the department's first article, "A<n>-1"
            CONFRONTA(campo->text(), u'A' + titolo.right(1) + QStringLiteral("-1"));
        return true;
    };
    QVERIFY(mostra(AlberoReparti::Radice, QString()));
    QTest::keyClick(t, Qt::Key_Down);
    QVERIFY(mostra(QStringLiteral("cat001"), QStringLiteral("Reparto 1")));
    QTest::keyClick(t, Qt::Key_Down);
    QVERIFY(mostra(QStringLiteral("cat002"), QStringLiteral("Reparto 2")));
    QTest::keyClick(t, Qt::Key_Home);
    QVERIFY(mostra(AlberoReparti::Radice, QString()));
    QVERIFY(f->messages.shown().empty());
}

QTEST_MAIN(TestAlbero)
#include "test_albero.moc"
