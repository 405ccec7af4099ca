// A demo shop whose shipping and payments are set up only through the
// dialogs, with real events: the six systems configured, methods, countries
// and cost bands entered, the shop built; its order page (in headless
// Chromium) lists the new methods and countries and computes the costs by
// amount and by weight for two zones, and its thank-you pages carry each
// system's fragment.
#include "commercio.h"
#include "frmpg.h"
#include "frmspedizione.h"
#include "finestreprova.h"
#include "testshop.h"

#include "scriptedmessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QLabel>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableWidget>
#include <QtTest>

class TestFrmSito : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_negozio;
    ScriptedMessages m_msg;

    static bool esegui(const QString &programma, const QStringList &argomenti, QString *uscita = nullptr)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(programma, argomenti);
        const bool fatto = p.waitForFinished(240000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        const QString testo = QString::fromUtf8(p.readAll());
        if (uscita)
            *uscita = testo;
        if (!fatto)
            qWarning().noquote() << programma << argomenti << testo;
        return fatto;
    }

    // The shipping dialog on the shop, driven by `passi`, confirmed with OK.
    void spedizione(const std::function<void(frmSpedizione &)> &passi, const QString &foto)
    {
        DatabasePtr db = Database::open(m_negozio + "/catalog.mdb", Database::Access::Exclusive);
        {
            EditorSpedizione logica(db, m_negozio, u',', m_msg);
            logica.apri();
            frmSpedizione dlg(logica);
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            passi(dlg);
            if (QTest::currentTestFailed())
                return;
            fotografa(&dlg, foto);
            clicca(dlg.cmdOK);
            QVERIFY2(!dlg.isVisible(), qPrintable(m_msg.texts().join(" | ")));
        }
        QCOMPARE(db->transactionDepth(), 0);
        db->close();
    }

    void costruisci()
    {
        QString uscita;
        QVERIFY2(esegui(qEnvironmentVariable("VT_BENCH"),
                        {"build", m_negozio, qEnvironmentVariable("VETRASTO_HOME") + "/template/classico"}, &uscita),
                 qPrintable(uscita));
    }

    void ordine(const QJsonArray &casi, const QStringList &metodi)
    {
        QJsonObject prova{{"pagine", m_negozio + "/online"},
                          {"paesi", QJsonArray{"Italia", "France"}},
                          {"metodi", QJsonArray::fromStringList(metodi)},
                          {"casi", casi}};
        const QString file = m_dir.path() + "/casi.json";
        scrivi(file, QJsonDocument(prova).toJson());
        QString uscita;
        const bool fatto = esegui("node", {qEnvironmentVariable("VT_ORDINE_JS"), file}, &uscita);
        qInfo().noquote() << uscita.trimmed();
        QVERIFY(fatto);
    }

    static QJsonObject caso(const char *paese, const char *metodo, int cent, double peso, int spese)
    {
        return {{"paese", paese}, {"metodo", metodo}, {"p", cent}, {"w", peso}, {"spedizione", spese},
                {"permesso", spese >= 0}};
    }

    void fasce(frmSpedizione &dlg, int zona, const QList<std::pair<const char *, const char *>> &valori)
    {
        QTest::mouseClick(dlg.tabZona, Qt::LeftButton, {}, dlg.tabZona->tabRect(zona - 1).center());
        for (const auto &[campo, testo] : valori)
            digita(dlg.campoFascia(QLatin1String(campo)), QString::fromUtf8(testo));
        dlg.cmdHelp->setFocus();
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("VT_MKDEMO") || qEnvironmentVariableIsEmpty("VT_BENCH"))
            QSKIP("vetrasto-mkdemo and vetrasto-bench are named by the build");
        m_negozio = m_dir.path() + "/negozio";
        QVERIFY(esegui(qEnvironmentVariable("VT_MKDEMO"), {m_negozio, "--url", "127.0.0.1"}));
        // The demo's shipping and payments are taken away: one placeholder
        // country, one unnamed method, no bands, no fragments.
        DatabasePtr db = Database::open(m_negozio + "/catalog.mdb");
        db->execute("DELETE FROM paesi");
        db->execute("INSERT INTO paesi (ID, strID, paese, zona) VALUES (1, '1', 'Provvisorio', 1)");
        db->execute("UPDATE pagamento SET attivo1=-1, attivo2=0, attivo3=0, attivo4=0, nome1='Metodo', nome2='', "
                    "nome3='', nome4='', metodo1='', metodo2='', metodo3='', metodo4='', selezionato=1, imppeso=0, "
                    "ivaok1=0, ivaok2=0, ivaok3=0, ivaok4=0, paesesel='1', zonasel=1");
        for (int n = 1; n <= 4; ++n) {
            db->execute(QStringLiteral("DELETE FROM zona%1").arg(n));
            db->execute(QStringLiteral("INSERT INTO zona%1 (pag1) VALUES (0)").arg(n));
        }
        db->close();
        for (const QString &f : QDir(m_negozio + "/code").entryList({"*.epg"}, QDir::Files))
            QVERIFY(QFile::remove(m_negozio + "/code/" + f));
    }

    // The six systems, each through its settings dialog.
    void sistemi()
    {
        ShopState stato;
        stato.PercorsoNegozio = m_negozio;
        ContestoCommercio contesto{stato, {}, m_msg};
        const QStringList valori{"TEL-1", "GESPAY00042", "AUTH-3", "PLAN-4", "Paga al corriere", "IBAN IT00 1234"};
        for (size_t i = 0; i < TuttiISistemi().size(); ++i) {
            std::unique_ptr<frmPG> dlg = CreaDialogoSistema(TuttiISistemi()[i], contesto);
            dlg->show();
            if (auto *info = dlg->findChild<QPlainTextEdit *>("txtInfo"))
                digita(info, valori[int(i)]);
            else
                digita(dlg->findChild<QLineEdit *>("txtLogin"), valori[int(i)]);
            clicca(dlg->cmdOK);
            QVERIFY(!dlg->isVisible());
        }
        QCOMPARE(QDir(m_negozio + "/code").entryList({"*.epg"}, QDir::Files).size(), 6);
        QVERIFY(m_msg.texts().isEmpty());
    }

    void perImporto()
    {
        spedizione([this](frmSpedizione &d) {
            const char *nomi[] = {"Contrassegno", "Bonifico", "Carta Telepay", "Carta Sella"};
            const char *sistemi[] = {"Contrassegno", "Pagamento anticipato", "Telepay Light", "Banca Sella"};
            for (int k = 0; k < 4; ++k) {
                if (!d.chkMetodo[k]->isChecked())
                    clicca(d.chkMetodo[k]);
                scegliConTasti(d.cboMetodo[k], QString::fromUtf8(sistemi[k]));
                digita(d.txtNomeMetodo[k], QString::fromUtf8(nomi[k]));
            }
            d.cmdHelp->setFocus();
            scegliConTasti(d.cboPagamento, "Contrassegno");
            for (const char *paese : {"Italia", "France"}) {
                d.cboAggiungi->setFocus();
                d.cboAggiungi->lineEdit()->selectAll();
                QTest::keyClicks(d.cboAggiungi, QString::fromUtf8(paese));
                QTest::keyClick(d.cboAggiungi, Qt::Key_Return);
            }
            scegliConTasti(d.cboZona, "2 - Unione Europea");
            // "France" as the shop writes it.
            QCOMPARE(d.lblPaese->text(), QStringLiteral("France"));
            d.DBGrid1->setFocus();
            QTest::keyClick(d.DBGrid1, Qt::Key_Home, Qt::ControlModifier);
            QCOMPARE(d.lblPaese->text(), QStringLiteral("Provvisorio"));
            scegliConTasti(d.cboPaese, "Italia");
            clicca(d.cmdElimina);
            QCOMPARE(d.DBGrid1->rowCount(), 2);
            clicca(d.chkPagZona[0]);
            clicca(d.chkPagZona[1]);
            fasce(d, 1, {{"m1imp1", "50"}, {"m1sp1", "12,50"}, {"m1imp2", "100"}, {"m1sp2", "9"}, {"m1sp3", "3"},
                         {"m2imp1", "60"}, {"m2sp1", "8"}, {"m2imp2", "120"}, {"m2sp2", "5"}, {"m2sp3", "0"}});
            fasce(d, 2, {{"m2imp1", "50"}, {"m2sp1", "15"}, {"m2imp2", "100"}, {"m2sp2", "12"}, {"m2sp3", "8.99"}});
            clicca(d.chkPagZona[1]);
        }, "sito-spedizione-importi");
        if (QTest::currentTestFailed())
            return;
        costruisci();
        // Cash on delivery is not offered in the EU (France's zone).
        ordine({caso("Italia", "Contrassegno", 3000, 0, 1250), caso("Italia", "Contrassegno", 7000, 0, 900),
                caso("Italia", "Contrassegno", 15000, 0, 300), caso("Italia", "Bonifico", 6000, 0, 800),
                caso("Italia", "Bonifico", 12001, 0, 0), caso("France", "Bonifico", 3000, 0, 1500),
                caso("France", "Bonifico", 10000, 0, 1200), caso("France", "Bonifico", 10001, 0, 899),
                caso("France", "Contrassegno", 3000, 0, -1)},
               {"Contrassegno", "Bonifico", "Carta Telepay", "Carta Sella"});
        const QString pagine = m_negozio + "/online/";
        QVERIFY(leggi(pagine + "thankyou1.htm").contains("Paga al corriere"));
        QVERIFY(leggi(pagine + "thankyou2.htm").contains("IBAN IT00 1234"));
        QVERIFY(leggi(pagine + "thankyou3.htm").contains("name=\"MERCHANT_ID\" value=\"TEL-1\""));
        QVERIFY(leggi(pagine + "thankyou4.htm").contains("name=\"esercente\" value=\"GESPAY00042\""));
    }

    void perPeso()
    {
        spedizione([this](frmSpedizione &d) {
            clicca(d.optImpPeso[1]);
            scegliConTasti(d.cboMetodo[2], "AuthorizeNet");
            scegliConTasti(d.cboMetodo[3], "Planet Payment");
            fasce(d, 1, {{"m1peso1", "1"}, {"m1spp1", "5"}, {"m1peso2", "2.5"}, {"m1spp2", "7,50"}, {"m1peso3", "10"},
                         {"m1spp3", "12"}, {"m1spp10", "30"}});
            fasce(d, 2, {{"m2peso1", "0,5"}, {"m2spp1", "9"}, {"m2peso2", "3"}, {"m2spp2", "14"}, {"m2spp10", "40"}});
        }, "sito-spedizione-pesi");
        if (QTest::currentTestFailed())
            return;
        costruisci();
        ordine({caso("Italia", "Contrassegno", 1000, 0.8, 500), caso("Italia", "Contrassegno", 1000, 2.5, 750),
                caso("Italia", "Contrassegno", 1000, 4, 1200), caso("Italia", "Contrassegno", 1000, 11, 3000),
                caso("France", "Bonifico", 1000, 0.5, 900), caso("France", "Bonifico", 1000, 2, 1400),
                caso("France", "Bonifico", 1000, 5, 4000), caso("France", "Contrassegno", 1000, 1, -1)},
               {"Contrassegno", "Bonifico", "Carta Telepay", "Carta Sella"});
        const QString pagine = m_negozio + "/online/";
        QVERIFY(leggi(pagine + "thankyou3.htm").contains("name=\"x_login\" value=\"AUTH-3\""));
        QVERIFY(leggi(pagine + "thankyou4.htm").contains("name=\"merchant\" value=\"PLAN-4\""));
    }
};

QTEST_MAIN(TestFrmSito)
#include "test_frmsito.moc"
