// The template chooser: which sets it offers, the preview and notes of the
// selected one, its result, and what choosing a set changes in the shop
// (through the main window, with real clicks in the modal dialog).
#include "finestraprova.h"
#include "fileprova.h"
#include "frmtemplate.h"
#include "programfolder.h"
#include "vistareparti.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestTemplate : public QObject {
    Q_OBJECT
private slots:
    void insiemiOfferti();
    void anteprimaENote_data();
    void anteprimaENote();
    void risultato_data();
    void risultato();
    void sceltaDallaFinestra();
    void registrazioneFallita();

private:
    // Answers the next modal dialog with a click on the set, then a button.
    static void rispondi(const QString &set, const char *pulsante)
    {
        QTimer::singleShot(0, [set, pulsante] {
            auto *d = qobject_cast<frmTemplate *>(QApplication::activeModalWidget());
            QVERIFY(d);
            salvaSchermata(d, QStringLiteral("template"));
            if (!set.isEmpty()) {
                const auto voci = d->lstTemplate->findItems(set, Qt::MatchExactly);
                QVERIFY(!voci.isEmpty());
                QTest::mouseClick(d->lstTemplate->viewport(), Qt::LeftButton, {},
                                  d->lstTemplate->visualItemRect(voci[0]).center());
            }
            QTest::mouseClick(d->findChild<QPushButton *>(QLatin1String(pulsante)), Qt::LeftButton);
        });
    }
};

void TestTemplate::insiemiOfferti()
{
    TestProgramFolder program;
    const QString t = program.path() + QStringLiteral("/template/");
    scrivi(t + QStringLiteral("senza modelli/style.css"), "x");
    scrivi(t + QStringLiteral("Maiuscolo/Modello1.HTM"), "<html></html>");
    scrivi(t + QString(51, u'a') + QStringLiteral("/modello1.htm"), "<html></html>");
    scrivi(t + QString(50, u'b') + QStringLiteral("/modello1.htm"), "<html></html>");
    frmTemplate d;
    QStringList offerti;
    for (int i = 0; i < d.lstTemplate->count(); ++i)
        offerti << d.lstTemplate->item(i)->text();
    QCOMPARE(offerti, QStringList({QStringLiteral("Maiuscolo"), QString(50, u'b'), QStringLiteral("classico")}));
    // The real program folder offers its two sets.
    const QString bin = qEnvironmentVariable("VETRASTO_BIN");
    if (!bin.isEmpty()) {
        ProgramFolder::setPath(bin);
        frmTemplate reale;
        QCOMPARE(reale.lstTemplate->count(), 2);
        QCOMPARE(reale.lstTemplate->item(0)->text(), QStringLiteral("classico"));
        QCOMPARE(reale.lstTemplate->item(1)->text(), QStringLiteral("moderno"));
    }
}

void TestTemplate::anteprimaENote_data()
{
    QTest::addColumn<QSize>("misura");       // the preview's size; empty: none
    QTest::addColumn<QByteArray>("byte");    // instead of a picture
    QTest::addColumn<QPoint>("posizione");
    QTest::addColumn<QByteArray>("note");
    QTest::newRow("smaller: centred") << QSize(100, 40) << QByteArray() << QPoint(110, 100) << QByteArray("Note utf-8 è");
    QTest::newRow("larger: at the top left") << QSize(500, 300) << QByteArray() << QPoint(0, 0) << QByteArray("Note\r\nWindows \xe8");
    QTest::newRow("no preview, no notes") << QSize() << QByteArray() << QPoint() << QByteArray();
    QTest::newRow("preview that cannot be read") << QSize() << QByteArray("non jpeg") << QPoint() << QByteArray();
}

void TestTemplate::anteprimaENote()
{
    QFETCH(QSize, misura);
    QFETCH(QByteArray, byte);
    QFETCH(QPoint, posizione);
    QFETCH(QByteArray, note);
    TestProgramFolder program;
    const QString set = program.path() + QStringLiteral("/template/classico/");
    if (misura.isValid())
        FileProva::scrivi(set + QStringLiteral("vtas_preview.jpg"), FileProva::quarti(misura.width(), misura.height()), "jpg");
    else if (!byte.isEmpty())
        scrivi(set + QStringLiteral("vtas_preview.jpg"), byte);
    if (!note.isEmpty())
        scrivi(set + QStringLiteral("vtas_note.txt"), note);
    frmTemplate d;
    d.preseleziona(QStringLiteral("classico"));
    QCOMPARE(d.lstTemplate->currentItem()->text(), QStringLiteral("classico"));
    QCOMPARE(d.imgTemplate->isVisibleTo(&d), misura.isValid());
    if (misura.isValid())
        QCOMPARE(d.imgTemplate->geometry(), QRect(posizione, misura));
    QCOMPARE(d.lblAnteprima->text().isEmpty(), byte.isEmpty());
    const QString attese = note.contains('\xe8') && !note.contains("è") ? QStringLiteral("Note\nWindows è")
                                                                         : QString::fromUtf8(note);
    QCOMPARE(d.txtNote->toPlainText(), attese);
}

void TestTemplate::risultato_data()
{
    QTest::addColumn<QString>("attuale");
    QTest::addColumn<QString>("scelta");
    QTest::addColumn<QString>("pulsante");
    QTest::addColumn<QString>("tag");
    QTest::newRow("the current set, OK") << "classico" << "" << "cmdOK" << "classico";
    QTest::newRow("another set, OK") << "classico" << "secondo" << "cmdOK" << "secondo";
    QTest::newRow("another set, Annulla") << "classico" << "secondo" << "cmdAnnulla" << "";
    QTest::newRow("a set not in the list, OK") << "sparito" << "" << "cmdOK" << "";
}

void TestTemplate::risultato()
{
    QFETCH(QString, attuale);
    QFETCH(QString, scelta);
    QFETCH(QString, pulsante);
    QFETCH(QString, tag);
    TestProgramFolder program;
    scrivi(program.path() + QStringLiteral("/template/secondo/modello1.htm"), "<html></html>");
    frmTemplate d;
    d.preseleziona(attuale);
    d.show();
    if (!scelta.isEmpty()) {
        const auto voci = d.lstTemplate->findItems(scelta, Qt::MatchExactly);
        QTest::mouseClick(d.lstTemplate->viewport(), Qt::LeftButton, {}, d.lstTemplate->visualItemRect(voci[0]).center());
    }
    QTest::mouseClick(d.findChild<QPushButton *>(pulsante), Qt::LeftButton);
    QCOMPARE(d.tag(), tag);
    QVERIFY(!d.isVisible());
}

void TestTemplate::sceltaDallaFinestra()
{
    auto f = apriFinestra();
    QVERIFY(f->w);
    scrivi(f->program.path() + QStringLiteral("/template/secondo/modello7.htm"), "<html></html>");
    scrivi(f->program.path() + QStringLiteral("/template/secondo/modello10.htm"), "<html></html>");
    rispondi(QStringLiteral("secondo"), "cmdOK");
    f->w->comandi().azione(Cmd::ScegliTemplate)->trigger();
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT template FROM generale")).toString(), QStringLiteral("secondo"));
    QCOMPARE(f->negozio().state.CartellaTemplate, QStringLiteral("template/secondo"));
    // The departments' list of models follows, in name order.
    QComboBox *cbo = f->w->vistaReparti()->cboTemplate;
    QCOMPARE(cbo->count(), 2);
    QCOMPARE(cbo->itemText(0), QStringLiteral("modello10"));
    QCOMPARE(cbo->itemText(1), QStringLiteral("modello7"));
    // Cancelled: nothing changes.
    rispondi(QStringLiteral("classico"), "cmdAnnulla");
    f->w->comandi().azione(Cmd::ScegliTemplate)->trigger();
    QCOMPARE(f->negozio().state.CartellaTemplate, QStringLiteral("template/secondo"));
    QVERIFY(f->messages.shown().empty());
}

void TestTemplate::registrazioneFallita()
{
    auto f = apriFinestra();
    QVERIFY(f->w);
    scrivi(f->program.path() + QStringLiteral("/template/secondo/modello1.htm"), "<html></html>");
    f->db().execute(QStringLiteral("CREATE TRIGGER rifiuta BEFORE UPDATE OF template ON generale "
                                   "BEGIN SELECT RAISE(ABORT, 'scrittura rifiutata'); END"));
    rispondi(QStringLiteral("secondo"), "cmdOK");
    f->w->comandi().azione(Cmd::ScegliTemplate)->trigger();
    QCOMPARE(f->messages.texts().size(), 1);
    QVERIFY(f->messages.texts()[0].contains(QStringLiteral("secondo")));
    QCOMPARE(f->negozio().state.CartellaTemplate, QStringLiteral("template/classico"));
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT template FROM generale")).toString(), QStringLiteral("classico"));
}

QTEST_MAIN(TestTemplate)
#include "test_template.moc"
