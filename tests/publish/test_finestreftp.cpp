// The publishing windows on the offscreen platform, driven with real key and
// mouse events; the publisher and the folder browser against a real FTP
// server. Each window's picture is saved under tests/publish/output/.
#include "finestre.h"
#include "testshop.h"
#include "catalogschema.h"
#include "boxmessages.h"
#include "frmavviso.h"
#include "frmfirewall.h"
#include "frmfolderftp.h"
#include "frmftp.h"
#include "frmimpostaftp.h"
#include "scriptedmessages.h"
#include "serverftp.h"
#include "settings.h"
#include "sfogliaftp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

// A shop that was built, with a pages and a scripts folder.
struct NegozioCostruito {
    QTemporaryDir dir;
    QString percorso = dir.path() + QStringLiteral("/negozio");
    QString radice = dir.path() + QStringLiteral("/server");
    NegozioCostruito()
    {
        CatalogSchema::createEmptyShop(percorso);
        QDir().mkpath(radice + QStringLiteral("/www/shop"));
        QDir().mkpath(radice + QStringLiteral("/cgi-bin"));
        QByteArray lista;
        for (const char *n : {"online/index.htm", "online/foto.jpg", "scripts/vtorder.pl"}) {
            const QString p = percorso + u'/' + QLatin1String(n);
            scrivi(p, QByteArray(n).repeated(100));
            lista += '#' + p.toUtf8();
        }
        scrivi(percorso + QStringLiteral("/vtftp.dat"), lista + '#');
    }
    std::unique_ptr<ServerFtp> server;
    // The FTP server on the server root, its port in firewall.net.
    bool avvia(const ServerFtp::Guasti &g = {})
    {
        server = std::make_unique<ServerFtp>(radice, g);
        if (server->avviato())
            scrivi(percorso + QStringLiteral("/firewall.net"),
                       "FPRT: " + QByteArray::number(server->porta()) + "\r\n");
        return server->avviato();
    }
    ContestoPubblicazione contesto() const { return ServerFtp::contesto(percorso); }
};

} // namespace

class TestFinestreFtp : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void transferSettings();
    void transferSettingsBeforeAnyBuild();
    void firewallSettings();
    void firewallResetDefaultsToCancel();
    void updateWarning_data();
    void updateWarning();
    void updateWarningCloseBox();
    void folderBrowser();
    void folderBrowserWrongPassword();
    void publisherWindow();
    void publisherWindowLogPane_data();
    void publisherWindowLogPane();
    void publisherWindowCancel_data();
    void publisherWindowCancel();
    void publisherWindowRefusedPermissions();
    void passwordFilesThroughThePublisher();
};

void TestFinestreFtp::initTestCase()
{
    static QTemporaryDir impostazioni;
    SettingsStore::setLocation(impostazioni.path());
}

// The boxes follow vtftp.ini; the extension groups are usable only with
// their box; OK writes the choice, Annulla and Reset write nothing.
void TestFinestreFtp::transferSettings()
{
    NegozioCostruito n;
    ScriptedMessages m;
    QStringList aiuti;
    {
        frmImpostaFTP d(n.percorso, m, [&](const QString &a) { aiuti << a; });
        FIGLIO(QCheckBox, chkImpo0, &d);
        FIGLIO(QCheckBox, chkImpo1, &d);
        FIGLIO(QCheckBox, chkImpo2, &d);
        FIGLIO(QPushButton, cmdOK, &d);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(chkImpo0->isChecked() && chkImpo1->isChecked() && !chkImpo2->isChecked());
        const auto tipo = [&d](int i) { return figlio<QCheckBox>(&d, QStringLiteral("chkTipo%1").arg(i)); };
        for (int i = 0; i < 4; ++i)
            QVERIFY(tipo(i));
        for (QCheckBox *c : {tipo(0), tipo(1), tipo(2), tipo(3)})
            QVERIFY(c->isChecked() && !c->isEnabled());
        QVERIFY(clic(chkImpo2));
        for (int i = 0; i < 3; ++i)
            QVERIFY(clic(tipo(i)));
        QVERIFY(salvaSchermata(&d, QStringLiteral("frmImpostaFTP")));
        QTest::keyClick(&d, Qt::Key_F1);
        QVERIFY(clic(cmdOK));
        QCOMPARE(d.tag(), QStringLiteral("OK"));
        QVERIFY(!d.isVisible());
    }
    QCOMPARE(aiuti, QStringList{QStringLiteral("pagine\\impostaftp.htm")});
    const QString ini = n.percorso + QStringLiteral("/vtftp.ini");
    QCOMPARE(leggi(ini), QByteArray("MODE: 1\r\nSHOP: 1\r\nTYPE: .pl.asp.\r\n"));
    {
        frmImpostaFTP d(n.percorso, m);
        FIGLIO(QCheckBox, chkImpo2, &d);
        FIGLIO(QPushButton, cmdReset, &d);
        FIGLIO(QCheckBox, chkTipo3, &d);
        FIGLIO(QCheckBox, chkTipo0, &d);
        FIGLIO(QPushButton, cmdAnnulla, &d);
        const auto tipo = [&d](int i) { return figlio<QCheckBox>(&d, QStringLiteral("chkTipo%1").arg(i)); };
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(chkImpo2->isChecked());
        for (int i = 0; i < 4; ++i)
            QVERIFY(tipo(i)->isEnabled() && tipo(i)->isChecked() == (i == 3));
        QVERIFY(clic(cmdReset));
        QVERIFY(!chkImpo2->isChecked() && !chkTipo3->isEnabled() && chkTipo0->isChecked());
        QVERIFY(clic(cmdAnnulla));
        QCOMPARE(d.tag(), QString());
    }
    QCOMPARE(leggi(ini), QByteArray("MODE: 1\r\nSHOP: 1\r\nTYPE: .pl.asp.\r\n"));
    QCOMPARE(m.texts(), QStringList());
}

void TestFinestreFtp::transferSettingsBeforeAnyBuild()
{
    NegozioCostruito n;
    QFile::remove(n.percorso + QStringLiteral("/vtftp.dat"));
    ScriptedMessages m;
    frmImpostaFTP d(n.percorso, m);
    d.show();
    QTRY_VERIFY(!d.isVisible());
    QCOMPARE(m.texts(), QStringList{QStringLiteral("E' necessario costruire il negozio prima di aggiornare il sito")});
    QCOMPARE(d.tag(), QString());
}

// Socks 5 with its port, typed, goes to firewall.net and comes back; the
// password is masked; Reset asks before it deletes.
void TestFinestreFtp::firewallSettings()
{
    NegozioCostruito n;
    ScriptedMessages m;
    const QString net = n.percorso + QStringLiteral("/firewall.net");
    {
        frmFirewall d(n.percorso, m);
        FIGLIO(QRadioButton, optConn1, &d);
        FIGLIO(QComboBox, cboType, &d);
        FIGLIO(QLineEdit, txtFTPport, &d);
        FIGLIO(QLineEdit, txtPassword, &d);
        FIGLIO(QLineEdit, txtHost, &d);
        FIGLIO(QLineEdit, txtPort, &d);
        FIGLIO(QRadioButton, optConn0, &d);
        FIGLIO(QPushButton, cmdOK, &d);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(optConn1->isChecked());
        QCOMPARE(cboType->currentIndex(), -1);
        QCOMPARE(txtFTPport->text(), QStringLiteral("21"));
        QCOMPARE(txtPassword->echoMode(), QLineEdit::Password);
        cboType->setFocus();
        QTest::keyClick(cboType, Qt::Key_Down);
        QTest::keyClick(cboType, Qt::Key_Down);
        QTest::keyClick(cboType, Qt::Key_Down);
        QCOMPARE(cboType->currentText(), QStringLiteral("Socks 5"));
        QTest::keyClicks(txtHost, QStringLiteral("proxy.lan"));
        QTest::keyClicks(txtPort, QStringLiteral("1080x"));
        QCOMPARE(txtPort->text(), QStringLiteral("1080"));
        QTest::keyClicks(txtPassword, QStringLiteral("segreta"));
        txtFTPport->selectAll();
        QTest::keyClicks(txtFTPport, QStringLiteral("40021"));
        QVERIFY(clic(optConn0));
        QVERIFY(salvaSchermata(&d, QStringLiteral("frmFirewall")));
        QVERIFY(clic(cmdOK));
    }
    QCOMPARE(leggi(net), QByteArray("MODE: 0\r\nHOST: proxy.lan\r\nTYPE: 2\r\nPORT: 1080\r\nFPRT: 40021\r\n"
                                        "USER: \r\nPASS: segreta\r\n"));
    {
        frmFirewall d(n.percorso, m);
        FIGLIO(QRadioButton, optConn0, &d);
        FIGLIO(QComboBox, cboType, &d);
        FIGLIO(QLineEdit, txtFTPport, &d);
        FIGLIO(QPushButton, cmdReset, &d);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(optConn0->isChecked());
        QCOMPARE(cboType->currentText(), QStringLiteral("Socks 5"));
        QCOMPARE(txtFTPport->text(), QStringLiteral("40021"));
        m.answer(Messages::Answer::Cancel);
        QVERIFY(clic(cmdReset));
        QVERIFY(!d.isVisible());
    }
    QVERIFY(QFile::exists(net));
    QCOMPARE(m.shown().back().predefinita, std::optional(Messages::Answer::Cancel));
    {
        frmFirewall d(n.percorso, m);
        FIGLIO(QPushButton, cmdReset, &d);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        m.answer(Messages::Answer::Ok);
        QVERIFY(clic(cmdReset));
    }
    QVERIFY(!QFile::exists(net));
    QCOMPARE(m.texts().size(), 2);

    // F1 opens the dialog's help page.
    QStringList aiuti;
    frmFirewall d(n.percorso, m, [&](const QString &a) { aiuti << a; });
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QTest::keyClick(&d, Qt::Key_F1);
    QCOMPARE(aiuti, QStringList{QStringLiteral("pagine\\firewall.htm")});
}

// The real question box of Reset: Enter answers with its default button,
// Annulla, and firewall.net stays.
void TestFinestreFtp::firewallResetDefaultsToCancel()
{
    NegozioCostruito n;
    const QString net = n.percorso + QStringLiteral("/firewall.net");
    scrivi(net, "MODE: 0\r\n");
    BoxMessages box;
    frmFirewall d(n.percorso, box);
    FIGLIO(QPushButton, cmdReset, &d);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QString domanda;
    QObject guardia;
    alProssimoModale(guardia, [&domanda](QWidget *m) {
        auto *b = qobject_cast<QMessageBox *>(m);
        VERIFICA(b);
        domanda = b->text();
        VERIFICA(salvaSchermata(b, QStringLiteral("frmFirewall-reset")));
        QTest::keyClick(b, Qt::Key_Return);
        return true;
    });
    QVERIFY(clic(cmdReset));
    QCOMPARE(domanda, QStringLiteral("Le impostazioni avanzate saranno riportate alle condizioni di default"));
    QVERIFY(!d.isVisible());
    QVERIFY(QFile::exists(net));
}
void TestFinestreFtp::updateWarning_data()
{
    QTest::addColumn<bool>("si");
    QTest::addColumn<bool>("nonMostrare");
    QTest::newRow("yes") << true << false;
    QTest::newRow("no, never again") << false << true;
    QTest::newRow("yes, never again") << true << true;
}

void TestFinestreFtp::updateWarning()
{
    QFETCH(bool, si);
    QFETCH(bool, nonMostrare);
    SettingsStore::set(QStringLiteral("Vetrasto"), QStringLiteral("AppIni"), QStringLiteral("NoShow"), QString());
    frmAvviso d;
    FIGLIO(QCheckBox, chkNoShow, &d);
    FIGLIO(QPushButton, cmdSi, &d);
    FIGLIO(QPushButton, cmdNo, &d);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    if (!si && nonMostrare)
        QVERIFY(salvaSchermata(&d, QStringLiteral("frmAvviso")));
    if (nonMostrare)
        QTest::keyClick(chkNoShow, Qt::Key_Space);
    QVERIFY(clic(si ? cmdSi : cmdNo));
    QVERIFY(!d.isVisible());
    QCOMPARE(d.tag(), si ? QStringLiteral("OK") : QString());
    QCOMPARE(SettingsStore::get(QStringLiteral("Vetrasto"), QStringLiteral("AppIni"), QStringLiteral("NoShow")),
             nonMostrare ? QStringLiteral("1") : QString());
}

// The close box answers neither Sì nor No: no update, and the check box
// is not kept.
void TestFinestreFtp::updateWarningCloseBox()
{
    SettingsStore::set(QStringLiteral("Vetrasto"), QStringLiteral("AppIni"), QStringLiteral("NoShow"), QString());
    frmAvviso d;
    FIGLIO(QCheckBox, chkNoShow, &d);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QTest::keyClick(chkNoShow, Qt::Key_Space);
    QVERIFY(chkNoShow->isChecked());
    QVERIFY(d.close());
    QVERIFY(!d.isVisible());
    QCOMPARE(d.tag(), QString());
    QCOMPARE(SettingsStore::get(QStringLiteral("Vetrasto"), QStringLiteral("AppIni"), QStringLiteral("NoShow")),
             QString());
}

// Walk down with double clicks and up with the button; a click chooses the
// folder below the path; "." and ".." are never offered. A folder gone from
// the server meanwhile is named in a warning, and the window stays.
void TestFinestreFtp::folderBrowser()
{
    NegozioCostruito n;
    QDir(n.radice).mkpath(QStringLiteral("www/shop/public"));
    QDir(n.radice).mkpath(QStringLiteral("www/shop/tolta"));
    QVERIFY(n.avvia());
    ScriptedMessages m;
    QStringList aiuti;
    frmFolderFTP d(n.percorso, m, [&](const QString &a) { aiuti << a; });
    FIGLIO(QLineEdit, txt0, &d);
    FIGLIO(QLineEdit, txt1, &d);
    FIGLIO(QLineEdit, txt2, &d);
    FIGLIO(QListWidget, lstData, &d);
    FIGLIO(QToolButton, cmdUP, &d);
    FIGLIO(QLineEdit, txtPath, &d);
    FIGLIO(QLineEdit, txtSelFolder, &d);
    FIGLIO(QPlainTextEdit, txtLog, &d);
    FIGLIO(QPushButton, cmdOK, &d);
    txt0->setText(QStringLiteral("ftp://127.0.0.1/"));
    txt1->setText(ServerFtp::utente());
    txt2->setText(ServerFtp::password());
    d.show();
    QTRY_COMPARE_WITH_TIMEOUT(lstData->count(), 2, 10000);
    QVERIFY(!cmdUP->isEnabled());
    auto voce = [&](const QString &nome) {
        const auto trovate = lstData->findItems(nome, Qt::MatchExactly);
        return trovate.isEmpty() ? nullptr : trovate.first();
    };
    QVERIFY(voce(QStringLiteral("www")) && voce(QStringLiteral("cgi-bin")));
    // Where an item stands once the list has laid it out.
    auto posto = [&](const QString &nome) {
        lstData->doItemsLayout();
        return lstData->visualItemRect(voce(nome)).center();
    };
    // A double click is a click and a second press within the interval.
    auto doppioClic = [&](const QString &nome) {
        QTest::mouseClick(lstData->viewport(), Qt::LeftButton, {}, posto(nome));
        QTest::mouseDClick(lstData->viewport(), Qt::LeftButton, {}, posto(nome));
    };
    doppioClic(QStringLiteral("www"));
    QTRY_COMPARE_WITH_TIMEOUT(txtPath->text(), QStringLiteral("www"), 10000);
    QTRY_VERIFY(voce(QStringLiteral("shop")));
    doppioClic(QStringLiteral("shop"));
    QTRY_COMPARE_WITH_TIMEOUT(txtPath->text(), QStringLiteral("www/shop"), 10000);
    QTRY_VERIFY(voce(QStringLiteral("public")));
    QVERIFY(QDir(n.radice).rmdir(QStringLiteral("www/shop/tolta")));
    doppioClic(QStringLiteral("tolta"));
    QTRY_COMPARE_WITH_TIMEOUT(m.texts().size(), 1, 10000);
    QVERIFY2(m.texts().first().startsWith(QStringLiteral("La cartella 'www/shop/tolta' non esiste sul server o non vi si "
                                                         "può accedere.\nRisposta del server: 550 ")),
             qPrintable(m.texts().first()));
    QVERIFY(d.isVisible());
    QCOMPARE(txtPath->text(), QStringLiteral("www/shop"));
    QTest::mouseClick(lstData->viewport(), Qt::LeftButton, {}, posto(QStringLiteral("public")));
    QCOMPARE(txtSelFolder->text(), QStringLiteral("www/shop/public"));
    QTRY_VERIFY(cmdUP->isEnabled());
    QVERIFY(salvaSchermata(&d, QStringLiteral("frmFolderFTP")));
    QTest::keyClick(lstData, Qt::Key_F1);
    QCOMPARE(aiuti, QStringList{QStringLiteral("pagine\\cartelleftp.htm")});
    QVERIFY(!txtLog->toPlainText().contains(ServerFtp::password()));
    QVERIFY(txtLog->toPlainText().contains(QStringLiteral("PASS (hidden)")));
    QVERIFY(clic(cmdUP));
    QTRY_COMPARE_WITH_TIMEOUT(txtPath->text(), QStringLiteral("www"), 10000);
    QVERIFY(clic(cmdOK));
    QCOMPARE(d.scelta(), QStringLiteral("www/shop/public"));
    QVERIFY(!d.isVisible());
    QCOMPARE(m.texts().size(), 1);
}

void TestFinestreFtp::folderBrowserWrongPassword()
{
    NegozioCostruito n;
    QVERIFY(n.avvia());
    ScriptedMessages m;
    frmFolderFTP d(n.percorso, m);
    FIGLIO(QLineEdit, txt0, &d);
    FIGLIO(QLineEdit, txt1, &d);
    FIGLIO(QLineEdit, txt2, &d);
    txt0->setText(QStringLiteral("127.0.0.1"));
    txt1->setText(ServerFtp::utente());
    txt2->setText(QStringLiteral("sbagliata"));
    d.show();
    QTRY_VERIFY_WITH_TIMEOUT(!d.isVisible(), 10000);
    QCOMPARE(m.texts(), QStringList{SfogliaFtp::MessaggioFallimento()});
    QCOMPARE(d.scelta(), QString());
}

// The publisher's window runs the upload without freezing, shows the
// dialogue without the password, asks at the end and closes.
void TestFinestreFtp::publisherWindow()
{
    NegozioCostruito n;
    QVERIFY(n.avvia());
    ScriptedMessages m;
    m.answer(Messages::Answer::No);
    frmFTP w(n.contesto(), ModoFTP::Normale, m);
    FIGLIO(QPlainTextEdit, txtLog, &w);
    FIGLIO(QLineEdit, txtLogFile, &w);
    QVERIFY(w.carica());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 20000);
    QVERIFY(w.conclusione().riuscito);
    QCOMPARE(m.texts(), QStringList{QStringLiteral("Aggiornamento del negozio terminato. Vuoi vedere il sito?")});
    QVERIFY(txtLog->toPlainText().contains(QStringLiteral("PASS (hidden)")));
    QVERIFY(!txtLog->toPlainText().contains(ServerFtp::password()));
    QCOMPARE(txtLogFile->text(), n.percorso + QStringLiteral("/vtftp2.log"));
    QVERIFY(QFile::exists(n.radice + QStringLiteral("/cgi-bin/vtorder.pl")));

    // A shop never built: the window does not open.
    QFile::remove(n.percorso + QStringLiteral("/vtftp.dat"));
    QVERIFY(!frmFTP::Mostra(nullptr, n.contesto(), ModoFTP::OTP, m));

    // Command 51 on a shop never built, the warning switched off: the
    // message, and no window opens.
    m.clear();
    SettingsStore::set(QStringLiteral("Vetrasto"), QStringLiteral("AppIni"), QStringLiteral("NoShow"), QStringLiteral("1"));
    EseguiAggiornaSito(nullptr, n.contesto(), m, {});
    QCOMPARE(m.texts(), QStringList{QStringLiteral("E' necessario costruire il negozio prima di aggiornare il sito")});
}

void TestFinestreFtp::publisherWindowLogPane_data()
{
    QTest::addColumn<QString>("caso");
    QTest::addColumn<QStringList>("inOrdine");  // lines of the pane, in this order
    QTest::addColumn<QString>("propria");       // the program's own line
    QTest::newRow("wrong password")
        << "password"
        << QStringList{QStringLiteral("220 FTP di prova"), QStringLiteral("USER negozio"), QStringLiteral("PASS (hidden)"),
                       QStringLiteral("530 Authentication failed.")}
        << "* Il server ha rifiutato l'accesso: controllare il nome utente e la password nella scheda \"Internet\".";
    QTest::newRow("remote folder missing")
        << "cartella" << QStringList{QStringLiteral("PASS (hidden)"), QStringLiteral("CWD www/shop")}
        << "* La cartella 'www/shop' non esiste sul server o non vi si può accedere.";
}

// The window's log pane holds the dialogue, commands and replies in the
// order they went, and the program's own lines in Italian: none of the FTP
// library's own words.
void TestFinestreFtp::publisherWindowLogPane()
{
    QFETCH(QString, caso);
    QFETCH(QStringList, inOrdine);
    QFETCH(QString, propria);
    NegozioCostruito n;
    if (caso == QLatin1String("cartella"))
        QVERIFY(QDir(n.radice + QStringLiteral("/www")).removeRecursively());
    QVERIFY(n.avvia());
    ScriptedMessages m;
    m.answer(Messages::Answer::No);
    ContestoPubblicazione contesto = n.contesto();
    if (caso == QLatin1String("password"))
        contesto.txtPassword = QStringLiteral("sbagliata");
    frmFTP w(contesto, ModoFTP::Normale, m);
    FIGLIO(QPlainTextEdit, txtLog, &w);
    QVERIFY(w.carica());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 20000);
    QVERIFY(!w.conclusione().riuscito);
    const QStringList righe = txtLog->toPlainText().split(u'\n');
    qsizetype dove = -1;
    for (const QString &r : inOrdine) {
        const qsizetype qui = righe.indexOf(r);
        QVERIFY2(qui > dove, qPrintable(r + u'\n' + righe.join(u'\n')));
        dove = qui;
    }
    QCOMPARE(righe.filter(QRegularExpression(QStringLiteral("^\\* "))), QStringList{propria});
}

void TestFinestreFtp::publisherWindowCancel_data()
{
    QTest::addColumn<QString>("come");
    QTest::newRow("Annulla") << "Annulla";
    QTest::newRow("close box") << "chiusura";
    QTest::newRow("Escape") << "Esc";
}

// "Annulla", the close box or Escape while a file hangs on a server that
// stopped answering: the window stays responsive and on screen until the
// upload has stopped, which takes less than a second, and closes without a
// failure message.
void TestFinestreFtp::publisherWindowCancel()
{
    QFETCH(QString, come);
    NegozioCostruito n;
    scrivi(n.percorso + QStringLiteral("/online/grande.jpg"), QByteArray(4 * 1024 * 1024, 'g'));
    scrivi(n.percorso + QStringLiteral("/vtftp.ini"), "MODE: 1\r\nSHOP: 0\r\nTYPE: ALL.\r\n");
    ServerFtp::Guasti g;
    g.siFermaDurante = QStringLiteral("grande.jpg");
    QVERIFY(n.avvia(g));
    ScriptedMessages m;
    frmFTP w(n.contesto(), ModoFTP::Normale, m);
    FIGLIO(QLabel, lblFile, &w);
    FIGLIO(QPushButton, cmdAnnulla, &w);
    QVERIFY(w.carica());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(lblFile->text() == QStringLiteral("Invio del file grande.jpg"), 10000);
    QTest::qWait(300);
    if (come == QLatin1String("Annulla"))
        QVERIFY(salvaSchermata(&w, QStringLiteral("frmFTP")));
    QVERIFY(w.inCorso());
    QElapsedTimer t;
    t.start();
    if (come == QLatin1String("Annulla")) {
        QVERIFY(clic(cmdAnnulla));
    } else if (come == QLatin1String("chiusura")) {
        // What the close box sends: the close is refused while the upload
        // runs, and the window goes once it has stopped.
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
    } else {
        QTest::keyClick(&w, Qt::Key_Escape);
    }
    QVERIFY(!cmdAnnulla->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!w.inCorso());
    QCOMPARE(m.texts(), QStringList());
    QVERIFY(!w.conclusione().riuscito);
}

// A server that will not make the order script executable: the real
// message box says so and what to do, and no "terminato" follows.
void TestFinestreFtp::publisherWindowRefusedPermissions()
{
    NegozioCostruito n;
    ServerFtp::Guasti g;
    g.senzaChmod = true;
    QVERIFY(n.avvia(g));
    BoxMessages box;
    QStringList testi;
    bool fotografate = true;
    QTimer guarda;
    guarda.setInterval(50);
    connect(&guarda, &QTimer::timeout, [&] {
        auto *b = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!b || !b->isVisible())
            return;
        testi << b->text();
        fotografate = salvaSchermata(b, QStringLiteral("frmFTP-chmod")) && fotografate;
        QTest::keyClick(b, Qt::Key_Return);
    });
    guarda.start();
    frmFTP w(n.contesto(), ModoFTP::Normale, box);
    QVERIFY(w.carica());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 20000);
    QCOMPARE(testi.size(), 1);
    QVERIFY(fotografate);
    QVERIFY2(testi[0].startsWith(QStringLiteral("Errore: Il server non ha permesso di rendere eseguibile lo script "
                                                "'vtorder.pl'")),
             qPrintable(testi[0]));
    QVERIFY(testi[0].endsWith(QStringLiteral("Risposta del server: 550 Not enough privileges.")));
    QVERIFY(!w.conclusione().riuscito);
}

// The bank's password files update reaches the server through the
// publisher's window in its password-file modes.
void TestFinestreFtp::passwordFilesThroughThePublisher()
{
    NegozioCostruito n;
    scrivi(n.percorso + QStringLiteral("/scripts/banca.ric"), "nuova\r\n");
    scrivi(n.percorso + QStringLiteral("/scripts/banca.ris"), "nuova\r\n");
    scrivi(n.radice + QStringLiteral("/cgi-bin/banca.ric"), "vecchia\n");
    QVERIFY(n.avvia());
    ScriptedMessages m;
    CaricamentoPasswordFTP accoda(nullptr, n.contesto(), m);
    QCOMPARE(accoda.carica(true), CaricamentoPassword::Esito::Inviati);
    QCOMPARE(leggi(n.radice + QStringLiteral("/cgi-bin/banca.ric")), QByteArray("vecchia\nnuova\n"));
    QCOMPARE(leggi(n.radice + QStringLiteral("/cgi-bin/banca.ris")), QByteArray("nuova\n"));
    QVERIFY(!QFile::exists(n.radice + QStringLiteral("/cgi-bin/vtorder.pl")));
    QCOMPARE(m.texts(), QStringList{QStringLiteral("I file di password sono stati aggiornati")});

    ContestoPubblicazione sbagliata = n.contesto();
    sbagliata.txtPassword = QStringLiteral("sbagliata");
    QCOMPARE(CaricamentoPasswordFTP(nullptr, sbagliata, m).carica(false), CaricamentoPassword::Esito::Fallito);
    QFile::remove(n.percorso + QStringLiteral("/vtftp.dat"));
    QCOMPARE(CaricamentoPasswordFTP(nullptr, n.contesto(), m).carica(false), CaricamentoPassword::Esito::NonAvviato);
}

QTEST_MAIN(TestFinestreFtp)
#include "test_finestreftp.moc"
