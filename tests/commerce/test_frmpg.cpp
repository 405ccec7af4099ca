// The payment system chooser, the six settings dialogs and the password
// files window, driven with real events on a real shop: every field changed,
// "OK", and conf.ini and the fragment compared with what they must hold.
#include "commercio.h"
#include "frmconfigurapg.h"
#include "frmftp.h"
#include "frmotp.h"
#include "frmpg.h"
#include "finestre.h"
#include "testshop.h"

#include "scriptedmessages.h"
#include "serverftp.h"
#include "settings.h"
#include "shell.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(Sistema)

class TestFrmPG : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramFolder> m_programma;
    QString m_negozio;
    ShopState m_stato;
    ScriptedMessages m_msg;
    std::unique_ptr<ContestoCommercio> m_contesto;
    QStringList m_aiuti;

private slots:
    void cleanup() { Shell::impostaSceltaFile({}); }
    void init()
    {
        m_programma = std::make_unique<TestProgramFolder>();
        m_negozio = m_programma->newShopWithCode();
        m_stato = ShopState();
        m_stato.PercorsoNegozio = m_negozio;
        m_msg.clear();
        m_aiuti.clear();
        m_contesto.reset(new ContestoCommercio{m_stato, {}, m_msg, nullptr, {}, {}});
        m_contesto->impostazioni.txtURL = "www.bottega.it";
        m_contesto->impostazioni.txtCGI = "cgi-bin";
        m_contesto->impostazioni.txtHost = "192.168.1.20";
        m_contesto->impostazioni.txtEmailOrdini = "ordini@bottega.it";
        m_contesto->impostazioni.txtFolderCGI = "/www/cgi-bin";
        m_contesto->aiuto = [this](const QString &a) { m_aiuti << a; };
    }

    void dialoghi_data()
    {
        QTest::addColumn<Sistema>("sistema");
        QTest::addColumn<QString>("testo");  // typed into the text field
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<QByteArray>("frammento");
        const QByteArray modello = "[#mid|#val|#url|#java|#info]";
        QTest::newRow("Telepay Light")
            << Sistema::Telepay << "M<1>\"&"
            << QByteArray("mid=M<1>\"&\r\nval=978\r\nurl=http://telepay-test.example-banca.it/tltest/index.html\r\n"
                          "java=importo = Math.round(importo1 * 100);\r\n")
            << QByteArray("[M&lt;1&gt;&quot;&amp;|978|http://telepay-test.example-banca.it/tltest/index.html|"
                          "importo = Math.round(importo1 * 100);|#info]");
        QTest::newRow("Banca Sella")
            << Sistema::Sella << "GESPAY00123"
            << QByteArray("pl(default)=gestpaycrypt\r\nasp(Default)=gestpaycrypt\r\npl=s2scrypt\r\nmid=GESPAY00123\r\n"
                          "val=242\r\npwd=GP123\r\n")
            << QByteArray("[GESPAY00123|242|#url|#java|#info]");
        QTest::newRow("Authorize.Net") << Sistema::AuthorizeNet << "$x@y\\z" << QByteArray("mid=$x@y\\z\r\n")
                                       << QByteArray("[$x@y\\z|#val|#url|#java|#info]");
        QTest::newRow("Planet Payment") << Sistema::PlanetPayment << "PP-9" << QByteArray("mid=PP-9\r\n")
                                        << QByteArray("[PP-9|#val|#url|#java|#info]");
        QTest::newRow("Contrassegno") << Sistema::Contrassegno << "Pagherai al corriere\nin contanti"
                                      << QByteArray("info=Pagherai al corriere|in contanti\r\n")
                                      << QByteArray("[#mid|#val|#url|#java|Pagherai al corriere<BR>in contanti]");
        QTest::newRow("Pagamento anticipato") << Sistema::Anticipato << "IBAN <b>IT00</b>"
                                              << QByteArray("info=IBAN <b>IT00</b>\r\n")
                                              << QByteArray("[#mid|#val|#url|#java|IBAN <b>IT00</b>]");
    }
    void dialoghi()
    {
        QFETCH(Sistema, sistema);
        QFETCH(QString, testo);
        auto conf = NuovaConfigurazione(m_negozio, sistema);
        scrivi(conf->fileModello(), "[#mid|#val|#url|#java|#info]");
        std::unique_ptr<frmPG> dlg = CreaDialogoSistema(sistema, *m_contesto);
        QCOMPARE(dlg->objectName(), datiSistema(sistema).oggetto);
        QCOMPARE(dlg->windowTitle(), datiSistema(sistema).titolo);
        dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
        QTest::keyClick(dlg.get(), Qt::Key_F1);
        QCOMPARE(m_aiuti, QStringList{"pagine\\sistemi.htm"});

        if (qobject_cast<frmPG_Telepay *>(dlg.get())) {
            QVERIFY(riscrivi(figlio<QLineEdit>(dlg.get(), "txtLogin"), testo));
            QVERIFY(clic(figlio<QRadioButton>(dlg.get(), "optVal1")));
            QVERIFY(clic(figlio<QCheckBox>(dlg.get(), "chkTest")));
        } else if (qobject_cast<frmPG_Sella *>(dlg.get())) {
            FIGLIO(QRadioButton, optMetodo0, dlg.get());
            FIGLIO(QRadioButton, optMetodo1, dlg.get());
            FIGLIO(QLineEdit, txtPwd, dlg.get());
            FIGLIO(QLineEdit, txtIP, dlg.get());
            FIGLIO(QLineEdit, txtRis2, dlg.get());
            FIGLIO(QLineEdit, txtRis3, dlg.get());
            FIGLIO(QLineEdit, txtRis5, dlg.get());
            // The program's copy opens in OTP mode; the back office shows
            // the main window's addresses.
            QVERIFY(optMetodo1->isChecked() && txtPwd->isEnabled());
            QCOMPARE(txtIP->text(), QStringLiteral("192.168.1.20"));
            QCOMPARE(txtRis2->text(), QStringLiteral("ordini@bottega.it"));
            QCOMPARE(txtRis3->text(), QStringLiteral("http://www.bottega.it/payok.htm"));
            QVERIFY(txtRis5->text().startsWith("http://www.bottega.it/cgi-bin/s2sotp"));
            QVERIFY(riscrivi(figlio<QLineEdit>(dlg.get(), "txtLogin"), testo));
            QVERIFY(clic(figlio<QRadioButton>(dlg.get(), "optVal1")));
            QVERIFY(clic(optMetodo1));  // the mode change proposes the password name
            QCOMPARE(txtPwd->text(), QStringLiteral("GP123"));
            QVERIFY(clic(optMetodo0));
            QVERIFY(!txtPwd->isEnabled());
            QVERIFY(txtRis5->text().startsWith("http://www.bottega.it/cgi-bin/s2scrypt"));
        } else if (qobject_cast<frmPG_MerchantId *>(dlg.get())) {
            QVERIFY(riscrivi(figlio<QLineEdit>(dlg.get(), "txtLogin"), testo));
        } else if (qobject_cast<frmPG_Informativo *>(dlg.get())) {
            FIGLIO(QPlainTextEdit, txtInfo, dlg.get());
            txtInfo->setFocus();
            for (const QString &riga : testo.split(u'\n')) {
                if (riga != testo.section(u'\n', 0, 0))
                    QTest::keyClick(txtInfo, Qt::Key_Return);
                QTest::keyClicks(txtInfo, riga);
            }
        }
        QVERIFY(salvaSchermata(dlg.get(), dlg->objectName()));
        QVERIFY(clic(figlio<QPushButton>(dlg.get(), "cmdOK")));
        QVERIFY(m_msg.texts().isEmpty());
        QVERIFY(!dlg->isVisible());
        QTEST(leggi(conf->fileConf()), "conf");
        QTEST(leggi(conf->fileFrammento()), "frammento");

        // Opened again, the dialog shows what was saved; "Annulla" writes nothing.
        const QByteArray salvato = leggi(conf->fileConf());
        std::unique_ptr<frmPG> di_nuovo = CreaDialogoSistema(sistema, *m_contesto);
        di_nuovo->show();
        if (qobject_cast<frmPG_Informativo *>(di_nuovo.get())) {
            FIGLIO(QPlainTextEdit, txtInfo, di_nuovo.get());
            QCOMPARE(txtInfo->toPlainText(), testo);
        } else {
            FIGLIO(QLineEdit, txtLogin, di_nuovo.get());
            QCOMPARE(txtLogin->text(), testo);
        }
        QVERIFY(clic(figlio<QPushButton>(di_nuovo.get(), "cmdAnnulla")));
        QCOMPARE(leggi(conf->fileConf()), salvato);
    }

    // A missing template: the message, the dialog stays open, nothing written.
    void modelloMancante()
    {
        auto conf = NuovaConfigurazione(m_negozio, Sistema::PlanetPayment);
        const QByteArray prima = leggi(conf->fileConf());
        QVERIFY(QFile::remove(conf->fileModello()));
        std::unique_ptr<frmPG> dlg = CreaDialogoSistema(Sistema::PlanetPayment, *m_contesto);
        dlg->show();
        QVERIFY(riscrivi(figlio<QLineEdit>(dlg.get(), "txtLogin"), "X"));
        QVERIFY(clic(figlio<QPushButton>(dlg.get(), "cmdOK")));
        QVERIFY(dlg->isVisible());
        QVERIFY(m_msg.texts().value(0).contains("form.epg"));
        QCOMPARE(leggi(conf->fileConf()), prima);
        QVERIFY(!QFile::exists(conf->fileFrammento()));
    }

    // A conf.ini that cannot be read is said when the dialog opens; a save
    // that cannot replace it changes nothing.
    void confIlleggibile()
    {
        auto conf = NuovaConfigurazione(m_negozio, Sistema::AuthorizeNet);
        QVERIFY(QFile::remove(conf->fileConf()));
        QVERIFY(QDir().mkpath(conf->fileConf()));
        std::unique_ptr<frmPG> dlg = CreaDialogoSistema(Sistema::AuthorizeNet, *m_contesto);
        QVERIFY(m_msg.texts().value(0).startsWith("Impossibile leggere il file"));
        dlg->show();
        QVERIFY(riscrivi(figlio<QLineEdit>(dlg.get(), "txtLogin"), "X"));
        QVERIFY(clic(figlio<QPushButton>(dlg.get(), "cmdOK")));
        QVERIFY(dlg->isVisible());
        QVERIFY(m_msg.texts().value(1).contains("Nessun file è stato modificato"));
        QVERIFY(QFileInfo(conf->fileConf()).isDir());
        QVERIFY(!QFile::exists(conf->fileFrammento()));
    }

    // The host is shown for the bank's back office when it has three dots.
    void indirizzoIP_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("mostrato");
        const QString nota = "(inserire l'indirizzo IP del proprio negozio)";
        QTest::newRow("quattro numeri") << "10.0.0.7" << "10.0.0.7";
        QTest::newRow("nome con tre punti") << "ftp.web.bottega.it" << "ftp.web.bottega.it";
        QTest::newRow("nome con due punti") << "ftp.bottega.it" << nota;
        QTest::newRow("vuoto") << "" << nota;
    }
    void indirizzoIP()
    {
        QFETCH(QString, host);
        frmPG_Sella dlg(m_negozio, BackOfficeSella{host, {}, {}, {}, {}}, m_msg);
        FIGLIO(QLineEdit, txtIP, &dlg);
        QTEST(txtIP->text(), "mostrato");
        QVERIFY(txtIP->isReadOnly());
    }

    // Each button of the chooser opens exactly its dialog, after the chooser
    // has gone; "Chiudi" and the close box open none.
    void scelta_data()
    {
        QTest::addColumn<int>("bottone");  // -1 Chiudi, -2 close box
        for (int i = 0; i < 6; ++i)
            QTest::addRow("%s", qPrintable(datiSistema(TuttiISistemi()[size_t(i)]).oggetto)) << i;
        QTest::newRow("Chiudi") << -1;
        QTest::newRow("chiusura") << -2;
    }
    void scelta()
    {
        QFETCH(int, bottone);
        QStringList aperti;
        bool sceltaAncoraAperta = false;
        QObject guardia;  // the timers end with the test
        std::function<void()> passo = [&] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w) {
                QTimer::singleShot(5, &guardia, passo);
                return;
            }
            aperti << w->objectName();
            if (auto *c = qobject_cast<frmConfiguraPG *>(w)) {
                if (aperti.size() == 1 && !salvaSchermata(c, "frmConfiguraPG"))
                    aperti << QStringLiteral("(no picture)");
                auto *b = figlio<QPushButton>(c, bottone >= 0 ? QStringLiteral("cmdConfigura%1").arg(bottone)
                                                              : QStringLiteral("cmdChiudi"));
                if (b && bottone != -2)
                    b->click();
                else
                    c->close();
                QTimer::singleShot(5, &guardia, passo);
            } else if (auto *d = qobject_cast<QDialog *>(w)) {
                for (QWidget *t : QApplication::topLevelWidgets())
                    sceltaAncoraAperta = sceltaAncoraAperta || (t->isVisible() && t->objectName() == "frmConfiguraPG");
                d->reject();
            }
        };
        QTimer::singleShot(0, &guardia, passo);
        ConfiguraPagamento(*m_contesto);
        QStringList attesi{"frmConfiguraPG"};
        if (bottone >= 0)
            attesi << datiSistema(TuttiISistemi()[size_t(bottone)]).oggetto;
        QCOMPARE(aperti, attesi);
        QVERIFY(!sceltaAncoraAperta);
    }

    // The card group: one picture per card gateway beside its button, each
    // its own and with the name whole inside its frame; none for the other
    // systems, and none takes the focus.
    void loghi()
    {
        frmConfiguraPG c;
        c.show();
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        QList<QImage> immagini;
        for (int i = 0; i < 4; ++i) {
            auto *logo = figlio<QLabel>(&c, QStringLiteral("imgLogo%1").arg(i));
            auto *b = figlio<QPushButton>(&c, QStringLiteral("cmdConfigura%1").arg(i));
            QVERIFY(logo && b);
            QCOMPARE(logo->parentWidget(), b->parentWidget());
            QCOMPARE(logo->focusPolicy(), Qt::NoFocus);
            QVERIFY(logo->isVisible());
            const QImage img = logo->pixmap().toImage();
            QVERIFY(!img.isNull());
            QCOMPARE(logo->pixmap().deviceIndependentSize().toSize(), logo->size());
            // Beside its button: on its row, to its left.
            const QRect rl = logo->geometry(), rb = b->geometry();
            QVERIFY(rl.right() < rb.left());
            QVERIFY(qAbs(rl.center().y() - rb.center().y()) <= 2);
            // Nothing drawn in the frame's right margin: the name fits.
            const QRgb fondo = img.pixel(img.width() - 4, img.height() / 2);
            for (int x = img.width() - 5; x < img.width() - 2; ++x)
                for (int y = 4; y < img.height() - 4; ++y)
                    QCOMPARE(img.pixel(x, y), fondo);
            QVERIFY(!immagini.contains(img));
            immagini << img;
        }
        QVERIFY(c.findChildren<QLabel *>(QStringLiteral("imgLogo4")).isEmpty());
        QVERIFY(salvaSchermata(&c, "frmConfiguraPG-loghi"));
    }

    // The password window from the bank dialog: the pair chosen through the
    // shell's file picker (once cancelled), the upload refused when no
    // publisher is there, and the window's look.
    void finestraPassword()
    {
        QTemporaryDir posta;
        for (const char *f : {"GP77.ric", "GP77.ris"})
            scrivi(posta.path() + u'/' + QLatin1String(f), "P1\r\n");
        QDir().mkpath(m_negozio + "/scripts");
        AggiornamentoPassword logica(m_negozio + "/scripts", m_msg, nullptr);
        frmOTP dlg(logica, "ftp.bottega.it", "/www/cgi-bin");
        QList<QStringList> risposte{{}, {posta.path() + "/GP77.ris", posta.path() + "/GP77.ric"}};
        QStringList domande;
        Shell::impostaSceltaFile([&](const QString &titolo, const QString &, const QString &filtro) {
            domande << titolo + u'|' + filtro;
            return risposte.takeFirst();
        });
        dlg.pwd = "GP1";
        FIGLIO(QPushButton, cmdAggiorna, &dlg);
        FIGLIO(QPushButton, cmdCerca, &dlg);
        FIGLIO(QRadioButton, optOperazione0, &dlg);
        FIGLIO(QLineEdit, txtRic, &dlg);
        FIGLIO(QLabel, lblRis, &dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(!cmdAggiorna->isEnabled());
        QVERIFY(optOperazione0->isChecked());
        QVERIFY(clic(cmdCerca));  // cancelled: nothing chosen, nothing said
        QVERIFY(txtRic->text().isEmpty() && !cmdAggiorna->isEnabled());
        QVERIFY(m_msg.texts().isEmpty());
        QVERIFY(clic(cmdCerca));
        QCOMPARE(domande, QStringList(2, "Selezionare i file password |Password Banca Sella (*.ric *.ris)"));
        QCOMPARE(txtRic->text(), posta.path() + "/GP77.ric");
        QCOMPARE(lblRis->text(), QStringLiteral("GP77.ris"));
        QVERIFY(cmdAggiorna->isEnabled());
        QVERIFY(salvaSchermata(&dlg, "frmOTP"));
        m_msg.answer(Messages::Answer::Yes);
        QVERIFY(clic(cmdAggiorna));
        QCOMPARE(m_msg.texts().value(1), QStringLiteral("Impossibile completare l'operazione"));
        QCOMPARE(dlg.pwd, QStringLiteral("GP1"));
        QVERIFY(cmdAggiorna->isEnabled());
        QCOMPARE(QDir(m_negozio + "/scripts").entryList(QDir::Files), QStringList());
    }

    // The whole update from the bank dialog's "Aggiorna file password...",
    // through the publisher's window, to a real FTP server on loopback: the
    // server's files replaced or appended to, the local copies gone, the
    // name in the bank dialog updated. A failure before the upload renames
    // nothing and deletes nothing.
    void passwordSulServer_data()
    {
        QTest::addColumn<bool>("accoda");
        QTest::addColumn<QString>("guasto");
        QTest::addColumn<QByteArray>("ricServer");  // the server's .ric afterwards
        const QByteArray vecchio = "VECCHIA1\n";
        QTest::newRow("sostituisci") << false << "" << QByteArray("NUOVA1\nNUOVA2\n");
        QTest::newRow("accoda") << true << "" << QByteArray("VECCHIA1\nNUOVA1\nNUOVA2\n");
        QTest::newRow("negozio mai costruito: l'editore non parte") << false << "lista" << vecchio;
        QTest::newRow("altro file password negli script") << true << "estraneo" << vecchio;
        QTest::newRow("password FTP sbagliata") << false << "accesso" << vecchio;
    }
    void passwordSulServer()
    {
        QFETCH(bool, accoda);
        QFETCH(QString, guasto);
        static QTemporaryDir impostazioni;
        SettingsStore::setLocation(impostazioni.path());
        // A shop that was built: an upload list, a scripts folder, the
        // server's port; the server holds the old password files.
        const QString negozio = m_negozio;
        const QString radice = negozio + "/../server";
        QDir().mkpath(radice + "/cgi-bin");
        scrivi(radice + "/cgi-bin/GP456.ric", "VECCHIA1\n");
        scrivi(radice + "/cgi-bin/GP456.ris", "VECCHIAR\n");
        scrivi(negozio + "/scripts/vtorder.pl", "#!/usr/bin/perl\n");
        if (guasto != "lista")
            scrivi(negozio + "/vtftp.dat", ("#" + negozio + "/scripts/vtorder.pl#").toUtf8());
        if (guasto == "estraneo")
            scrivi(negozio + "/scripts/GP77.ris", "ALTRA\n");
        ServerFtp server(radice);
        QVERIFY2(server.avviato(), qPrintable(server.errore()));
        scrivi(negozio + "/firewall.net", "FPRT: " + QByteArray::number(server.porta()) + "\r\n");
        QTemporaryDir posta;
        scrivi(posta.path() + "/GP456.ric", "NUOVA1\r\nNUOVA2\r\n");
        scrivi(posta.path() + "/GP456.ris", "RISP1\r\n");
        const QStringList scriptPrima = QDir(negozio + "/scripts").entryList(QDir::Files, QDir::Name);

        m_stato.CartellaScript = negozio + "/scripts";
        m_stato.CartellaPagine = negozio + "/online";
        Impostazioni &imp = m_contesto->impostazioni;
        imp.txtHost = "127.0.0.1";
        imp.txtUsername = ServerFtp::utente();
        imp.txtPassword = guasto == "accesso" ? QStringLiteral("sbagliata") : ServerFtp::password();
        imp.txtFolderFTP = "www/shop";
        imp.txtFolderCGI = "cgi-bin";
        m_contesto->caricamentoPassword = [this] {
            return std::make_unique<CaricamentoPasswordFTP>(
                nullptr, ContestoPubblicazione::da(m_stato, m_contesto->impostazioni), m_msg);
        };
        std::unique_ptr<frmPG> dlg = CreaDialogoSistema(Sistema::Sella, *m_contesto);
        QVERIFY(qobject_cast<frmPG_Sella *>(dlg.get()));
        FIGLIO(QRadioButton, optMetodo1, dlg.get());
        FIGLIO(QLineEdit, txtPwd, dlg.get());
        FIGLIO(QPushButton, cmdPwd, dlg.get());
        dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
        QVERIFY(clic(optMetodo1));
        QVERIFY(riscrivi(txtPwd, "GP1"));

        QStringList passi;
        QObject guardia;
        alProssimoModale(guardia, [&](QWidget *otp) {
            VERIFICA(qobject_cast<frmOTP *>(otp));
            auto *host = figlio<QLineEdit>(otp, QStringLiteral("txtHost"));
            auto *cartella = figlio<QLineEdit>(otp, QStringLiteral("txtCartella"));
            auto *aggiorna = figlio<QPushButton>(otp, QStringLiteral("cmdAggiorna"));
            VERIFICA(host && cartella && aggiorna);
            passi << host->text() + " " + cartella->text();
            Shell::impostaSceltaFile([&](const QString &, const QString &, const QString &) {
                return QStringList{posta.path() + "/GP456.ris", posta.path() + "/GP456.ric"};
            });
            VERIFICA(clic(figlio<QPushButton>(otp, QStringLiteral("cmdCerca"))));
            if (accoda)
                VERIFICA(clic(figlio<QRadioButton>(otp, QStringLiteral("optOperazione1"))));
            m_msg.answer(Messages::Answer::Yes);
            VERIFICA(clic(aggiorna));  // the publisher's window runs to its end
            passi << (aggiorna->isEnabled() ? "da ripetere" : "fatto");
            VERIFICA(clic(figlio<QPushButton>(otp, QStringLiteral("cmdChiudi"))));
            return true;
        });
        QVERIFY(clic(cmdPwd));

        const bool riuscito = guasto.isEmpty();
        QCOMPARE(passi, (QStringList{"127.0.0.1 cgi-bin", riuscito ? "fatto" : "da ripetere"}));
        QTEST(leggi(radice + "/cgi-bin/GP456.ric"), "ricServer");
        QCOMPARE(leggi(radice + "/cgi-bin/GP456.ris"),
                 riuscito ? QByteArray(accoda ? "VECCHIAR\nRISP1\n" : "RISP1\n") : QByteArray("VECCHIAR\n"));
        QVERIFY(!QFile::exists(radice + "/cgi-bin/vtorder.pl"));
        QVERIFY(!QFile::exists(radice + "/cgi-bin/GP77.ris"));
        // The name follows the pair only after a successful upload.
        QCOMPARE(txtPwd->text(), riuscito ? QStringLiteral("GP456") : QStringLiteral("GP1"));
        const QStringList testi = m_msg.texts();
        if (riuscito) {
            QCOMPARE(testi.mid(1), (QStringList{"I file di password sono stati aggiornati",
                                                "E' stato aggiornato il campo 'Nome dei file password' nella maschera "
                                                "di GestPay OTP"}));
        } else if (guasto == "lista") {
            QCOMPARE(testi.last(), QStringLiteral("Impossibile completare l'operazione"));
        } else if (guasto == "estraneo") {
            QCOMPARE(testi.size(), 1);
            QVERIFY(testi.first().contains("GP77.ris"));
        }
        // Nothing of the merchant's is deleted; the copies of the pair are gone.
        QCOMPARE(QDir(negozio + "/scripts").entryList(QDir::Files, QDir::Name), scriptPrima);
        QCOMPARE(leggi(posta.path() + "/GP456.ric"), QByteArray("NUOVA1\r\nNUOVA2\r\n"));
        QCOMPARE(leggi(posta.path() + "/GP456.ris"), QByteArray("RISP1\r\n"));
        if (!accoda && riuscito)
            QVERIFY(salvaSchermata(dlg.get(), "frmPG_Sella-password-aggiornata"));
    }
};

QTEST_MAIN(TestFrmPG)
#include "test_frmpg.moc"
