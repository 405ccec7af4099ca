// The articles view on a real shop: the grid and the details follow the
// current article; a price that cannot be stored gets the messages the
// merchant is told, typed into the grid or into the fields; the variant
// names; a screenshot of each view of the demo shop.
#include "alberocategorie.h"
#include "finestraprova.h"
#include "griglia.h"
#include "programfolder.h"
#include "vistaarticoli.h"
#include "vistareparti.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

class TestVistaArticoli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void dettagliSeguonoLaGriglia();
    void prezzoNellaGriglia_data();
    void prezzoNellaGriglia();
    void prezzoNelCampo_data();
    void prezzoNelCampo();
    void nomiDelleVarianti();
    void schermateDelNegozioDemo();

private:
    // Types into a cell of the article grid with the keyboard and confirms.
    static void scriviCella(QTableView *g, int riga, int colonna, const QString &testo)
    {
        const QModelIndex i = g->model()->index(riga, colonna);
        g->setCurrentIndex(i);
        QVERIFY(g->isEnabled());
        g->edit(i);
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(editor && editor != g);
        if (auto *e = qobject_cast<QLineEdit *>(editor))
            e->selectAll();
        QTest::keyClicks(editor, testo);
        if (testo.isEmpty())
            QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClick(editor, Qt::Key_Return);
        // The grid writes the cell once its editor has closed.
        QTRY_VERIFY(QApplication::focusWidget() != editor);
    }
};

void TestVistaArticoli::dettagliSeguonoLaGriglia()
{
    auto f = apriFinestra(2, 3);
    QVERIFY(f->w);
    f->w->selezionaScheda(QStringLiteral("kArticoli"));
    VistaArticoli *v = f->w->vistaArticoli();
    QVERIFY(v->picArticoli0()->isVisible() && v->picArticoli1()->isVisible());
    QCOMPARE(v->gridArticoli->model()->rowCount(), 3);
    QCOMPARE(v->txtArticoli[1]->text(), QStringLiteral("Articolo 1"));
    QCOMPARE(v->txtArticoli[4]->text(), QStringLiteral("1"));
    const QRect r = v->gridArticoli->visualRect(v->gridArticoli->model()->index(2, 1));
    QTest::mouseClick(v->gridArticoli->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(v->txtArticoli[1]->text(), QStringLiteral("Articolo 3"));
    QCOMPARE(v->txtArticoli[0]->text(), QStringLiteral("A1-3"));
    // The empty department: no article, the details' fields off.
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 2")));
    QCOMPARE(v->gridArticoli->model()->rowCount(), 0);
    QVERIFY(!v->txtArticoli[1]->isEnabled());
    QCOMPARE(v->txtArticoli[1]->text(), QString());
}

void TestVistaArticoli::prezzoNellaGriglia_data()
{
    QTest::addColumn<QString>("digitato");
    QTest::addColumn<QString>("offerta");
    QTest::addColumn<QString>("messaggio");
    QTest::addColumn<QString>("prezzo");  // stored afterwards
    QTest::newRow("empty") << "" << "0" << "Il campo \"prezzo\" non può essere vuoto: sarà impostato a \"0\" " << "0";
    QTest::newRow("letters") << "caro" << "0" << "Il campo \"prezzo\" deve contenere un numero" << "1";
    QTest::newRow("a number, the offer empty") << "12,50" << "" << "" << "12.5";
}

void TestVistaArticoli::prezzoNellaGriglia()
{
    QFETCH(QString, digitato);
    QFETCH(QString, offerta);
    QFETCH(QString, messaggio);
    QFETCH(QString, prezzo);
    auto f = apriFinestra(1, 2);
    QVERIFY(f->w);
    f->w->selezionaScheda(QStringLiteral("kArticoli"));
    VistaArticoli *v = f->w->vistaArticoli();
    v->txtArticoli[6]->setText(offerta);
    scriviCella(v->gridArticoli, 0, 3, digitato);
    QTRY_COMPARE(f->messages.texts(), messaggio.isEmpty() ? QStringList() : QStringList(messaggio));
    if (!messaggio.isEmpty())
        QCOMPARE(f->messages.shown()[0].icon, Messages::Icon::Warning);
    QTRY_COMPARE(f->db().scalar(QStringLiteral("SELECT prezzo FROM articoli WHERE codice='A1-1'")).toLongLong(),
                 qint64(prezzo.toDouble() * 10000));
}

void TestVistaArticoli::prezzoNelCampo_data()
{
    QTest::addColumn<QString>("prezzo");
    QTest::addColumn<QString>("offerta");
    QTest::addColumn<QStringList>("messaggi");
    const QString mp = QStringLiteral("Il campo \"prezzo\" sarà impostato a \"0\" ");
    const QString mo = QStringLiteral("Il campo \"offerta\" sarà impostato a \"0\" ");
    QTest::newRow("price not a number") << "dieci" << "2" << QStringList{mp};
    QTest::newRow("both not numbers") << "dieci" << "due" << QStringList{mp, mo};
    QTest::newRow("offer not a number") << "5" << "due" << QStringList{mo};
}

void TestVistaArticoli::prezzoNelCampo()
{
    QFETCH(QString, prezzo);
    QFETCH(QString, offerta);
    QFETCH(QStringList, messaggi);
    auto f = apriFinestra(1, 2);
    QVERIFY(f->w);
    f->w->selezionaScheda(QStringLiteral("kArticoli"));
    VistaArticoli *v = f->w->vistaArticoli();
    // Pasted text is not filtered: the record refuses it when it is written.
    v->txtArticoli[4]->setText(prezzo);
    v->txtArticoli[6]->setText(offerta);
    QTest::keyClick(v->gridArticoli, Qt::Key_Down, Qt::ControlModifier);  // the next article: the row is written
    QCOMPARE(f->messages.texts(), messaggi);
    const auto valore = [&](const char *campo) {
        return f->db().scalar(QStringLiteral("SELECT %1 FROM articoli WHERE codice='A1-1'").arg(QLatin1String(campo))).toLongLong();
    };
    QCOMPARE(valore("prezzo"), prezzo == QLatin1String("5") ? 50000 : 0);
    QCOMPARE(valore("offertaprezzo"), offerta == QLatin1String("2") ? 20000 : 0);
    QCOMPARE(v->txtArticoli[1]->text(), QStringLiteral("Articolo 2"));
}

void TestVistaArticoli::nomiDelleVarianti()
{
    auto f = apriFinestra(1, 2);
    QVERIFY(f->w);
    Database &db = f->db();
    db.execute(QStringLiteral("INSERT INTO opzioni (ID, nome) VALUES (7, 'Taglia|P'), (8, 'Colore')"));
    db.execute(QStringLiteral("UPDATE articoli SET opzione1=8, opzione2=99, opzione3=8 WHERE codice='A1-2'"));
    f->negozio().dati().dataArticoli.refresh();
    f->w->selezionaScheda(QStringLiteral("kArticoli"));
    VistaArticoli *v = f->w->vistaArticoli();
    QTest::keyClick(v->gridArticoli, Qt::Key_Down, Qt::ControlModifier);
    // The same set in two places, a deleted set empty.
    QCOMPARE(v->txtVariante[0]->text(), QStringLiteral("Colore"));
    QCOMPARE(v->txtVariante[1]->text(), QString());
    QCOMPARE(v->txtVariante[2]->text(), QStringLiteral("Colore"));
    // A new article refers to set 1, the shop's "no variants" set, by its name.
    QTest::keyClick(v->gridArticoli, Qt::Key_Up, Qt::ControlModifier);
    const QString nessuna = db.scalar(QStringLiteral("SELECT nome FROM opzioni WHERE ID=1")).toString();
    for (QLineEdit *e : v->txtVariante)
        QCOMPARE(e->text(), nessuna);
}

void TestVistaArticoli::schermateDelNegozioDemo()
{
    // The demo shop, as the program's first start makes it.
    const QString bin = qEnvironmentVariable("VETRASTO_BIN");
    if (!QFile::exists(bin + QStringLiteral("/demo/catalog.mdb")))
        QSKIP("the demo shop is made by the build");
    TestProgramFolder program;
    ProgramFolder::setPath(bin);
    ScriptedMessages messages;
    {
        Avvio avvio(messages);
        avvio.mostraMain();
        frmMain *w = avvio.finestra();
        QVERIFY(w);
        w->resize(1280, 800);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(clicNodo(w, QStringLiteral("Caffè in grani")) || clicNodo(w, w->tvwCategorie()->topLevelItem(0)->child(0)->text(0)));
        for (const char *scheda : {"kReparti", "kArticoli", "kSito", "kInternet"}) {
            w->selezionaScheda(QString::fromLatin1(scheda));
            salvaSchermata(w, QStringLiteral("demo-") + QString::fromLatin1(scheda).mid(1).toLower());
        }
        QVERIFY(clicNodo(w, QStringLiteral("Negozio")));
        w->selezionaScheda(QStringLiteral("kReparti"));
        salvaSchermata(w, QStringLiteral("demo-negozio"));
        w->close();
        delete w;
    }
    QVERIFY(messages.shown().empty());
}

QTEST_MAIN(TestVistaArticoli)
#include "test_vistaarticoli.moc"
