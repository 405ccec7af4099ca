// The four windows on real shops, driven with key presses and mouse clicks
// on the offscreen platform; each leaves a screenshot in the test output
// folder.
#include "testshop.h"

#include "catalogo.h"
#include "frmbrowse.h"
#include "frmimportazd.h"
#include "frmopzioni.h"
#include "frmsearch.h"
#include "settings.h"
#include "shell.h"
#include "zendarojet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace {

void fotografa(QWidget *w, const QString &nome)
{
    const QString cartella = QStringLiteral(CARTELLA_USCITA);
    QDir().mkpath(cartella);
    QVERIFY(w->grab().save(cartella + u'/' + nome + QStringLiteral(".png")));
}

// A click where the button takes it: check boxes and options on their mark.
void clic(QAbstractButton *b)
{
    const bool segno = qobject_cast<QCheckBox *>(b) || qobject_cast<QRadioButton *>(b);
    QTest::mouseClick(b, Qt::LeftButton, {}, segno ? QPoint(8, b->height() / 2) : b->rect().center());
}

} // namespace

class TestDialoghi : public QObject {
    Q_OBJECT
    TestProgramFolder program;
    std::unique_ptr<NegozioDiProva> t;
    QStringList aiuti;

    Database &db() { return *t->negozio.state.dbCatalogo; }
    std::function<void(const QString &)> aiuto()
    {
        return [this](const QString &a) { aiuti << a; };
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void init()
    {
        t = std::make_unique<NegozioDiProva>();
        QCOMPARE(t->apri(program.newShop(QStringLiteral("d%1").arg(QDateTime::currentMSecsSinceEpoch()))), int(Negozio::Aperto));
        aiuti.clear();
    }
    void cleanup() { t.reset(); }

    void varianti()
    {
        db().execute(QStringLiteral("UPDATE opzioni SET nome='(nessuna variante)' WHERE ID=1"));
        db().execute(QStringLiteral("INSERT INTO opzioni (nome, opzione1, prezzo1, peso1, opzione2, prezzo2, peso2, selezionato) "
                                    "VALUES ('Taglie|*2', 'Piccola', 0, 0, 'Media', 15000, 0.2, 1)"));
        frmOpzioni f(db(), t->messages, aiuto());
        f.mostra(QStringLiteral("2"));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.DBGrid1->currentRow(), 1);
        QVERIFY(f.optSelezionato[1]->isChecked());
        QCOMPARE(f.txtOpzionePrezzo[1]->text(), QStringLiteral("1,5"));

        // A price with a sign and a typed "."; letters are not taken.
        f.txtOpzionePrezzo[2]->clear();
        QTest::keyClicks(f.txtOpzionePrezzo[2], QStringLiteral("-2.5x"));
        QCOMPARE(f.txtOpzionePrezzo[2]->text(), QStringLiteral("-2,5"));
        f.txtOpzionePeso[2]->clear();
        QTest::keyClicks(f.txtOpzionePeso[2], QStringLiteral("-1,25"));
        QCOMPARE(f.txtOpzionePeso[2]->text(), QStringLiteral("1,25"));
        QTest::keyClicks(f.txtOpzione[2], QStringLiteral("Grande"));
        clic(f.optSelezionato[2]);
        QTest::keyClick(&f, Qt::Key_F1);
        QCOMPARE(aiuti, QStringList{"pagine\\varianti.htm"});
        fotografa(&f, QStringLiteral("frmOpzioni"));

        // Leaving the set saves it; set 1 cannot be edited.
        QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, {},
                          f.DBGrid1->visualItemRect(f.DBGrid1->item(0)).center());
        QCOMPARE(f.DBGrid1->currentRow(), 0);
        QVERIFY(!f.txtOpzione[0]->isEnabled());
        QVERIFY(!f.cmdDuplica->isEnabled());
        QCOMPARE(db().scalar(QStringLiteral("SELECT opzione3 || ' ' || prezzo3 || ' ' || peso3 || ' ' || selezionato FROM opzioni WHERE ID=2")).toString(),
                 QStringLiteral("Grande -25000 1.25 2"));

        // A new set, then the close box: everything goes.
        clic(f.cmdNuova);
        QCOMPARE(f.DBGrid1->count(), 3);
        QVERIFY(f.txtOpzione[0]->isEnabled());
        f.close();
        QVERIFY(f.tag().isEmpty());
        QCOMPARE(db().scalar(QStringLiteral("SELECT COUNT(*) FROM opzioni")).toInt(), 2);
        QCOMPARE(db().scalar(QStringLiteral("SELECT opzione3 FROM opzioni WHERE ID=2")).toString(), QString());
        QCOMPARE(db().transactionDepth(), 0);
    }

    // Commands 30, 31 and 34: the chosen set goes to the article's slot.
    void definisciVariante()
    {
        db().execute(QStringLiteral("INSERT INTO opzioni (nome) VALUES ('Colori')"));
        DatiPrincipali &d = t->dati();
        d.selezionaNodo(d.tvwCategorie.nodes().at(1)->key);
        db().execute(QStringLiteral("INSERT INTO articoli (catID, codice) VALUES (?, 'A1')"), {d.repartoCorrente()});
        d.dataArticoli.refresh();
        QVERIFY(d.dataArticoli.recordset().hasCurrent());
        QTimer::singleShot(0, this, [] {
            auto *f = qobject_cast<frmOpzioni *>(QApplication::activeModalWidget());
            QVERIFY(f);
            QCOMPARE(f->DBGrid1->currentRow(), 0);  // the slot holds set 1
            f->DBGrid1->setCurrentRow(1);
            clic(f->cmdOK);
        });
        QVERIFY(frmOpzioni::DefinisciVariante(t->negozio, 2));
        QCOMPARE(db().scalar(QStringLiteral("SELECT opzione2 FROM articoli WHERE codice='A1'")).toLongLong(), 2LL);
        QCOMPARE(NomiVarianti(db(), 1, 2, 1).at(1), QStringLiteral("Colori"));
    }

    void ricerca()
    {
        DatiPrincipali &d = t->dati();
        const QString reparto = d.tvwCategorie.nodes().at(1)->key;
        for (const char *titolo : {"Maglia rosa", "Rosato", "Gonna rosa antico"})
            db().execute(QStringLiteral("INSERT INTO articoli (catID, codice, titolo, ordinamento) VALUES (?, ?, ?, ?)"),
                         {reparto, QString::fromLatin1(titolo).left(3), QString::fromLatin1(titolo), int(titolo[0])});
        frmSearch f(t->negozio, aiuto());
        f.mostra();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::keyClicks(f.txtCerca, QStringLiteral("rosa'; --"));
        QCOMPARE(f.txtCerca->text(), QStringLiteral("rosa "));
        QVERIFY(!f.cmdCerca->isEnabled());
        clic(f.optCerca[1]);
        QVERIFY(f.cmdCerca->isEnabled());
        clic(f.chkParola);
        QVERIFY(f.chkParola->isChecked());
        QTest::keyClick(f.txtCerca, Qt::Key_Return);
        QCOMPARE(f.gridResult->rowCount(), 2);
        QCOMPARE(f.gridResult->item(0, 1)->text(), QStringLiteral("Gonna rosa antico"));
        QStringList intestazioni;
        for (int c = 0; c < f.gridResult->columnCount(); ++c)
            intestazioni << f.gridResult->horizontalHeaderItem(c)->text();
        QCOMPARE(intestazioni, (QStringList{"Codice", "Titolo", "Sottotitolo"}));
        fotografa(&f, QStringLiteral("frmSearch"));

        // "Mostra" brings the article into view.
        f.gridResult->selectRow(1);
        clic(f.cmdVisualizza);
        QCOMPARE(d.dataArticoli.recordset().text(QStringLiteral("titolo")), QStringLiteral("Maglia rosa"));
        QCOMPARE(t->scheda, QStringLiteral("kArticoli"));

        // An article deleted meanwhile is reported and leaves the list.
        db().execute(QStringLiteral("DELETE FROM articoli WHERE titolo='Gonna rosa antico'"));
        f.gridResult->selectRow(0);
        clic(f.cmdVisualizza);
        QCOMPARE(t->messages.texts(), QStringList{"L'articolo non esiste più: è stato eliminato dopo la ricerca."});
        QCOMPARE(f.gridResult->rowCount(), 1);

        // Nothing found: the label instead of the list.
        f.txtCerca->setText(QStringLiteral("zzz"));
        clic(f.cmdCerca);
        QVERIFY(f.gridResult->isHidden());
        QVERIFY(f.lblNoResult->isVisible());
        QVERIFY(!f.cmdVisualizza->isEnabled());
        fotografa(&f, QStringLiteral("frmSearch-vuoto"));

        // Closed and shown again: the field stays chosen, the rest starts afresh.
        clic(f.cmdChiudi);
        QVERIFY(!f.isVisible());
        f.mostra();
        QVERIFY(f.optCerca[1]->isChecked());
        QVERIFY(f.txtCerca->text().isEmpty());
        QVERIFY(!f.chkParola->isChecked());
        QTest::keyClick(&f, Qt::Key_F1);
        QCOMPARE(aiuti, QStringList{"pagine\\ricerca.htm"});
    }

    // A catalogue that cannot be read (its article table gone) is reported
    // by both buttons, and the window stays as it was.
    void ricercaSenzaCatalogo_data()
    {
        QTest::addColumn<bool>("mostra");
        QTest::addColumn<QString>("messaggio");
        QTest::newRow("Cerca") << false << "La ricerca non è riuscita: il catalogo non può essere letto.";
        QTest::newRow("Mostra") << true << "L'articolo non può essere mostrato: il catalogo non può essere letto.";
    }
    void ricercaSenzaCatalogo()
    {
        QFETCH(bool, mostra);
        QFETCH(QString, messaggio);
        db().execute(QStringLiteral("INSERT INTO articoli (catID, codice, titolo) VALUES (?, 'R1', 'Rosa')"),
                     {t->dati().tvwCategorie.nodes().at(1)->key});
        frmSearch f(t->negozio, aiuto());
        f.mostra();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::keyClicks(f.txtCerca, QStringLiteral("rosa"));
        clic(f.optCerca[1]);
        if (mostra)
            clic(f.cmdCerca);
        db().execute(QStringLiteral("ALTER TABLE articoli RENAME TO articoli_altrove"));
        clic(mostra ? f.cmdVisualizza : f.cmdCerca);
        db().execute(QStringLiteral("ALTER TABLE articoli_altrove RENAME TO articoli"));
        QCOMPARE(t->messages.texts().size(), 1);
        QVERIFY2(t->messages.texts().first().startsWith(messaggio), qPrintable(t->messages.texts().first()));
        QVERIFY(f.isVisible());
        QCOMPARE(f.gridResult->rowCount(), mostra ? 1 : 0);
        QCOMPARE(f.cmdVisualizza->isEnabled(), mostra);
    }

    void cartelle()
    {
        QTemporaryDir altrove;
        const QString negozio = t->negozio.state.PercorsoNegozio;
        Shell::setPicker([&](const QString &, const QString &) { return altrove.path(); });
        {
            frmBrowse f(t->negozio, aiuto());
            f.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f));
            QCOMPARE(f.txtCart[0]->text(), negozio + QStringLiteral("/online"));
            clic(f.cmdCart[0]);
            QCOMPARE(f.txtCart[0]->text(), altrove.path());
            // The scripts folder typed as the shop folder itself is refused.
            f.txtCart[1]->selectAll();
            QTest::keyClicks(f.txtCart[1], negozio);
            fotografa(&f, QStringLiteral("frmBrowse"));
            clic(f.cmdOK);
            QVERIFY(!f.isVisible());
        }
        QCOMPARE(t->negozio.state.CartellaPagine, altrove.path());
        QCOMPARE(t->negozio.state.CartellaScript, negozio + QStringLiteral("/scripts"));
        QCOMPARE(t->messages.texts().size(), 1);
        QVERIFY(t->messages.texts().first().startsWith(QStringLiteral("La cartella '") + negozio + QStringLiteral("' non può")));

        // Reset brings the default back and records the empty text.
        frmBrowse f(t->negozio, aiuto());
        f.show();
        clic(f.cmdCartReset[0]);
        QCOMPARE(f.txtCart[0]->text(), negozio + QStringLiteral("/online"));
        clic(f.cmdOK);
        QCOMPARE(t->negozio.state.CartellaPagine, negozio + QStringLiteral("/online"));
        QCOMPARE(db().scalar(QStringLiteral("SELECT siteonline FROM generale")).toString(), QString());
        Shell::setPicker({});
    }

    void importazione_data()
    {
        QTest::addColumn<bool>("contrassegna");
        QTest::addColumn<int>("prezzo");
        QTest::addColumn<int>("offerta");
        QTest::addColumn<bool>("iva");
        QTest::addColumn<QString>("tag");
        QTest::newRow("come si apre") << true << 0 << 0 << false << "1110";
        QTest::newRow("tutto cambiato") << false << 3 << 2 << true << "0431";
    }
    void importazione()
    {
        QFETCH(bool, contrassegna);
        QFETCH(int, prezzo);
        QFETCH(int, offerta);
        QFETCH(bool, iva);
        QFETCH(QString, tag);
        frmImportaZD f;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.cboPrezzo->currentText(), QStringLiteral("prezzo 1"));
        QCOMPARE(f.cboOfferta->currentText(), QStringLiteral("(nessuno)"));
        if (contrassegna != f.chkContrassegna->isChecked())
            clic(f.chkContrassegna);
        if (iva)
            clic(f.chkIva);
        f.cboPrezzo->setFocus();
        for (int i = 0; i < prezzo; ++i)
            QTest::keyClick(f.cboPrezzo, Qt::Key_Down);
        f.cboOfferta->setFocus();
        for (int i = 0; i < offerta; ++i)
            QTest::keyClick(f.cboOfferta, Qt::Key_Down);
        if (tag == QLatin1String("1110"))
            fotografa(&f, QStringLiteral("frmImportaZD"));
        clic(f.cmdOK);
        QCOMPARE(f.tag(), tag);

        frmImportaZD chiuso;
        chiuso.show();
        chiuso.close();
        QVERIFY(chiuso.tag().isEmpty());
    }

    // The menu entry's import on a real Zendaro file: the progress window
    // paints while the articles go in, not only when they are all in.
    void importazioneInCorso()
    {
        QTemporaryDir zendaro;
        ZendaroJet::scrivi(zendaro.filePath(QStringLiteral("zendaro.mdb")), 200);
        SettingsStore::set(QStringLiteral("Zendaro"), QStringLiteral("AppPath"), QStringLiteral("AppPath"), zendaro.path());
        const qint64 prima = db().scalar(QStringLiteral("SELECT COUNT(*) FROM articoli")).toLongLong();

        // The article count each time the progress window paints.
        struct Osservatore : QObject {
            Database *db;
            QList<qint64> articoli;
            QPointer<QWidget> finestra;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                auto *w = o->isWidgetType() ? qobject_cast<QProgressDialog *>(static_cast<QWidget *>(o)->window()) : nullptr;
                if (w && e->type() == QEvent::Paint) {
                    articoli << db->scalar(QStringLiteral("SELECT COUNT(*) FROM articoli")).toLongLong();
                    if (!finestra) {
                        finestra = w;
                        QTimer::singleShot(0, this, [this] {
                            if (finestra)
                                fotografa(finestra, QStringLiteral("importazione-in-corso"));
                        });
                    }
                }
                return false;
            }
        } osservatore;
        osservatore.db = &db();
        qApp->installEventFilter(&osservatore);
        QTimer::singleShot(0, this, [] {
            auto *f = qobject_cast<frmImportaZD *>(QApplication::activeModalWidget());
            QVERIFY(f);
            clic(f->cmdOK);
        });
        Catalogo catalogo(t->negozio);
        frmImportaZD::Importa(t->negozio, catalogo);
        qApp->removeEventFilter(&osservatore);

        QCOMPARE(t->messages.texts(), QStringList{"Importazione completata"});
        const qint64 dopo = db().scalar(QStringLiteral("SELECT COUNT(*) FROM articoli")).toLongLong();
        QCOMPARE(dopo, prima + 204);
        QVERIFY2(std::any_of(osservatore.articoli.begin(), osservatore.articoli.end(), [&](qint64 n) { return n > prima && n < dopo; }),
                 qPrintable(QStringLiteral("%1 paints").arg(osservatore.articoli.size())));
    }
};

QTEST_MAIN(TestDialoghi)
#include "test_dialoghi.moc"
