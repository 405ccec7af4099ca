// A demo shop whose shipping and payments are set up only through the
// dialogs, with real events: the six systems configured, methods, countries
// and cost bands entered, the shop built; its order page (in headless
// Chromium) lists the new methods and countries and computes the costs by
// amount and by weight for two zones, and its thank-you pages carry each
// system's fragment.
#include "commercio.h"
#include "frmpg.h"
#include "frmspedizione.h"
#include "finestre.h"
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
    [[nodiscard]] bool spedizione(const std::function<bool(frmSpedizione &)> &passi, const QString &foto)
    {
        DatabasePtr db = Database::open(m_negozio + "/catalog.mdb", Database::Access::Exclusive);
        {
            EditorSpedizione logica(db, m_negozio, u',', m_msg);
            logica.apri();
            frmSpedizione dlg(logica);
            dlg.show();
            VERIFICA(QTest::qWaitForWindowExposed(&dlg));
            VERIFICA(passi(dlg));
            VERIFICA(salvaSchermata(&dlg, foto));
            VERIFICA(clic(figlio<QPushButton>(&dlg, QStringLiteral("cmdOK"))));
            VERIFICA2(!dlg.isVisible(), qPrintable(m_msg.texts().join(" | ")));
        }
        CONFRONTA(db->transactionDepth(), 0);
        db->close();
        return true;
    }

    [[nodiscard]] bool costruisci()
    {
        QString uscita;
        VERIFICA2(esegui(qEnvironmentVariable("VT_BENCH"),
                         {"build", m_negozio, qEnvironmentVariable("VETRASTO_HOME") + "/template/classico"}, &uscita),
                  qPrintable(uscita));
        return true;
    }

    [[nodiscard]] bool ordine(const QJsonArray &casi, const QStringList &metodi)
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
        VERIFICA(fatto);
        return true;
    }

    static QJsonObject caso(const char *paese, const char *metodo, int cent, double peso, int spese)
    {
        return {{"paese", paese}, {"metodo", metodo}, {"p", cent}, {"w", peso}, {"spedizione", spese},
                {"permesso", spese >= 0}};
    }

    // The band values of a zone, typed into its tab.
    [[nodiscard]] static bool fasce(frmSpedizione &dlg, int zona,
                                    const QList<std::pair<const char *, const char *>> &valori)
    {
        auto *schede = figlio<QTabBar>(&dlg, QStringLiteral("tabZona"));
        auto *aiuto = figlio<QPushButton>(&dlg, QStringLiteral("cmdHelp"));
        VERIFICA(schede && aiuto);
        QTest::mouseClick(schede, Qt::LeftButton, {}, schede->tabRect(zona - 1).center());
        for (const auto &[campo, testo] : valori)
            VERIFICA2(riscrivi(dlg.campoFascia(QLatin1String(campo)), QString::fromUtf8(testo)), campo);
        aiuto->setFocus();
        return true;
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
        ContestoCommercio contesto{stato, {}, m_msg, nullptr, {}, {}};
        const QStringList valori{"TEL-1", "GESPAY00042", "AUTH-3", "PLAN-4", "Paga al corriere", "IBAN IT00 1234"};
        for (size_t i = 0; i < TuttiISistemi().size(); ++i) {
            std::unique_ptr<frmPG> dlg = CreaDialogoSistema(TuttiISistemi()[i], contesto);
            dlg->show();
            if (auto *info = figlio<QPlainTextEdit>(dlg.get(), "txtInfo"))
                QVERIFY(riscrivi(info, valori[int(i)]));
            else
                QVERIFY(riscrivi(figlio<QLineEdit>(dlg.get(), "txtLogin"), valori[int(i)]));
            QVERIFY(clic(figlio<QPushButton>(dlg.get(), "cmdOK")));
            QVERIFY(!dlg->isVisible());
        }
        QCOMPARE(QDir(m_negozio + "/code").entryList({"*.epg"}, QDir::Files).size(), 6);
        QVERIFY(m_msg.texts().isEmpty());
    }

    void perImporto()
    {
        QVERIFY(spedizione([](frmSpedizione &d) {
            const char *nomi[] = {"Contrassegno", "Bonifico", "Carta Telepay", "Carta Sella"};
            const char *sistemi[] = {"Contrassegno", "Pagamento anticipato", "Telepay Light", "Banca Sella"};
            for (int k = 0; k < 4; ++k) {
                auto *metodo = figlio<QCheckBox>(&d, QStringLiteral("chkMetodo%1").arg(k));
                VERIFICA(metodo);
                if (!metodo->isChecked())
                    VERIFICA(clic(metodo));
                VERIFICA(scegliConFrecce(figlio<QComboBox>(&d, QStringLiteral("cboMetodo%1").arg(k)),
                                         QString::fromUtf8(sistemi[k])));
                VERIFICA(riscrivi(figlio<QLineEdit>(&d, QStringLiteral("txtNomeMetodo%1").arg(k)),
                                  QString::fromUtf8(nomi[k])));
            }
            auto *aiuto = figlio<QPushButton>(&d, QStringLiteral("cmdHelp"));
            auto *aggiungi = figlio<QComboBox>(&d, QStringLiteral("cboAggiungi"));
            auto *paese = figlio<QLabel>(&d, QStringLiteral("lblPaese"));
            auto *paesi = figlio<QTableWidget>(&d, QStringLiteral("DBGrid1"));
            VERIFICA(aiuto && aggiungi && paese && paesi);
            aiuto->setFocus();
            VERIFICA(scegliConFrecce(figlio<QComboBox>(&d, QStringLiteral("cboPagamento")), "Contrassegno"));
            for (const char *nome : {"Italia", "France"}) {
                aggiungi->setFocus();
                aggiungi->lineEdit()->selectAll();
                QTest::keyClicks(aggiungi, QString::fromUtf8(nome));
                QTest::keyClick(aggiungi, Qt::Key_Return);
            }
            VERIFICA(scegliConFrecce(figlio<QComboBox>(&d, QStringLiteral("cboZona")), "Unione Europea"));
            // "France" as the shop writes it.
            CONFRONTA(paese->text(), QStringLiteral("France"));
            paesi->setFocus();
            QTest::keyClick(paesi, Qt::Key_Home, Qt::ControlModifier);
            CONFRONTA(paese->text(), QStringLiteral("Provvisorio"));
            VERIFICA(scegliConFrecce(figlio<QComboBox>(&d, QStringLiteral("cboPaese")), "Italia"));
            VERIFICA(clic(figlio<QPushButton>(&d, QStringLiteral("cmdElimina"))));
            CONFRONTA(paesi->rowCount(), 2);
            VERIFICA(clic(figlio<QCheckBox>(&d, QStringLiteral("chkPagZona0"))));
            VERIFICA(clic(figlio<QCheckBox>(&d, QStringLiteral("chkPagZona1"))));
            VERIFICA(fasce(d, 1, {{"m1imp1", "50"}, {"m1sp1", "12,50"}, {"m1imp2", "100"}, {"m1sp2", "9"}, {"m1sp3", "3"},
                                  {"m2imp1", "60"}, {"m2sp1", "8"}, {"m2imp2", "120"}, {"m2sp2", "5"}, {"m2sp3", "0"}}));
            VERIFICA(fasce(d, 2, {{"m2imp1", "50"}, {"m2sp1", "15"}, {"m2imp2", "100"}, {"m2sp2", "12"},
                                  {"m2sp3", "8.99"}}));
            VERIFICA(clic(figlio<QCheckBox>(&d, QStringLiteral("chkPagZona1"))));
            return true;
        }, "sito-spedizione-importi"));
        QVERIFY(costruisci());
        // Cash on delivery is not offered in the EU (France's zone).
        QVERIFY(ordine({caso("Italia", "Contrassegno", 3000, 0, 1250), caso("Italia", "Contrassegno", 7000, 0, 900),
                caso("Italia", "Contrassegno", 15000, 0, 300), caso("Italia", "Bonifico", 6000, 0, 800),
                caso("Italia", "Bonifico", 12001, 0, 0), caso("France", "Bonifico", 3000, 0, 1500),
                caso("France", "Bonifico", 10000, 0, 1200), caso("France", "Bonifico", 10001, 0, 899),
                caso("France", "Contrassegno", 3000, 0, -1)},
               {"Contrassegno", "Bonifico", "Carta Telepay", "Carta Sella"}));
        const QString pagine = m_negozio + "/online/";
        QVERIFY(leggi(pagine + "thankyou1.htm").contains("Paga al corriere"));
        QVERIFY(leggi(pagine + "thankyou2.htm").contains("IBAN IT00 1234"));
        QVERIFY(leggi(pagine + "thankyou3.htm").contains("name=\"MERCHANT_ID\" value=\"TEL-1\""));
        QVERIFY(leggi(pagine + "thankyou4.htm").contains("name=\"esercente\" value=\"GESPAY00042\""));
    }

    void perPeso()
    {
        QVERIFY(spedizione([](frmSpedizione &d) {
            VERIFICA(clic(figlio<QRadioButton>(&d, QStringLiteral("optImpPeso1"))));
            VERIFICA(scegliConFrecce(figlio<QComboBox>(&d, QStringLiteral("cboMetodo2")), "AuthorizeNet"));
            VERIFICA(scegliConFrecce(figlio<QComboBox>(&d, QStringLiteral("cboMetodo3")), "Planet Payment"));
            VERIFICA(fasce(d, 1, {{"m1peso1", "1"}, {"m1spp1", "5"}, {"m1peso2", "2.5"}, {"m1spp2", "7,50"},
                                  {"m1peso3", "10"}, {"m1spp3", "12"}, {"m1spp10", "30"}}));
            VERIFICA(fasce(d, 2, {{"m2peso1", "0,5"}, {"m2spp1", "9"}, {"m2peso2", "3"}, {"m2spp2", "14"},
                                  {"m2spp10", "40"}}));
            return true;
        }, "sito-spedizione-pesi"));
        QVERIFY(costruisci());
        QVERIFY(ordine({caso("Italia", "Contrassegno", 1000, 0.8, 500), caso("Italia", "Contrassegno", 1000, 2.5, 750),
                caso("Italia", "Contrassegno", 1000, 4, 1200), caso("Italia", "Contrassegno", 1000, 11, 3000),
                caso("France", "Bonifico", 1000, 0.5, 900), caso("France", "Bonifico", 1000, 2, 1400),
                caso("France", "Bonifico", 1000, 5, 4000), caso("France", "Contrassegno", 1000, 1, -1)},
               {"Contrassegno", "Bonifico", "Carta Telepay", "Carta Sella"}));
        const QString pagine = m_negozio + "/online/";
        QVERIFY(leggi(pagine + "thankyou3.htm").contains("name=\"x_login\" value=\"AUTH-3\""));
        QVERIFY(leggi(pagine + "thankyou4.htm").contains("name=\"merchant\" value=\"PLAN-4\""));
    }
};

QTEST_MAIN(TestFrmSito)
#include "test_frmsito.moc"
