// The departments view on a real shop: a title typed into the sibling list
// reaches the details, the headings and the tree; a discount or VAT that is
// not a number, typed or pasted, becomes "0" when the list moves; a pasted
// department shows in the details as stored; a refused value names its field's label; a VAT
// written shows as stored.
#include "alberocategorie.h"
#include "comandi.h"
#include "corniceimmagine.h"
#include "fileprova.h"
#include "finestraprova.h"
#include "vistareparti.h"
#include "vistasito.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

class TestVistaReparti : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void titoloNellaGriglia();
    void scontoEIvaNonNumerici_data();
    void scontoEIvaNonNumerici();
    void repartoIncollato();
    void numeroTroppoGrande();
    void ivaScrittaComeSalvata();

private:
    // Clicks row r of the sibling list.
    static void clicRiga(QTableView *g, int r)
    {
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(r, 0)).center());
    }
    // The labels of the view that read exactly this text.
    static int etichette(QWidget *w, const QString &testo)
    {
        int n = 0;
        for (const QLabel *l : w->findChildren<QLabel *>())
            n += l->isVisible() && l->text() == testo;
        return n;
    }
    static QVariant campo(FinestraDiProva &f, const char *colonna, const char *id)
    {
        return f.db().scalar(
            QStringLiteral("SELECT %1 FROM categorie WHERE ID='%2'").arg(QLatin1String(colonna), QLatin1String(id)));
    }
};

void TestVistaReparti::titoloNellaGriglia()
{
    auto f = apriFinestra(2, 1, 2);
    QVERIFY(f->w);
    VistaReparti *v = f->w->vistaReparti();
    FIGLIO(QTableView, gridCategorie, v);
    FIGLIO(QLineEdit, txtCategorie14, v);
    QTableView *g = gridCategorie;
    const QModelIndex i = g->model()->index(0, 0);
    g->setCurrentIndex(i);
    g->edit(i);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && editor != g);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("Nuovo titolo"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(campo(*f, "titolo", "cat001").toString(), QStringLiteral("Nuovo titolo"));
    // The details, the headings and the tree show it at once...
    QCOMPARE(txtCategorie14->text(), QStringLiteral("Nuovo titolo"));
    QCOMPARE(etichette(v, QStringLiteral("Reparto: Nuovo titolo")), 1);
    QCOMPARE(etichette(v, QStringLiteral("Dettagli reparto: Nuovo titolo")), 1);
    QCOMPARE(f->w->tvwCategorie()->item(QStringLiteral("cat001"))->text(0), QStringLiteral("Nuovo titolo"));
    // ...and after a move away and back.
    clicRiga(g, 1);
    QCOMPARE(txtCategorie14->text(), QStringLiteral("Reparto 2"));
    clicRiga(g, 0);
    QCOMPARE(txtCategorie14->text(), QStringLiteral("Nuovo titolo"));
    QCOMPARE(campo(*f, "titolo", "cat001").toString(), QStringLiteral("Nuovo titolo"));
    QVERIFY(f->messages.shown().empty());
}

void TestVistaReparti::scontoEIvaNonNumerici_data()
{
    QTest::addColumn<QString>("colonna");
    QTest::addColumn<bool>("incollato");  // pasted letters, or the decimal separator alone typed
    QTest::newRow("discount, letters pasted") << "sconto" << true;
    QTest::newRow("discount, separator typed") << "sconto" << false;
    QTest::newRow("VAT, letters pasted") << "iva" << true;
    QTest::newRow("VAT, separator typed") << "iva" << false;
}

void TestVistaReparti::scontoEIvaNonNumerici()
{
    // A text that is not a number becomes "0" and is written when the
    // sibling list moves.
    QFETCH(QString, colonna);
    QFETCH(bool, incollato);
    auto f = apriFinestra(2, 1, 2);
    QVERIFY(f->w);
    f->db().execute(QStringLiteral("UPDATE categorie SET sconto=5, iva=10"));
    f->negozio().dati().dataCategorie.refresh();
    VistaReparti *v = f->w->vistaReparti();
    FIGLIO(QTableView, gridCategorie, v);
    FIGLIO(QLineEdit, txtCategorie14, v);
    FIGLIO(QLineEdit, txtCategorie0, v);
    FIGLIO(QComboBox, cboIva, v);
    const bool sconto = colonna == QLatin1String("sconto");
    QLineEdit *e = sconto ? txtCategorie0 : cboIva->lineEdit();
    QCOMPARE(e->text(), sconto ? QStringLiteral("5") : QStringLiteral("10"));
    const QString testo = incollato ? QStringLiteral("abc") : QStringLiteral(",");
    if (incollato) {
        QApplication::clipboard()->setText(testo);
        QVERIFY(clic(e));
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_Insert, Qt::ShiftModifier);
    } else {
        QVERIFY(riscrivi(sconto ? static_cast<QWidget *>(e) : cboIva, testo));
    }
    QCOMPARE(e->text(), testo);
    clicRiga(gridCategorie, 1);
    QCOMPARE(txtCategorie14->text(), QStringLiteral("Reparto 2"));
    QCOMPARE(campo(*f, qPrintable(colonna), "cat001").toDouble(), 0.0);
    QVERIFY(f->messages.shown().empty());
    clicRiga(gridCategorie, 0);
    QCOMPARE(e->text(), QStringLiteral("0"));
}

void TestVistaReparti::repartoIncollato()
{
    auto f = apriFinestra(2, 1, 2);
    QVERIFY(f->w);
    FileProva::scrivi(f->shop + QStringLiteral("/work/r.png"), FileProva::quarti(80, 40), "png");
    f->db().execute(QStringLiteral("UPDATE categorie SET sconto=7, descrizione='Da copiare', immagine0='r.png', "
                                   "imgX0=80, imgY0=40 WHERE ID='cat001'"));
    f->negozio().dati().dataCategorie.refresh();
    VistaReparti *v = f->w->vistaReparti();
    FIGLIO(QLineEdit, txtCategorie14, v);
    FIGLIO(QLineEdit, txtCategorie0, v);
    FIGLIO(QPlainTextEdit, txtCategorie12, v);
    FIGLIO(QLabel, imgCategoria0, v);
    f->messages.answer(Messages::Answer::No);  // "Copiare anche tutti gli articoli del reparto?"
    QVERIFY(clicPulsante(f->w, Cmd::CopiaReparto));
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 2")));
    QVERIFY(imgCategoria0->isHidden());
    QVERIFY(clicPulsante(f->w, Cmd::IncollaReparto));
    const QString nuovo = f->negozio().dati().repartoCorrente();
    QVERIFY(nuovo != QLatin1String("cat001") && nuovo != QLatin1String("cat002"));
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT titolo FROM categorie WHERE ID=?"), {nuovo}).toString(),
             QStringLiteral("Reparto 1"));
    // The details show the pasted department, not "Nuovo Reparto".
    QCOMPARE(txtCategorie14->text(), QStringLiteral("Reparto 1"));
    QCOMPARE(txtCategorie0->text(), QStringLiteral("7"));
    QCOMPARE(txtCategorie12->toPlainText(), QStringLiteral("Da copiare"));
    QCOMPARE(etichette(v, QStringLiteral("Dettagli reparto: Reparto 1")), 1);
    QVERIFY(!imgCategoria0->isHidden());
    QVERIFY(!f->negozio().dati().dataCategorie.modifichePendenti());
    QCOMPARE(f->messages.texts(), QStringList{QStringLiteral("Copiare anche tutti gli articoli del reparto?")});
}

void TestVistaReparti::numeroTroppoGrande()
{
    // The refusal names the field as its label reads, not the column.
    auto f = apriFinestra(2, 1, 2);
    QVERIFY(f->w);
    VistaReparti *v = f->w->vistaReparti();
    FIGLIO(QTableView, gridCategorie, v);
    FIGLIO(QLineEdit, txtCategorie11, v);
    txtCategorie11->setFocus();
    QTest::keyClicks(txtCategorie11, QStringLiteral("99999999"));
    clicRiga(gridCategorie, 1);
    QCOMPARE(f->messages.texts(),
             QStringList{QStringLiteral("Il formato di alcuni dati non è valido\r\nArticoli per pagina: il numero è "
                                        "troppo grande; il campo torna al valore salvato.")});
}

void TestVistaReparti::ivaScrittaComeSalvata()
{
    // "010" typed, then written with the edits of the window by the
    // shipping command (no row read again): the field reads as the list
    // writes its rates.
    auto f = apriFinestra(2, 1, 2);
    QVERIFY(f->w);
    VistaReparti *v = f->w->vistaReparti();
    FIGLIO(QComboBox, cboIva, v);
    QVERIFY(riscrivi(cboIva, QStringLiteral("010")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(cboIva->currentText(), QStringLiteral("010"));
    f->w->selezionaScheda(QStringLiteral("kSito"));
    QObject guardia;
    alProssimoModale(guardia, [](QWidget *d) { return clic(figlio<QWidget>(d, QStringLiteral("cmdAnnulla"))); });
    QVERIFY(clic(figlio<QWidget>(f->w->vistaSito(), QStringLiteral("cmdSpese"))));
    QCOMPARE(campo(*f, "iva", "cat001").toDouble(), 10.0);
    f->w->selezionaScheda(QStringLiteral("kReparti"));
    QCOMPARE(cboIva->currentText(), QStringLiteral("10"));
    QVERIFY(f->messages.shown().empty());
}

QTEST_MAIN(TestVistaReparti)
#include "test_vistareparti.moc"
