// The four windows on real shops, driven with key presses and mouse clicks
// on the offscreen platform; each leaves a screenshot in the test output
// folder.
#include "finestre.h"
#include "testshop.h"

#include "catalogo.h"
#include "frmbrowse.h"
#include "frmimportazd.h"
#include "frmopzioni.h"
#include "frmsearch.h"
#include "guastidb.h"
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
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QToolButton>
#include <QScopeGuard>
#include <QtTest>

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
        FIGLIO(QListWidget, DBGrid1, &f);
        FIGLIO(QRadioButton, optSelezionato1, &f);
        FIGLIO(QLineEdit, txtOpzionePrezzo1, &f);
        FIGLIO(QLineEdit, txtOpzionePrezzo2, &f);
        FIGLIO(QLineEdit, txtOpzionePeso2, &f);
        FIGLIO(QLineEdit, txtOpzione2, &f);
        FIGLIO(QRadioButton, optSelezionato2, &f);
        FIGLIO(QLineEdit, txtOpzione0, &f);
        FIGLIO(QPushButton, cmdDuplica, &f);
        FIGLIO(QPushButton, cmdNuova, &f);
        f.mostra(QStringLiteral("2"));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(DBGrid1->currentRow(), 1);
        QVERIFY(optSelezionato1->isChecked());
        QCOMPARE(txtOpzionePrezzo1->text(), QStringLiteral("1,5"));

        // A price with a sign and a typed "."; letters are not taken.
        txtOpzionePrezzo2->clear();
        QTest::keyClicks(txtOpzionePrezzo2, QStringLiteral("-2.5x"));
        QCOMPARE(txtOpzionePrezzo2->text(), QStringLiteral("-2,5"));
        txtOpzionePeso2->clear();
        QTest::keyClicks(txtOpzionePeso2, QStringLiteral("-1,25"));
        QCOMPARE(txtOpzionePeso2->text(), QStringLiteral("1,25"));
        QTest::keyClicks(txtOpzione2, QStringLiteral("Grande"));
        QVERIFY(clic(optSelezionato2));
        QTest::keyClick(&f, Qt::Key_F1);
        QCOMPARE(aiuti, QStringList{"pagine\\varianti.htm"});
        QVERIFY(salvaSchermata(&f, QStringLiteral("frmOpzioni")));

        // Leaving the set saves it; set 1 cannot be edited.
        QTest::mouseClick(DBGrid1->viewport(), Qt::LeftButton, {},
                          DBGrid1->visualItemRect(DBGrid1->item(0)).center());
        QCOMPARE(DBGrid1->currentRow(), 0);
        QVERIFY(!txtOpzione0->isEnabled());
        QVERIFY(!cmdDuplica->isEnabled());
        QCOMPARE(db().scalar(QStringLiteral("SELECT opzione3 || ' ' || prezzo3 || ' ' || peso3 || ' ' || selezionato FROM opzioni WHERE ID=2")).toString(),
                 QStringLiteral("Grande -25000 1.25 2"));

        // A new set, then the close box: everything goes.
        QVERIFY(clic(cmdNuova));
        QCOMPARE(DBGrid1->count(), 3);
        QVERIFY(txtOpzione0->isEnabled());
        f.close();
        QVERIFY(f.tag().isEmpty());
        QCOMPARE(db().scalar(QStringLiteral("SELECT COUNT(*) FROM opzioni")).toInt(), 2);
        QCOMPARE(db().scalar(QStringLiteral("SELECT opzione3 FROM opzioni WHERE ID=2")).toString(), QString());
        QCOMPARE(db().transactionDepth(), 0);
    }

    // "OK" with an empty price and an empty weight: the price message alone,
    // then, the price mended, the weight message; the dialog stays open
    // until both are numbers.
    void variantiOKNonValido()
    {
        db().execute(QStringLiteral("INSERT INTO opzioni (nome, opzione1, prezzo1, peso1, selezionato) "
                                    "VALUES ('Taglie', 'Piccola', 0, 0, 0)"));
        frmOpzioni f(db(), t->messages, aiuto(), nullptr, u',');
        FIGLIO(QLineEdit, txtOpzionePrezzo4, &f);
        FIGLIO(QLineEdit, txtOpzionePeso9, &f);
        FIGLIO(QPushButton, cmdOK, &f);
        f.mostra(QStringLiteral("2"));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QString prezzo = QStringLiteral("Il prezzo di alcune varianti non è in un formato valido");
        const QString peso = QStringLiteral("Il peso di alcune varianti non è in un formato valido");
        QVERIFY(riscrivi(txtOpzionePrezzo4, QString()));
        QVERIFY(riscrivi(txtOpzionePeso9, QString()));
        QVERIFY(clic(cmdOK));
        QCOMPARE(t->messages.texts(), QStringList{prezzo});
        QVERIFY(f.isVisible());
        QVERIFY(riscrivi(txtOpzionePrezzo4, QStringLiteral("3,5")));
        QVERIFY(clic(cmdOK));
        QCOMPARE(t->messages.texts(), (QStringList{prezzo, peso}));
        QVERIFY(f.isVisible());
        QCOMPARE(db().transactionDepth(), 1);
        QVERIFY(riscrivi(txtOpzionePeso9, QStringLiteral("2")));
        QVERIFY(clic(cmdOK));
        QCOMPARE(t->messages.texts().size(), 2);
        QCOMPARE(f.tag(), QStringLiteral("OK"));
        QCOMPARE(db().transactionDepth(), 0);
        QCOMPARE(db().scalar(QStringLiteral("SELECT prezzo5 || ' ' || peso10 FROM opzioni WHERE ID=2")).toString(),
                 QStringLiteral("35000 2"));
    }

    // A move to another set refused (an empty price): the list shows the
    // set the fields hold, and "Elimina" and "OK" act on it; the article's
    // slot gets it.
    void variantiSpostamentoRifiutato_data()
    {
        QTest::addColumn<QString>("mossa");  // how the merchant moves to the third set
        QTest::addColumn<QString>("pulsante");
        QTest::newRow("click, then OK") << "clic" << "OK";
        QTest::newRow("Down, then OK") << "giu" << "OK";
        QTest::newRow("End, then OK") << "fine" << "OK";
        QTest::newRow("click, then Elimina") << "clic" << "Elimina";
        QTest::newRow("Down, then Elimina") << "giu" << "Elimina";
    }
    void variantiSpostamentoRifiutato()
    {
        QFETCH(QString, mossa);
        QFETCH(QString, pulsante);
        db().execute(QStringLiteral("INSERT INTO opzioni (nome, opzione1, prezzo1, peso1, selezionato) "
                                    "VALUES ('Taglie', 'Piccola', 0, 0, 0)"));
        db().execute(QStringLiteral("INSERT INTO opzioni (nome, opzione1, prezzo1, peso1, selezionato) "
                                    "VALUES ('Colori', 'Rosso', 0, 0, 0)"));
        DatiPrincipali &d = t->dati();
        d.selezionaNodo(d.tvwCategorie.nodi().at(1)->chiave);
        db().execute(QStringLiteral("INSERT INTO articoli (catID, codice) VALUES (?, 'A1')"), {d.repartoCorrente()});
        d.dataArticoli.refresh();
        const QString prezzo = QStringLiteral("Il prezzo di alcune varianti non è in un formato valido");
        bool fatto = false;
        QObject guardia;
        alProssimoModale(guardia, [&](QWidget *f) {
            auto *elenco = figlio<QListWidget>(f, QStringLiteral("DBGrid1"));
            auto *prezzo0 = figlio<QLineEdit>(f, QStringLiteral("txtOpzionePrezzo0"));
            auto *nome0 = figlio<QLineEdit>(f, QStringLiteral("txtOpzione0"));
            VERIFICA(elenco && prezzo0 && nome0);
            elenco->setCurrentRow(1);
            CONFRONTA(nome0->text(), QStringLiteral("Piccola"));
            VERIFICA(riscrivi(prezzo0, QString()));
            if (mossa == "clic") {
                QTest::mouseClick(elenco->viewport(), Qt::LeftButton, {}, elenco->visualItemRect(elenco->item(2)).center());
            } else {
                elenco->setFocus();
                QTest::keyClick(elenco, mossa == "giu" ? Qt::Key_Down : Qt::Key_End);
            }
            QCoreApplication::processEvents();
            CONFRONTA(t->messages.texts(), QStringList{prezzo});
            // The fields still show "Taglie", and so does the list.
            CONFRONTA(nome0->text(), QStringLiteral("Piccola"));
            CONFRONTA(elenco->currentRow(), 1);
            CONFRONTA(elenco->selectedItems().size(), qsizetype(1));
            CONFRONTA(elenco->selectedItems().first()->text(), QStringLiteral("Taglie"));
            if (QTest::currentDataTag() == QByteArray("click, then OK"))
                VERIFICA(salvaSchermata(f, QStringLiteral("frmOpzioni-spostamento-rifiutato")));
            VERIFICA(riscrivi(prezzo0, QStringLiteral("2")));
            if (pulsante == "Elimina") {
                t->messages.answer(Messages::Answer::No);
                VERIFICA(clic(figlio<QPushButton>(f, QStringLiteral("cmdElimina"))));
                CONFRONTA(t->messages.texts().last(), QStringLiteral("Eliminare la variante selezionata ('Taglie')?"));
            }
            return fatto = clic(figlio<QPushButton>(f, QStringLiteral("cmdOK")));
        });
        QVERIFY(frmOpzioni::DefinisciVariante(t->negozio, 1));
        QVERIFY(fatto);
        QCOMPARE(db().scalar(QStringLiteral("SELECT opzione1 FROM articoli WHERE codice='A1'")).toLongLong(), 2LL);
        QCOMPARE(db().scalar(QStringLiteral("SELECT prezzo1 FROM opzioni WHERE ID=2")).toLongLong(), 20000LL);
    }

    // Commands 30, 31 and 34: the chosen set goes to the article's slot.
    void definisciVariante()
    {
        db().execute(QStringLiteral("INSERT INTO opzioni (nome) VALUES ('Colori')"));
        DatiPrincipali &d = t->dati();
        d.selezionaNodo(d.tvwCategorie.nodi().at(1)->chiave);
        db().execute(QStringLiteral("INSERT INTO articoli (catID, codice) VALUES (?, 'A1')"), {d.repartoCorrente()});
        d.dataArticoli.refresh();
        QVERIFY(d.dataArticoli.recordset().hasCurrent());
        bool scelta = false;
        QObject guardia;
        alProssimoModale(guardia, [&scelta](QWidget *f) {
            VERIFICA(qobject_cast<frmOpzioni *>(f));
            auto *elenco = figlio<QListWidget>(f, QStringLiteral("DBGrid1"));
            VERIFICA(elenco);
            CONFRONTA(elenco->currentRow(), 0);  // the slot holds set 1
            elenco->setCurrentRow(1);
            return scelta = clic(figlio<QPushButton>(f, QStringLiteral("cmdOK")));
        });
        QVERIFY(frmOpzioni::DefinisciVariante(t->negozio, 2));
        QVERIFY(scelta);
        QCOMPARE(db().scalar(QStringLiteral("SELECT opzione2 FROM articoli WHERE codice='A1'")).toLongLong(), 2LL);
        QCOMPARE(NomiVarianti(db(), 1, 2, 1).at(1), QStringLiteral("Colori"));
    }

    // A write or commit the database refuses, from each button of the
    // variant editor: the message, and the dialog stays open with its
    // transaction (the earlier edit still pending, undone by "Annulla"); when
    // the database rolled everything back, the dialog closes as cancelled.
    void variantiRifiutate_data()
    {
        QTest::addColumn<QString>("azione");
        QTest::addColumn<QString>("guasto");  // SQL of a trigger, "hook" or "sospeso"
        QTest::addColumn<QString>("messaggio");
        QTest::addColumn<bool>("chiusa");
        const QString inserimento = "BEFORE INSERT ON opzioni BEGIN SELECT RAISE(%1, 'disco pieno'); END";
        const QString nome = "BEFORE UPDATE ON opzioni WHEN NEW.nome IS NOT OLD.nome BEGIN SELECT RAISE(%1, 'disco pieno'); END";
        QTest::newRow("Nuova") << "Nuova" << inserimento.arg("ABORT") << "Impossibile creare una nuova variante." << false;
        QTest::newRow("Duplica") << "Duplica" << inserimento.arg("ABORT") << "Impossibile duplicare la variante." << false;
        QTest::newRow("Elimina") << "Elimina" << "BEFORE DELETE ON opzioni BEGIN SELECT RAISE(ABORT, 'disco pieno'); END"
                                 << "Impossibile eliminare la variante." << false;
        QTest::newRow("nome nell'elenco") << "rinomina" << nome.arg("ABORT") << "Impossibile rinominare la variante." << false;
        QTest::newRow("OK, variante rifiutata")
            << "OK" << "BEFORE UPDATE ON opzioni WHEN NEW.opzione1 = 'Rotta' BEGIN SELECT RAISE(ABORT, 'disco pieno'); END"
            << "Non è stato possibile salvare la variante." << false;
        QTest::newRow("OK, commit in sospeso") << "OK" << "sospeso" << "Impossibile salvare le varianti" << false;
        QTest::newRow("OK, commit annullato dal database") << "OK" << "hook" << "Impossibile salvare le varianti" << true;
        QTest::newRow("Nuova, il database annulla tutto")
            << "Nuova" << inserimento.arg("ROLLBACK") << "Impossibile creare una nuova variante." << true;
        QTest::newRow("nome, il database annulla tutto")
            << "rinomina" << nome.arg("ROLLBACK") << "Impossibile rinominare la variante." << true;
    }
    void variantiRifiutate()
    {
        QFETCH(QString, azione);
        QFETCH(QString, guasto);
        QFETCH(QString, messaggio);
        QFETCH(bool, chiusa);
        db().execute(QStringLiteral("INSERT INTO opzioni (nome, opzione1, prezzo1, peso1, selezionato) "
                                    "VALUES ('Taglie', 'Piccola', 0, 0, 0)"));
        const auto tabella = [this] {
            return db().scalar(QStringLiteral("SELECT group_concat(ID || ':' || IFNULL(nome, '') || ':' || "
                                              "IFNULL(opzione1, '') || ':' || IFNULL(opzione2, ''), '|') FROM opzioni"))
                .toString();
        };
        const QString prima = tabella();
        // The faults that must exist before the dialog's transaction begins.
        CommitSospeso sospeso(db());
        if (guasto != "hook" && guasto != "sospeso")
            db().execute(QStringLiteral("CREATE TEMP TRIGGER guasto ") + guasto);
        frmOpzioni f(db(), t->messages, aiuto(), nullptr, u',');
        FIGLIO(QLineEdit, txtOpzione1, &f);
        FIGLIO(QListWidget, DBGrid1, &f);
        FIGLIO(QPushButton, cmdNuova, &f);
        FIGLIO(QPushButton, cmdDuplica, &f);
        FIGLIO(QPushButton, cmdElimina, &f);
        FIGLIO(QLineEdit, txtOpzione0, &f);
        FIGLIO(QPushButton, cmdOK, &f);
        FIGLIO(QPushButton, cmdAnnulla, &f);
        f.mostra(QStringLiteral("2"));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        // An edit that is saved when the set is left: it stays pending in
        // the transaction.
        QTest::keyClicks(txtOpzione1, QStringLiteral("Media"));
        QTest::mouseClick(DBGrid1->viewport(), Qt::LeftButton, {}, DBGrid1->visualItemRect(DBGrid1->item(0)).center());
        QTest::mouseClick(DBGrid1->viewport(), Qt::LeftButton, {}, DBGrid1->visualItemRect(DBGrid1->item(1)).center());
        QCOMPARE(txtOpzione1->text(), QStringLiteral("Media"));
        QVERIFY(t->messages.texts().isEmpty());

        std::optional<CommitRifiutato> hook;
        if (guasto == "hook")
            hook.emplace(db());
        if (guasto == "sospeso")
            sospeso.guasta();
        if (azione == "Nuova") {
            QVERIFY(clic(cmdNuova));
        } else if (azione == "Duplica") {
            QVERIFY(clic(cmdDuplica));
        } else if (azione == "Elimina") {
            t->messages.answer(Messages::Answer::Yes);
            QVERIFY(clic(cmdElimina));
        } else if (azione == "rinomina") {
            QTest::mouseDClick(DBGrid1->viewport(), Qt::LeftButton, {},
                               DBGrid1->visualItemRect(DBGrid1->item(1)).center());
            auto *editore = DBGrid1->viewport()->findChild<QLineEdit *>();
            QVERIFY(editore);
            editore->selectAll();
            QTest::keyClicks(editore, QStringLiteral("Misure"));
            QTest::keyClick(editore, Qt::Key_Return);
            QCoreApplication::processEvents();  // the list takes the name after the key
        } else {
            txtOpzione0->selectAll();
            QTest::keyClicks(txtOpzione0, QStringLiteral("Rotta"));
            QVERIFY(clic(cmdOK));
        }
        const QStringList testi = t->messages.texts();
        QCOMPARE(testi.size(), azione == "Elimina" ? 2 : 1);
        QVERIFY2(testi.last().startsWith(messaggio) && testi.last().contains(azione == "OK" && guasto != "sospeso" &&
                                                                              guasto != "hook"
                                                                          ? "disco pieno"
                                                                          : ""),
                 qPrintable(testi.last()));
        QCOMPARE(testi.last().contains(testoTransazioneAnnullata()), chiusa);
        QCOMPARE(testi.last().contains(testoCommitInSospeso()), guasto == "sospeso");
        QVERIFY(f.tag().isEmpty());
        if (chiusa) {
            QTRY_VERIFY(!f.isVisible());
            QCOMPARE(db().transactionDepth(), 0);
            QCOMPARE(tabella(), prima);
            return;
        }
        // Still open: the dialog, the transaction, the earlier edit.
        QVERIFY(f.isVisible());
        QVERIFY(f.editor().aperto());
        QCOMPARE(db().transactionDepth(), 1);
        QVERIFY(tabella().contains(QStringLiteral(":Media")));
        QCOMPARE(DBGrid1->item(1)->text(), QStringLiteral("Taglie"));
        if (azione == "Nuova")
            QVERIFY(salvaSchermata(&f, QStringLiteral("frmOpzioni-rifiuto")));
        QVERIFY(clic(cmdAnnulla));
        QVERIFY(!f.isVisible());
        QCOMPARE(db().transactionDepth(), 0);
        QCOMPARE(tabella(), prima);
    }

    // The price and weight fields take the separator given, "." typed
    // included, whatever it is; what they show is saved as typed.
    void variantiSeparatori_data()
    {
        QTest::addColumn<QChar>("separatore");
        QTest::newRow("punto") << QChar(u'.');
        QTest::newRow("virgola") << QChar(u',');
        QTest::newRow("apostrofo") << QChar(u'\'');
    }
    void variantiSeparatori()
    {
        QFETCH(QChar, separatore);
        db().execute(QStringLiteral("INSERT INTO opzioni (nome, opzione1, prezzo1, peso1, selezionato) "
                                    "VALUES ('Taglie', 'Piccola', 15000, 0.5, 0)"));
        frmOpzioni f(db(), t->messages, aiuto(), nullptr, separatore);
        FIGLIO(QLineEdit, txtOpzionePrezzo0, &f);
        FIGLIO(QLineEdit, txtOpzionePeso0, &f);
        FIGLIO(QLineEdit, txtOpzionePrezzo1, &f);
        FIGLIO(QLineEdit, txtOpzionePeso1, &f);
        FIGLIO(QLineEdit, txtOpzione1, &f);
        FIGLIO(QPushButton, cmdOK, &f);
        f.mostra(QStringLiteral("2"));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QString sep(separatore);
        for (QLineEdit *campo : {txtOpzionePrezzo0, txtOpzionePeso0}) {
            const auto *filtro = qobject_cast<const QRegularExpressionValidator *>(campo->validator());
            QVERIFY(filtro);
            QVERIFY2(filtro->regularExpression().isValid(), qPrintable(filtro->regularExpression().errorString()));
        }
        QCOMPARE(txtOpzionePrezzo0->text(), "1" + sep + "5");
        QCOMPARE(txtOpzionePeso0->text(), "0" + sep + "5");
        txtOpzionePrezzo1->clear();
        QTest::keyClicks(txtOpzionePrezzo1, QStringLiteral("-2.5x") + sep + "7");
        QCOMPARE(txtOpzionePrezzo1->text(), "-2" + sep + "57");
        txtOpzionePeso1->clear();
        QTest::keyClicks(txtOpzionePeso1, "-1" + sep + "25");
        QCOMPARE(txtOpzionePeso1->text(), "1" + sep + "25");
        QTest::keyClicks(txtOpzione1, QStringLiteral("Media"));
        QVERIFY(clic(cmdOK));
        QVERIFY(t->messages.texts().isEmpty());
        QCOMPARE(f.tag(), QStringLiteral("OK"));
        QCOMPARE(db().scalar(QStringLiteral("SELECT prezzo2 || ' ' || peso2 FROM opzioni WHERE ID=2")).toString(),
                 QStringLiteral("-25700 1.25"));
    }

    void ricerca()
    {
        DatiPrincipali &d = t->dati();
        const QString reparto = d.tvwCategorie.nodi().at(1)->chiave;
        for (const char *titolo : {"Maglia rosa", "Rosato", "Gonna rosa antico"})
            db().execute(QStringLiteral("INSERT INTO articoli (catID, codice, titolo, ordinamento) VALUES (?, ?, ?, ?)"),
                         {reparto, QString::fromLatin1(titolo).left(3), QString::fromLatin1(titolo), int(titolo[0])});
        frmSearch f(t->negozio, aiuto());
        FIGLIO(QLineEdit, txtCerca, &f);
        FIGLIO(QPushButton, cmdCerca, &f);
        FIGLIO(QRadioButton, optCerca6, &f);
        FIGLIO(QCheckBox, chkParola, &f);
        FIGLIO(QTableWidget, gridResult, &f);
        FIGLIO(QPushButton, cmdVisualizza, &f);
        FIGLIO(QLabel, lblNoResult, &f);
        FIGLIO(QPushButton, cmdChiudi, &f);
        f.mostra();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::keyClicks(txtCerca, QStringLiteral("rosa'; --"));
        QCOMPARE(txtCerca->text(), QStringLiteral("rosa "));
        QVERIFY(!cmdCerca->isEnabled());
        QVERIFY(clic(optCerca6));
        QVERIFY(cmdCerca->isEnabled());
        QVERIFY(clic(chkParola));
        QVERIFY(chkParola->isChecked());
        QTest::keyClick(txtCerca, Qt::Key_Return);
        QCOMPARE(gridResult->rowCount(), 2);
        QCOMPARE(gridResult->item(0, 1)->text(), QStringLiteral("Gonna rosa antico"));
        QStringList intestazioni;
        for (int c = 0; c < gridResult->columnCount(); ++c)
            intestazioni << gridResult->horizontalHeaderItem(c)->text();
        QCOMPARE(intestazioni, (QStringList{"Codice", "Titolo", "Sottotitolo"}));
        QVERIFY(salvaSchermata(&f, QStringLiteral("frmSearch")));

        // "Mostra" brings the article into view.
        gridResult->selectRow(1);
        QVERIFY(clic(cmdVisualizza));
        QCOMPARE(d.dataArticoli.recordset().text(QStringLiteral("titolo")), QStringLiteral("Maglia rosa"));
        QCOMPARE(t->articoloRaggiunto, d.dataArticoli.recordset().value(QStringLiteral("ID")).toLongLong());

        // An article deleted meanwhile is reported and leaves the list.
        db().execute(QStringLiteral("DELETE FROM articoli WHERE titolo='Gonna rosa antico'"));
        gridResult->selectRow(0);
        QVERIFY(clic(cmdVisualizza));
        QCOMPARE(t->messages.texts(), QStringList{"L'articolo non esiste più: è stato eliminato dopo la ricerca."});
        QCOMPARE(gridResult->rowCount(), 1);

        // Nothing found: the label instead of the list.
        txtCerca->setText(QStringLiteral("zzz"));
        QVERIFY(clic(cmdCerca));
        QVERIFY(gridResult->isHidden());
        QVERIFY(lblNoResult->isVisible());
        QVERIFY(!cmdVisualizza->isEnabled());
        QVERIFY(salvaSchermata(&f, QStringLiteral("frmSearch-vuoto")));

        // Closed and shown again: the field stays chosen, the rest starts afresh.
        QVERIFY(clic(cmdChiudi));
        QVERIFY(!f.isVisible());
        f.mostra();
        QVERIFY(optCerca6->isChecked());
        QVERIFY(txtCerca->text().isEmpty());
        QVERIFY(!chkParola->isChecked());
        QTest::keyClick(&f, Qt::Key_F1);
        QCOMPARE(aiuti, QStringList{"pagine\\ricerca.htm"});
    }

    // An article of no department (catID "###", or a department that does
    // not exist) is found by the search; "Mostra" says it cannot be shown
    // and why, keeps its row and moves nothing in the main window.
    void articoloSenzaReparto_data()
    {
        QTest::addColumn<QString>("reparto");
        QTest::newRow("the shop's root") << "###";
        QTest::newRow("a department that does not exist") << "cat999";
    }
    void articoloSenzaReparto()
    {
        QFETCH(QString, reparto);
        DatiPrincipali &d = t->dati();
        db().execute(QStringLiteral("INSERT INTO articoli (catID, codice, titolo) VALUES (?, 'S1', 'Sciarpa rosa')"),
                     {reparto});
        const QString corrente = d.repartoCorrente();
        frmSearch f(t->negozio, aiuto());
        FIGLIO(QLineEdit, txtCerca, &f);
        FIGLIO(QRadioButton, optCerca6, &f);
        FIGLIO(QTableWidget, gridResult, &f);
        FIGLIO(QPushButton, cmdVisualizza, &f);
        f.mostra();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::keyClicks(txtCerca, QStringLiteral("sciarpa"));
        QVERIFY(clic(optCerca6));
        QTest::keyClick(txtCerca, Qt::Key_Return);
        QCOMPARE(gridResult->rowCount(), 1);
        QCOMPARE(gridResult->item(0, 1)->text(), QStringLiteral("Sciarpa rosa"));
        QVERIFY(clic(cmdVisualizza));
        QCOMPARE(t->messages.texts(),
                 QStringList{"Impossibile mostrare l'articolo:\r\nnon appartiene a nessun reparto del negozio."});
        QCOMPARE(gridResult->rowCount(), 1);
        QVERIFY(gridResult->isVisible());
        QVERIFY(cmdVisualizza->isEnabled());
        QCOMPARE(d.repartoCorrente(), corrente);
        QCOMPARE(t->articoloRaggiunto, 0);
        QVERIFY(salvaSchermata(&f, QStringLiteral("frmSearch-senza-reparto")));
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
                     {t->dati().tvwCategorie.nodi().at(1)->chiave});
        frmSearch f(t->negozio, aiuto());
        FIGLIO(QLineEdit, txtCerca, &f);
        FIGLIO(QRadioButton, optCerca6, &f);
        FIGLIO(QPushButton, cmdCerca, &f);
        FIGLIO(QPushButton, cmdVisualizza, &f);
        FIGLIO(QTableWidget, gridResult, &f);
        f.mostra();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::keyClicks(txtCerca, QStringLiteral("rosa"));
        QVERIFY(clic(optCerca6));
        if (mostra)
            QVERIFY(clic(cmdCerca));
        db().execute(QStringLiteral("ALTER TABLE articoli RENAME TO articoli_altrove"));
        QVERIFY(clic(mostra ? cmdVisualizza : cmdCerca));
        db().execute(QStringLiteral("ALTER TABLE articoli_altrove RENAME TO articoli"));
        QCOMPARE(t->messages.texts().size(), 1);
        QVERIFY2(t->messages.texts().first().startsWith(messaggio), qPrintable(t->messages.texts().first()));
        QVERIFY(f.isVisible());
        QCOMPARE(gridResult->rowCount(), mostra ? 1 : 0);
        QCOMPARE(cmdVisualizza->isEnabled(), mostra);
    }

    void cartelle()
    {
        QTemporaryDir altrove;
        const QString negozio = t->negozio.state.PercorsoNegozio;
        Shell::impostaSceltaCartella([&](const QString &, const QString &) { return altrove.path(); });
        {
            frmBrowse f(t->negozio, aiuto());
            FIGLIO(QLineEdit, txtCart0, &f);
            FIGLIO(QToolButton, cmdCart0, &f);
            FIGLIO(QLineEdit, txtCart1, &f);
            FIGLIO(QPushButton, cmdOK, &f);
            f.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f));
            QCOMPARE(txtCart0->text(), negozio + QStringLiteral("/online"));
            QVERIFY(clic(cmdCart0));
            QCOMPARE(txtCart0->text(), altrove.path());
            // The scripts folder typed as the shop folder itself is refused.
            txtCart1->selectAll();
            QTest::keyClicks(txtCart1, negozio);
            QVERIFY(salvaSchermata(&f, QStringLiteral("frmBrowse")));
            QVERIFY(clic(cmdOK));
            QVERIFY(!f.isVisible());
        }
        QCOMPARE(t->negozio.state.CartellaPagine, altrove.path());
        QCOMPARE(t->negozio.state.CartellaScript, negozio + QStringLiteral("/scripts"));
        QCOMPARE(t->messages.texts().size(), 1);
        QVERIFY(t->messages.texts().first().startsWith(QStringLiteral("La cartella '") + negozio + QStringLiteral("' non può")));

        // Reset brings the default back and records the empty text.
        frmBrowse f(t->negozio, aiuto());
        FIGLIO(QToolButton, cmdCartReset0, &f);
        FIGLIO(QLineEdit, txtCart0, &f);
        FIGLIO(QPushButton, cmdOK, &f);
        f.show();
        QVERIFY(clic(cmdCartReset0));
        QCOMPARE(txtCart0->text(), negozio + QStringLiteral("/online"));
        QVERIFY(clic(cmdOK));
        QCOMPARE(t->negozio.state.CartellaPagine, negozio + QStringLiteral("/online"));
        QCOMPARE(db().scalar(QStringLiteral("SELECT siteonline FROM generale")).toString(), QString());
        Shell::impostaSceltaCartella({});
    }

    void cartellaInUnAltroNegozio()
    {
        // The pages folder picked inside another shop's folder (the
        // original of a copied shop): "OK" refuses it, naming that shop.
        QTemporaryDir originale;
        scrivi(originale.filePath(QStringLiteral("catalog.mdb")), "x");
        const QString pagine = originale.filePath(QStringLiteral("pagine"));
        QVERIFY(QDir().mkpath(pagine));
        const QString prima = t->negozio.state.CartellaPagine;
        Shell::impostaSceltaCartella([&](const QString &, const QString &) { return pagine; });
        const auto ripristina = qScopeGuard([] { Shell::impostaSceltaCartella({}); });
        frmBrowse f(t->negozio, aiuto());
        FIGLIO(QToolButton, cmdCart0, &f);
        FIGLIO(QLineEdit, txtCart0, &f);
        FIGLIO(QPushButton, cmdOK, &f);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(clic(cmdCart0));
        QCOMPARE(txtCart0->text(), pagine);
        QVERIFY(clic(cmdOK));
        QVERIFY(!f.isVisible());
        QCOMPARE(t->messages.texts().size(), 1);
        const QString m = t->messages.texts().first();
        QVERIFY2(m.startsWith(QStringLiteral("La cartella '") + pagine + QStringLiteral("' non può")), qPrintable(m));
        QVERIFY2(m.contains(QStringLiteral("si trova dentro la cartella di un altro negozio ('") + originale.path()
                            + QStringLiteral("')")),
                 qPrintable(m));
        QCOMPARE(t->negozio.state.CartellaPagine, prima);
        QCOMPARE(db().scalar(QStringLiteral("SELECT siteonline FROM generale")).toString(), QString());
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
        FIGLIO(QComboBox, cboPrezzo, &f);
        FIGLIO(QComboBox, cboOfferta, &f);
        FIGLIO(QCheckBox, chkContrassegna, &f);
        FIGLIO(QCheckBox, chkIva, &f);
        FIGLIO(QPushButton, cmdOK, &f);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(cboPrezzo->currentText(), QStringLiteral("prezzo 1"));
        QCOMPARE(cboOfferta->currentText(), QStringLiteral("(nessuno)"));
        if (contrassegna != chkContrassegna->isChecked())
            QVERIFY(clic(chkContrassegna));
        if (iva)
            QVERIFY(clic(chkIva));
        cboPrezzo->setFocus();
        for (int i = 0; i < prezzo; ++i)
            QTest::keyClick(cboPrezzo, Qt::Key_Down);
        cboOfferta->setFocus();
        for (int i = 0; i < offerta; ++i)
            QTest::keyClick(cboOfferta, Qt::Key_Down);
        if (tag == QLatin1String("1110"))
            QVERIFY(salvaSchermata(&f, QStringLiteral("frmImportaZD")));
        QVERIFY(clic(cmdOK));
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
            bool fotografata = false;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                auto *w = o->isWidgetType() ? qobject_cast<QProgressDialog *>(static_cast<QWidget *>(o)->window()) : nullptr;
                if (w && e->type() == QEvent::Paint) {
                    articoli << db->scalar(QStringLiteral("SELECT COUNT(*) FROM articoli")).toLongLong();
                    if (!finestra) {
                        finestra = w;
                        QTimer::singleShot(0, this, [this] {
                            fotografata = finestra && salvaSchermata(finestra, QStringLiteral("importazione-in-corso"));
                        });
                    }
                }
                return false;
            }
        } osservatore;
        osservatore.db = &db();
        qApp->installEventFilter(&osservatore);
        bool confermata = false;
        QObject guardia;
        alProssimoModale(guardia, [&confermata](QWidget *f) {
            VERIFICA(qobject_cast<frmImportaZD *>(f));
            return confermata = clic(figlio<QPushButton>(f, QStringLiteral("cmdOK")));
        });
        Catalogo catalogo(t->negozio);
        frmImportaZD::Importa(t->negozio, catalogo);
        qApp->removeEventFilter(&osservatore);
        QVERIFY(confermata);
        QVERIFY(osservatore.fotografata);

        QCOMPARE(t->messages.texts(), QStringList{"Importazione completata"});
        const qint64 dopo = db().scalar(QStringLiteral("SELECT COUNT(*) FROM articoli")).toLongLong();
        QCOMPARE(dopo, prima + 204);
        QVERIFY2(std::any_of(osservatore.articoli.begin(), osservatore.articoli.end(), [&](qint64 n) { return n > prima && n < dopo; }),
                 qPrintable(QStringLiteral("%1 paints").arg(osservatore.articoli.size())));
    }
};

QTEST_MAIN(TestDialoghi)
#include "test_dialoghi.moc"
