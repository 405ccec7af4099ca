// The shipping dialog driven with real key and mouse events on a real shop:
// what each control writes, the input rules of the band fields, "Annulla"
// and "OK" through the command, and screenshots of the three editors.
#include "avvio.h"
#include "commercio.h"
#include "frmconfigurapg.h"
#include "frmmain.h"
#include "programfolder.h"
#include "testshop.h"
#include "finestre.h"
#include "frmspedizione.h"
#include "tabelleprova.h"

#include "guastidb.h"
#include "scriptedmessages.h"
#include "recordset.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

// The program's main window on a fresh shop, as it starts; `prepara` fills
// the shop's catalogue first.
struct Programma {
    explicit Programma(const std::function<void(Database &)> &prepara = {})
    {
        if (prepara)
            prepara(*Database::open(negozio + QStringLiteral("/catalog.mdb")));
        scrivi(ProgramFolder::serverPathFile(), (negozio + QStringLiteral("\r\n")).toUtf8());
        avvio.mostraMain();
        w.reset(avvio.finestra());
    }
    TestProgramFolder cartella;
    const QString negozio = cartella.newShop();
    ScriptedMessages messaggi;
    Avvio avvio{messaggi};
    std::unique_ptr<frmMain> w;
};

class TestFrmSpedizione : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramFolder> m_programma;
    QString m_negozio;
    DatabasePtr m_db;
    ScriptedMessages m_msg;
    std::unique_ptr<EditorSpedizione> m_logica;
    std::unique_ptr<frmSpedizione> m_dlg;

    QVariant campo(const QString &tabella, const QString &nome)
    {
        return m_db->scalar(QStringLiteral("SELECT \"%1\" FROM \"%2\"").arg(nome, tabella));
    }
    [[nodiscard]] bool apri()
    {
        m_logica = std::make_unique<EditorSpedizione>(m_db, m_negozio, u',', m_msg);
        m_logica->apri();
        m_dlg = std::make_unique<frmSpedizione>(*m_logica);
        m_dlg->setValuta(QStringLiteral("€ "));
        m_dlg->resize(m_dlg->sizeHint());
        m_dlg->show();
        VERIFICA(QTest::qWaitForWindowExposed(m_dlg.get()));
        return true;
    }
    void scrivi(QLineEdit *e, const QString &testo)
    {
        e->setFocus();
        QTest::qWait(1);  // the focus selects the whole text
        QTest::keyClicks(e, testo);
    }
    // Leaves the field that has the focus, for the "?" button.
    [[nodiscard]] bool lascia()
    {
        auto *aiuto = figlio<QPushButton>(m_dlg.get(), QStringLiteral("cmdHelp"));
        VERIFICA(aiuto);
        aiuto->setFocus();
        return true;
    }
    // Text pasted over a field's contents with Ctrl+V.
    void incolla(QLineEdit *e, const QString &testo)
    {
        QApplication::clipboard()->setText(testo);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    }

private slots:
    void init()
    {
        m_programma = std::make_unique<TestProgramFolder>();
        m_negozio = m_programma->newShopWithCode();
        for (const char *f : {"Contrassegno.epg", "Banca Sella.epg"}) {
            QFile epg(m_negozio + "/code/" + QLatin1String(f));
            QVERIFY(epg.open(QIODevice::WriteOnly));
        }
        m_db = apriCatalogo(m_negozio);
        m_msg.clear();
        QVERIFY(apri());
    }
    void cleanup()
    {
        m_dlg.reset();
        m_logica.reset();
        if (m_db)
            m_db->close();
        m_db.reset();
        m_programma.reset();
    }

    void metodi()
    {
        FIGLIO(QComboBox, cboMetodo2, m_dlg.get());
        FIGLIO(QLineEdit, txtNomeMetodo2, m_dlg.get());
        FIGLIO(QCheckBox, chkPagZona2, m_dlg.get());
        FIGLIO(QCheckBox, chkMetodo2, m_dlg.get());
        FIGLIO(QCheckBox, chkPagZona6, m_dlg.get());
        FIGLIO(QComboBox, cboPagamento, m_dlg.get());
        FIGLIO(QLabel, lblNomeMetodo2, m_dlg.get());
        FIGLIO(QCheckBox, chkMetodo0, m_dlg.get());
        QVERIFY(salvaSchermata(m_dlg.get(), QStringLiteral("spedizione-importi")));
        // Method 3 is off: its interface list is covered and its boxes off.
        QVERIFY(!cboMetodo2->isVisible());
        QVERIFY(!txtNomeMetodo2->isEnabled());
        QVERIFY(!chkPagZona2->isEnabled());
        QVERIFY(clic(chkMetodo2));
        QVERIFY(campo("pagamento", "attivo3").toBool());
        QVERIFY(cboMetodo2->isVisible());
        QVERIFY(chkPagZona2->isEnabled() && chkPagZona6->isEnabled());
        QCOMPARE(cboPagamento->count(), 3);

        txtNomeMetodo2->selectAll();
        scrivi(txtNomeMetodo2, "Ritiro");
        QCOMPARE(campo("pagamento", "nome3").toString(), QStringLiteral("Ritiro"));
        QCOMPARE(cboPagamento->itemText(2), QStringLiteral("Carta di credito"));  // until the field is left
        QVERIFY(lascia());
        QCOMPARE(cboPagamento->itemText(2), QStringLiteral("Ritiro"));
        QCOMPARE(lblNomeMetodo2->text(), QStringLiteral("Ritiro"));

        // Typing in the interface list is ignored; a choice is written.
        QCOMPARE(cboMetodo2->count(), 3);
        QVERIFY(!cboMetodo2->isEditable());
        cboMetodo2->setFocus();
        QTest::keyClick(cboMetodo2, Qt::Key_Down);
        QCOMPARE(campo("pagamento", "metodo3").toString(), QStringLiteral("Banca Sella"));

        // The preselection, and unticking the preselected method.
        cboPagamento->setFocus();
        QTest::keyClick(cboPagamento, Qt::Key_End);
        QCOMPARE(campo("pagamento", "selezionato").toInt(), 3);
        QVERIFY(clic(chkMetodo2));
        QCOMPARE(m_msg.texts(), QStringList{"Questo metodo di pagamento è preselezionato e non può essere eliminato"});
        QVERIFY(chkMetodo2->isChecked());
        QVERIFY(campo("pagamento", "attivo3").toBool());
        QVERIFY(clic(chkMetodo0));
        QVERIFY(!chkMetodo0->isChecked());
        QVERIFY(!campo("pagamento", "attivo1").toBool());
        QCOMPARE(cboPagamento->count(), 2);
    }

    // A system configured from the dialog ("Configura...") is offered at once
    // by every method's interface list; each method keeps its choice.
    void sistemaConfiguratoDalDialogo()
    {
        FIGLIO(QComboBox, cboMetodo0, m_dlg.get());
        FIGLIO(QComboBox, cboMetodo1, m_dlg.get());
        FIGLIO(QPushButton, cmdConfiguraPG, m_dlg.get());
        cboMetodo0->setFocus();
        QTest::keyClick(cboMetodo0, Qt::Key_End);
        QCOMPARE(campo("pagamento", "metodo1").toString(), QStringLiteral("Contrassegno"));
        m_dlg->configura = [this] {
            QFile epg(m_negozio + QStringLiteral("/code/Pagamento anticipato.epg"));
            QVERIFY(epg.open(QIODevice::WriteOnly));
        };
        QVERIFY(clic(cmdConfiguraPG));
        for (int k = 0; k < 4; ++k)
            QCOMPARE(figlio<QComboBox>(m_dlg.get(), QStringLiteral("cboMetodo%1").arg(k))->count(), 4);
        QCOMPARE(cboMetodo0->currentText(), QStringLiteral("Contrassegno"));
        QCOMPARE(cboMetodo1->currentText(), QString());
        cboMetodo1->setFocus();
        QTest::keyClick(cboMetodo1, Qt::Key_End);
        QCOMPARE(campo("pagamento", "metodo2").toString(), QStringLiteral("Pagamento anticipato"));
    }

    void paesi()
    {
        FIGLIO(QTableWidget, DBGrid1, m_dlg.get());
        FIGLIO(QPushButton, cmdAggiungi, m_dlg.get());
        FIGLIO(QComboBox, cboAggiungi, m_dlg.get());
        FIGLIO(QLabel, lblPaese, m_dlg.get());
        FIGLIO(QComboBox, cboPaese, m_dlg.get());
        FIGLIO(QComboBox, cboZona, m_dlg.get());
        FIGLIO(QPushButton, cmdElimina, m_dlg.get());
        const int righe = DBGrid1->rowCount();
        QVERIFY(!cmdAggiungi->isEnabled());
        cboAggiungi->setFocus();
        QVERIFY(cboAggiungi->toolTip().contains("Invio"));
        QTest::keyClick(cboAggiungi, Qt::Key_Return);  // empty: nothing
        QCOMPARE(DBGrid1->rowCount(), righe);
        QTest::keyClicks(cboAggiungi, "Islanda");
        QVERIFY(cmdAggiungi->isEnabled());
        QTest::keyClick(cboAggiungi, Qt::Key_Return);
        QCOMPARE(DBGrid1->rowCount(), righe + 1);
        QCOMPARE(DBGrid1->currentRow(), righe);
        QCOMPARE(lblPaese->text(), QStringLiteral("Islanda"));
        QCOMPARE(cboPaese->count(), righe + 1);
        QCOMPARE(cboPaese->currentText(), QStringLiteral("Italia"));  // keeps its choice
        QVERIFY(clic(cmdAggiungi));  // the same name again
        QCOMPARE(m_db->scalar("SELECT count(*) FROM paesi WHERE paese='Islanda'").toInt(), 2);

        // A zone for the current country, chosen by the zone's name.
        QStringList zone;
        for (int i = 0; i < cboZona->count(); ++i)
            zone << cboZona->itemText(i);
        QCOMPARE(zone, (QStringList{"Italia", "Unione Europea", "Europa (extra UE)", "Resto del mondo"}));
        cboZona->setFocus();
        QTest::keyClick(cboZona, Qt::Key_End);
        QCOMPARE(m_db->scalar("SELECT zona FROM paesi ORDER BY ID DESC LIMIT 1").toInt(), 4);
        QCOMPARE(DBGrid1->item(righe + 1, 1)->text(), QStringLiteral("4"));
        QVERIFY(salvaSchermata(m_dlg.get(), QStringLiteral("spedizione-paesi")));

        // Deleting: the preselected one is refused, another goes.
        DBGrid1->setFocus();
        QTest::keyClick(DBGrid1, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(lblPaese->text(), QStringLiteral("Italia"));
        QVERIFY(clic(cmdElimina));
        QCOMPARE(m_msg.texts(), QStringList{"Questo Paese è preselezionato e non può essere eliminato"});
        QTest::keyClick(DBGrid1, Qt::Key_Down);
        QCOMPARE(lblPaese->text(), QStringLiteral("San Marino"));
        QVERIFY(clic(cmdElimina));
        QCOMPARE(DBGrid1->rowCount(), righe + 1);
        QCOMPARE(lblPaese->text(), QStringLiteral("Italia"));
        QCOMPARE(m_db->scalar("SELECT count(*) FROM paesi WHERE paese='San Marino'").toInt(), 0);
    }

    // The band fields' rules, with keys typed and text pasted.
    void fasce()
    {
        FIGLIO(QWidget, picZona0, m_dlg.get());
        FIGLIO(QRadioButton, optImpPeso1, m_dlg.get());
        FIGLIO(QWidget, picZona1, m_dlg.get());
        FIGLIO(QTabBar, tabZona, m_dlg.get());
        FIGLIO(QCheckBox, chkIvaOk1, m_dlg.get());
        FIGLIO(QCheckBox, chkIvaOk0, m_dlg.get());
        FIGLIO(QRadioButton, optImpPeso0, m_dlg.get());
        FIGLIO(QCheckBox, chkPagZona5, m_dlg.get());
        FIGLIO(QCheckBox, chkPagZona1, m_dlg.get());
        QVERIFY(picZona0->isVisible());
        QVERIFY(clic(optImpPeso1));
        QCOMPARE(campo("pagamento", "imppeso").toInt(), 1);
        QVERIFY(picZona1->isVisible());
        QTest::mouseClick(tabZona, Qt::LeftButton, {}, tabZona->tabRect(1).center());
        QCOMPARE(m_logica->zonaMostrata(), 2);
        QVERIFY(chkIvaOk1->isVisible() && !chkIvaOk0->isVisible());

        CampoFascia *peso = m_dlg->campoFascia("m2peso1");
        QCOMPARE(figlio<CampoFascia>(m_dlg.get(), QStringLiteral("m2peso1")), peso);
        scrivi(peso, "12.5");
        QCOMPARE(peso->text(), QStringLiteral("12,5"));
        QTest::keyClicks(peso, ",3a-");  // a second separator, a letter, a minus: refused
        QCOMPARE(peso->text(), QStringLiteral("12,53"));
        QVERIFY(lascia());
        Recordset z2(m_db, "SELECT * FROM zona2");
        z2.moveFirst();
        QCOMPARE(z2.value("m2peso1").toDouble(), double(12.53f));

        // Pasted: a negative value turns positive; text that is no number is
        // put back at once, as on the amount panel; a number beyond the
        // field's range is reported when the field is left and the stored
        // value comes back.
        CampoFascia *costo = m_dlg->campoFascia("m2spp1");
        incolla(costo, "-7");
        QCOMPARE(costo->text(), QStringLiteral("7"));
        QVERIFY(lascia());
        incolla(peso, "12kg");
        QCOMPARE(peso->text(), QStringLiteral("12,53"));
        QVERIFY(lascia());
        QVERIFY(m_msg.shown().empty());
        incolla(peso, "1" + QString(40, u'0'));
        QVERIFY(lascia());
        QCOMPARE(m_msg.shown().size(), size_t(1));
        QCOMPARE(peso->text(), QStringLiteral("12,53"));

        // The amount panel: letters pasted are put back at once; "0010" is
        // written back as 10 when the field is left.
        QVERIFY(clic(optImpPeso0));
        CampoFascia *limite = m_dlg->campoFascia("m2imp1");
        QCOMPARE(figlio<CampoFascia>(m_dlg.get(), QStringLiteral("m2imp1")), limite);
        QCOMPARE(limite->text(), QStringLiteral("50"));
        incolla(limite, "abc");
        QCOMPARE(limite->text(), QStringLiteral("50"));
        limite->selectAll();
        QTest::keyClicks(limite, "0010");
        QVERIFY(lascia());
        QCOMPARE(limite->text(), QStringLiteral("10"));
        z2.requery();
        z2.moveFirst();
        QCOMPARE(z2.value("m2imp1").value<Currency>(), Currency::fromUnits(10));

        // The twin boxes of a method.
        QVERIFY(clic(optImpPeso1));
        QVERIFY(clic(chkPagZona5));
        QCOMPARE(chkPagZona1->isChecked(), chkPagZona5->isChecked());
        QCOMPARE(z2.database()->scalar("SELECT pag2 FROM zona2").toBool(), chkPagZona5->isChecked());
        QVERIFY(salvaSchermata(m_dlg.get(), QStringLiteral("spedizione-pesi")));
    }

    // "Annulla" after edits in the three editors: the tables as they were.
    void annulla()
    {
        FIGLIO(QCheckBox, chkMetodo3, m_dlg.get());
        FIGLIO(QLineEdit, txtNomeMetodo3, m_dlg.get());
        FIGLIO(QComboBox, cboAggiungi, m_dlg.get());
        FIGLIO(QRadioButton, optImpPeso1, m_dlg.get());
        FIGLIO(QPushButton, cmdAnnulla, m_dlg.get());
        const QString prima = dumpTabelle(*m_db);
        QVERIFY(clic(chkMetodo3));
        scrivi(txtNomeMetodo3, "Corriere espresso");
        cboAggiungi->setFocus();
        QTest::keyClicks(cboAggiungi, "Norvegia");
        QTest::keyClick(cboAggiungi, Qt::Key_Return);
        QVERIFY(clic(optImpPeso1));
        scrivi(m_dlg->campoFascia("m1peso1"), "3");
        QVERIFY(lascia());
        QVERIFY(dumpTabelle(*m_db) != prima);
        QVERIFY(clic(cmdAnnulla));
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(dumpTabelle(*m_db), prima);
    }

    void chiusura()
    {
        FIGLIO(QCheckBox, chkMetodo3, m_dlg.get());
        const QString prima = dumpTabelle(*m_db);
        QVERIFY(clic(chkMetodo3));
        m_dlg->close();
        QCOMPARE(dumpTabelle(*m_db), prima);
    }

    // Limits that do not ascend, and a zone whose countries are offered no
    // method: "OK" asks nothing and keeps them.
    void okSenzaControlloDelleFasce()
    {
        FIGLIO(QTabBar, tabZona, m_dlg.get());
        FIGLIO(QCheckBox, chkPagZona1, m_dlg.get());
        FIGLIO(QPushButton, cmdOK, m_dlg.get());
        scrivi(m_dlg->campoFascia("m1imp1"), "100");
        scrivi(m_dlg->campoFascia("m1imp2"), "50");
        QTest::mouseClick(tabZona, Qt::LeftButton, {}, tabZona->tabRect(1).center());
        QVERIFY(chkPagZona1->isChecked());
        QVERIFY(clic(chkPagZona1));
        QVERIFY(clic(cmdOK));
        QVERIFY(m_msg.shown().empty());
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
        QCOMPARE(campo("zona1", "m1imp2").toLongLong(), qint64(Currency::fromUnits(50).raw));
        QCOMPARE(campo("zona2", "pag2").toBool(), false);
    }

    // "OK" after a band value the database cannot hold keeps the dialog
    // open on that field, whether the value was refused as the focus went to
    // the button or by Enter in the field; nothing is stored, and the next
    // "OK" confirms what is stored.
    void rifiutoPrimaDiOK_data()
    {
        QTest::addColumn<bool>("peso");
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("testo");
        QTest::addColumn<bool>("invio");  // Enter in the field, else a click on "OK"
        const QString grande = "1" + QString(40, u'0');
        const QString venti = QString(20, u'9');
        QTest::newRow("peso oltre il campo, clic su OK") << true << "m1peso1" << grande << false;
        QTest::newRow("peso oltre il campo, Invio") << true << "m2peso4" << grande << true;
        QTest::newRow("importo oltre il campo, clic su OK") << false << "m1imp1" << venti << false;
        QTest::newRow("spese oltre il campo, Invio") << false << "m2sp3" << venti << true;
    }
    void rifiutoPrimaDiOK()
    {
        FIGLIO(QPushButton, cmdOK, m_dlg.get());
        QFETCH(bool, peso);
        QFETCH(QString, campo);
        QFETCH(QString, testo);
        QFETCH(bool, invio);
        QVERIFY(clic(figlio<QRadioButton>(m_dlg.get(), peso ? QStringLiteral("optImpPeso1") : QStringLiteral("optImpPeso0"))));
        CampoFascia *c = m_dlg->campoFascia(campo);
        const QString prima = c->text();
        incolla(c, testo);
        QCOMPARE(c->text(), testo);
        if (invio)
            QTest::keyClick(c, Qt::Key_Return);
        else
            QVERIFY(clic(cmdOK));
        QCOMPARE(m_msg.texts().size(), 1);
        QVERIFY2(m_msg.texts().value(0).contains("troppo grande"), qPrintable(m_msg.texts().value(0)));
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(m_dlg->result(), 0);
        QVERIFY(c->hasFocus());
        QCOMPARE(c->text(), prima);
        QVERIFY(m_logica->aperta());
        QVERIFY(clic(cmdOK));
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
        QCOMPARE(m_msg.texts().size(), 1);
        Recordset zona(m_db, QStringLiteral("SELECT * FROM zona%1").arg(m_logica->zonaMostrata()));
        zona.moveFirst();
        QCOMPARE(zona.text(campo).replace(u'.', u','), prima);
    }

    // A commit the database refuses, through the real buttons: rolled back
    // by the database, the dialog says so and closes as cancelled; still
    // pending, the dialog keeps its edits and its savepoint ("OK" once the
    // fault is mended, or "Annulla", decides), and no "OK" reports a
    // success it did not have. A write the database answered by rolling
    // everything back closes the dialog the same way.
    void commitRifiutato_data()
    {
        QTest::addColumn<QString>("guasto");
        QTest::addColumn<QString>("poi");  // after a refusal that kept the dialog open
        QTest::newRow("commit annullato dal database") << "hook" << "";
        QTest::newRow("commit in sospeso, poi Annulla") << "sospeso" << "Annulla";
        QTest::newRow("commit in sospeso, riparato, poi OK") << "sospeso" << "OK";
        QTest::newRow("scrittura annullata dal database") << "scrittura" << "";
    }
    void commitRifiutato()
    {
        QFETCH(QString, guasto);
        QFETCH(QString, poi);
        // The fault is set up while no transaction is open.
        m_dlg.reset();
        m_logica.reset();
        const QString prima = dumpTabelle(*m_db);
        CommitSospeso sospeso(*m_db);
        std::optional<CommitRifiutato> hook;
        if (guasto == "hook")
            hook.emplace(*m_db);
        if (guasto == "scrittura")
            m_db->execute("CREATE TEMP TRIGGER guasto BEFORE INSERT ON paesi WHEN NEW.paese='Norvegia' "
                          "BEGIN SELECT RAISE(ROLLBACK, 'disco pieno'); END");
        QVERIFY(apri());
        FIGLIO(QComboBox, cboAggiungi, m_dlg.get());
        FIGLIO(QPushButton, cmdAggiungi, m_dlg.get());
        FIGLIO(QPushButton, cmdOK, m_dlg.get());
        FIGLIO(QPushButton, cmdAnnulla, m_dlg.get());
        m_msg.clear();
        const auto aggiungi = [&](const char *paese) {
            cboAggiungi->setFocus();
            cboAggiungi->clearEditText();
            QTest::keyClicks(cboAggiungi, paese);
            return clic(cmdAggiungi);
        };
        QVERIFY(aggiungi("Islanda"));
        if (guasto == "sospeso")
            sospeso.guasta();
        if (guasto == "scrittura")
            QVERIFY(aggiungi("Norvegia"));
        else
            QVERIFY(clic(cmdOK));
        QCOMPARE(m_msg.texts().size(), 1);
        const QString messaggio = m_msg.texts().value(0);
        if (poi.isEmpty()) {
            QVERIFY2(messaggio.contains(testoTransazioneAnnullata()), qPrintable(messaggio));
            QTRY_VERIFY(!m_dlg->isVisible());
            QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
            QCOMPARE(dumpTabelle(*m_db), prima);
            QCOMPARE(m_db->transactionDepth(), 0);
            QVERIFY(!m_logica->aperta());
            QVERIFY(m_logica->conferma() != EditorSpedizione::EsitoConferma::Confermata);
            return;
        }
        QVERIFY2(messaggio.startsWith("Impossibile salvare le spese di spedizione"), qPrintable(messaggio));
        QVERIFY(messaggio.contains(testoCommitInSospeso()));
        QVERIFY(m_dlg->isVisible());
        QVERIFY(m_logica->aperta());
        QCOMPARE(m_db->scalar("SELECT count(*) FROM paesi WHERE paese='Islanda'").toInt(), 1);
        // Still inside the savepoint: the next edit is undone by "Annulla" too,
        // and a second "OK" is refused again.
        QVERIFY(aggiungi("Norvegia"));
        QVERIFY(clic(cmdOK));
        QCOMPARE(m_msg.texts().size(), 2);
        QVERIFY(m_dlg->isVisible());
        QVERIFY(salvaSchermata(m_dlg.get(), QStringLiteral("spedizione-commit-sospeso")));
        if (poi == "Annulla") {
            QVERIFY(clic(cmdAnnulla));
            QCOMPARE(dumpTabelle(*m_db), prima);
        } else {
            sospeso.ripara();
            QVERIFY(clic(cmdOK));
            QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
            QCOMPARE(dumpTabelle(*m_db).count("'Islanda'"), 1);
            QCOMPARE(dumpTabelle(*m_db).count("'Norvegia'"), prima.count("'Norvegia'") + 1);
        }
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(m_db->transactionDepth(), 0);
    }

    // The command: confirmed with "OK" the edits stay; the preselection is checked first.
    void comando()
    {
        m_dlg.reset();
        m_logica.reset();
        ShopState stato;
        stato.PercorsoNegozio = m_negozio;
        stato.dbCatalogo = m_db;
        stato.SeparatoreDecimali = ",";
        ContestoCommercio contesto{stato, {}, m_msg, nullptr, {}, {}};
        QStringList aiuti;
        contesto.aiuto = [&](const QString &a) { aiuti << a; };
        int passi = 0;
        QObject guardia;  // the waiting ends with the test
        alProssimoModale(guardia, [&](QWidget *dlg) {
            VERIFICA(qobject_cast<frmSpedizione *>(dlg));
            auto *paesi = figlio<QTableWidget>(dlg, QStringLiteral("DBGrid1"));
            auto *zona = figlio<QComboBox>(dlg, QStringLiteral("cboZona"));
            auto *ok = figlio<QPushButton>(dlg, QStringLiteral("cmdOK"));
            VERIFICA(paesi && zona && ok);
            ++passi;
            QTest::keyClick(dlg, Qt::Key_F1);
            // Zone 2 for Italy: cash on delivery is not offered there.
            paesi->setCurrentCell(0, 0);
            zona->setCurrentIndex(1);
            emit zona->activated(1);
            ok->click();
            if (dlg->isVisible()) {
                zona->setCurrentIndex(0);
                emit zona->activated(0);
                ok->click();
            }
            return true;
        });
        ModificaSpedizione(contesto);
        QCOMPARE(passi, 1);
        QCOMPARE(aiuti, QStringList{"pagine\\pagamenti.htm"});
        QCOMPARE(m_msg.texts(),
                 QStringList{"Selezionare un diverso metodo di pagamento/spedizione nel campo 'Preselezione'"});
        QVERIFY(stato.SpedizioneConfermata);
        QCOMPARE(campo("pagamento", "zonasel").toInt(), 1);
        QCOMPARE(m_db->transactionDepth(), 0);
    }

    // An edit pending in the main window when a command with a dialog that
    // runs in a transaction starts (as from a shortcut, the focus still in
    // the field) is written before the transaction opens: the dialog
    // becoming active takes the focus from the field, and "Annulla" must not
    // take the edit away.
    void modificheDellaFinestra_data()
    {
        QTest::addColumn<QString>("scheda");
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("sql");  // reads the field back
        QTest::addColumn<QString>("comando");
        QTest::addColumn<QString>("finestra");
        QTest::addColumn<QString>("annulla");
        QTest::newRow("spese di spedizione") << "kSito" << "txtMinimo" << "SELECT minimo / 10000 FROM generale"
                                             << "mnuSpedizione" << "frmSpedizione" << "cmdAnnulla";
        QTest::newRow("variante 1 dell'articolo")
            << "kArticoli" << "txtArticoli1" << "SELECT titolo FROM articoli WHERE codice='A1-1'" << "mnuOpzione1"
            << "frmOpzioni" << "cmdAnnulla";
    }
    void modificheDellaFinestra()
    {
        QFETCH(QString, scheda);
        QFETCH(QString, campo);
        QFETCH(QString, sql);
        QFETCH(QString, comando);
        QFETCH(QString, finestra);
        QFETCH(QString, annulla);
        cleanup();
        Programma p([](Database &db) { riempiCatalogo(db, 1, 1); });
        frmMain *w = p.w.get();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->selezionaScheda(scheda);
        auto *testo = w->findChild<QLineEdit *>(campo);
        QVERIFY(testo && testo->isVisible());
        testo->setFocus();
        testo->selectAll();
        QTest::keyClicks(testo, "37");
        QObject guardia;
        QStringList aperte;
        alProssimoModale(guardia, [&](QWidget *d) {
            aperte << d->objectName();
            // The window manager makes the dialog active: the field loses the focus.
            QApplication::setActiveWindow(d);
            return clic(figlio<QPushButton>(d, annulla));
        });
        w->findChild<QAction *>(comando)->trigger();
        QCOMPARE(aperte, QStringList{finestra});
        QCOMPARE(testo->text(), QStringLiteral("37"));
        auto catalogo = Database::open(p.negozio + QStringLiteral("/catalog.mdb"));
        QCOMPARE(catalogo->scalar(sql).toString(), QStringLiteral("37"));
        QCOMPARE(catalogo->transactionDepth(), 0);
        QVERIFY(p.messaggi.texts().isEmpty());
        p.w.reset();
        init();
    }

    // The main window's menu entries open the shipping dialog and the
    // payment system chooser.
    void dalMenu_data()
    {
        QTest::addColumn<QString>("voce");
        QTest::addColumn<QString>("finestra");
        QTest::newRow("spese di spedizione") << "mnuSpedizione" << "frmSpedizione";
        QTest::newRow("sistemi di pagamento") << "mnuConfiguraPG" << "frmConfiguraPG";
    }
    void dalMenu()
    {
        QFETCH(QString, voce);
        QFETCH(QString, finestra);
        cleanup();
        Programma p;
        QVERIFY(p.w);
        QStringList aperte;
        QObject guardia;
        alProssimoModale(guardia, [&](QWidget *d) {
            aperte << d->objectName();
            static_cast<QDialog *>(d)->reject();
            return true;
        });
        p.w->findChild<QAction *>(voce)->trigger();
        QCOMPARE(aperte, QStringList{finestra});
        QVERIFY(p.messaggi.texts().isEmpty());
        p.w.reset();
        init();
    }
};

QTEST_MAIN(TestFrmSpedizione)
#include "test_frmspedizione.moc"
