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
    // Answers the next modal dialog with a click on the set, then a button;
    // m_risposto tells whether it could.
    void rispondi(const QString &set, const QString &pulsante)
    {
        m_risposto = false;
        m_guardia = std::make_unique<QObject>();  // an answer still waiting goes
        alProssimoModale(*m_guardia, [this, set, pulsante](QWidget *d) {
            return m_risposto = scegli(qobject_cast<frmTemplate *>(d), set, pulsante, true);
        });
    }
    // A click on the set (none: the one selected stays), then on a button.
    static bool scegli(frmTemplate *d, const QString &set, const QString &pulsante, bool foto = false)
    {
        VERIFICA(d);
        if (foto)
            VERIFICA(salvaSchermata(d, QStringLiteral("template")));
        if (!set.isEmpty()) {
            auto *lista = figlio<QListWidget>(d, QStringLiteral("lstTemplate"));
            VERIFICA(lista);
            const auto voci = lista->findItems(set, Qt::MatchExactly);
            VERIFICA(!voci.isEmpty());
            QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualItemRect(voci[0]).center());
        }
        VERIFICA(clic(figlio<QPushButton>(d, pulsante)));
        return true;
    }

    std::unique_ptr<QObject> m_guardia;
    bool m_risposto = false;
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
    FIGLIO(QListWidget, lstTemplate, &d);
    QStringList offerti;
    for (int i = 0; i < lstTemplate->count(); ++i)
        offerti << lstTemplate->item(i)->text();
    QCOMPARE(offerti, QStringList({QStringLiteral("Maiuscolo"), QString(50, u'b'), QStringLiteral("classico")}));
    // The real program folder offers its two sets.
    const QString bin = qEnvironmentVariable("VETRASTO_BIN");
    if (!bin.isEmpty()) {
        ProgramFolder::setPath(bin);
        frmTemplate reale;
        auto *lista = figlio<QListWidget>(&reale, QStringLiteral("lstTemplate"));
        QVERIFY(lista);
        QCOMPARE(lista->count(), 2);
        QCOMPARE(lista->item(0)->text(), QStringLiteral("classico"));
        QCOMPARE(lista->item(1)->text(), QStringLiteral("moderno"));
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
    FIGLIO(QListWidget, lstTemplate, &d);
    FIGLIO(QLabel, imgTemplate, &d);
    FIGLIO(QLabel, lblAnteprima, &d);
    FIGLIO(QPlainTextEdit, txtNote, &d);
    d.preseleziona(QStringLiteral("classico"));
    QCOMPARE(lstTemplate->currentItem()->text(), QStringLiteral("classico"));
    QCOMPARE(imgTemplate->isVisibleTo(&d), misura.isValid());
    if (misura.isValid())
        QCOMPARE(imgTemplate->geometry(), QRect(posizione, misura));
    QCOMPARE(lblAnteprima->text().isEmpty(), byte.isEmpty());
    const QString attese = note.contains('\xe8') && !note.contains("è") ? QStringLiteral("Note\nWindows è")
                                                                         : QString::fromUtf8(note);
    QCOMPARE(txtNote->toPlainText(), attese);
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
    QVERIFY(scegli(&d, scelta, pulsante));
    QCOMPARE(d.tag(), tag);
    QVERIFY(!d.isVisible());
}

void TestTemplate::sceltaDallaFinestra()
{
    auto f = apriFinestra();
    QVERIFY(f->w);
    scrivi(f->program.path() + QStringLiteral("/template/secondo/modello7.htm"), "<html></html>");
    scrivi(f->program.path() + QStringLiteral("/template/secondo/modello10.htm"), "<html></html>");
    rispondi(QStringLiteral("secondo"), QStringLiteral("cmdOK"));
    f->w->comandi().azione(Cmd::ScegliTemplate)->trigger();
    QVERIFY(m_risposto);
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT template FROM generale")).toString(), QStringLiteral("secondo"));
    QCOMPARE(f->negozio().state.CartellaTemplate, QStringLiteral("template/secondo"));
    // The departments' list of models follows, in name order.
    auto *cbo = figlio<QComboBox>(f->w->vistaReparti(), QStringLiteral("cboTemplate"));
    QVERIFY(cbo);
    QCOMPARE(cbo->count(), 2);
    QCOMPARE(cbo->itemText(0), QStringLiteral("modello10"));
    QCOMPARE(cbo->itemText(1), QStringLiteral("modello7"));
    // Cancelled: nothing changes.
    rispondi(QStringLiteral("classico"), QStringLiteral("cmdAnnulla"));
    f->w->comandi().azione(Cmd::ScegliTemplate)->trigger();
    QVERIFY(m_risposto);
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
    rispondi(QStringLiteral("secondo"), QStringLiteral("cmdOK"));
    f->w->comandi().azione(Cmd::ScegliTemplate)->trigger();
    QVERIFY(m_risposto);
    QCOMPARE(f->messages.texts().size(), 1);
    QVERIFY(f->messages.texts()[0].contains(QStringLiteral("secondo")));
    QCOMPARE(f->negozio().state.CartellaTemplate, QStringLiteral("template/classico"));
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT template FROM generale")).toString(), QStringLiteral("classico"));
}

QTEST_MAIN(TestTemplate)
#include "test_template.moc"
