// The publishing windows on the offscreen platform, driven with real key and
// mouse events; the publisher and the folder browser against a real FTP
// server. Each window's picture is saved under tests/publish/output/.
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

void foto(QWidget *w, const QString &nome)
{
    const QString cartella = QCoreApplication::applicationDirPath() + QStringLiteral("/../tests/publish/output");
    QDir().mkpath(cartella);
    QVERIFY(w->grab().save(cartella + u'/' + nome + QStringLiteral(".png")));
}

void clic(QWidget *w)
{
    QVERIFY(w->isVisible() && w->isEnabled());
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
}

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
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(d.chkImpo[0]->isChecked() && d.chkImpo[1]->isChecked() && !d.chkImpo[2]->isChecked());
        for (QCheckBox *c : d.chkTipo)
            QVERIFY(c->isChecked() && !c->isEnabled());
        clic(d.chkImpo[2]);
        for (int i = 0; i < 3; ++i)
            clic(d.chkTipo[i]);
        foto(&d, QStringLiteral("frmImpostaFTP"));
        QTest::keyClick(&d, Qt::Key_F1);
        clic(d.cmdOK);
        QCOMPARE(d.tag(), QStringLiteral("OK"));
        QVERIFY(!d.isVisible());
    }
    QCOMPARE(aiuti, QStringList{QStringLiteral("pagine\\impostaftp.htm")});
    const QString ini = n.percorso + QStringLiteral("/vtftp.ini");
    QCOMPARE(leggi(ini), QByteArray("MODE: 1\r\nSHOP: 1\r\nTYPE: .pl.asp.\r\n"));
    {
        frmImpostaFTP d(n.percorso, m);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(d.chkImpo[2]->isChecked());
        for (int i = 0; i < 4; ++i)
            QVERIFY(d.chkTipo[i]->isEnabled() && d.chkTipo[i]->isChecked() == (i == 3));
        clic(d.cmdReset);
        QVERIFY(!d.chkImpo[2]->isChecked() && !d.chkTipo[3]->isEnabled() && d.chkTipo[0]->isChecked());
        clic(d.cmdAnnulla);
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
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(d.optConn[1]->isChecked());
        QCOMPARE(d.cboType->currentIndex(), -1);
        QCOMPARE(d.txtFTPport->text(), QStringLiteral("21"));
        QCOMPARE(d.txtPassword->echoMode(), QLineEdit::Password);
        d.cboType->setFocus();
        QTest::keyClick(d.cboType, Qt::Key_Down);
        QTest::keyClick(d.cboType, Qt::Key_Down);
        QTest::keyClick(d.cboType, Qt::Key_Down);
        QCOMPARE(d.cboType->currentText(), QStringLiteral("Socks 5"));
        QTest::keyClicks(d.txtHost, QStringLiteral("proxy.lan"));
        QTest::keyClicks(d.txtPort, QStringLiteral("1080x"));
        QCOMPARE(d.txtPort->text(), QStringLiteral("1080"));
        QTest::keyClicks(d.txtPassword, QStringLiteral("segreta"));
        d.txtFTPport->selectAll();
        QTest::keyClicks(d.txtFTPport, QStringLiteral("40021"));
        clic(d.optConn[0]);
        foto(&d, QStringLiteral("frmFirewall"));
        clic(d.cmdOK);
    }
    QCOMPARE(leggi(net), QByteArray("MODE: 0\r\nHOST: proxy.lan\r\nTYPE: 2\r\nPORT: 1080\r\nFPRT: 40021\r\n"
                                        "USER: \r\nPASS: segreta\r\n"));
    {
        frmFirewall d(n.percorso, m);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(d.optConn[0]->isChecked());
        QCOMPARE(d.cboType->currentText(), QStringLiteral("Socks 5"));
        QCOMPARE(d.txtFTPport->text(), QStringLiteral("40021"));
        m.answer(Messages::Answer::Cancel);
        clic(d.cmdReset);
        QVERIFY(!d.isVisible());
    }
    QVERIFY(QFile::exists(net));
    QCOMPARE(m.shown().back().predefinita, std::optional(Messages::Answer::Cancel));
    {
        frmFirewall d(n.percorso, m);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        m.answer(Messages::Answer::Ok);
        clic(d.cmdReset);
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
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QString domanda;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
        auto *b = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        domanda = b->text();
        foto(b, QStringLiteral("frmFirewall-reset"));
        QTest::keyClick(b, Qt::Key_Return);
    });
    clic(d.cmdReset);
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
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    if (!si && nonMostrare)
        foto(&d, QStringLiteral("frmAvviso"));
    if (nonMostrare)
        QTest::keyClick(d.chkNoShow, Qt::Key_Space);
    clic(si ? d.cmdSi : d.cmdNo);
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
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QTest::keyClick(d.chkNoShow, Qt::Key_Space);
    QVERIFY(d.chkNoShow->isChecked());
    QVERIFY(d.close());
    QVERIFY(!d.isVisible());
    QCOMPARE(d.tag(), QString());
    QCOMPARE(SettingsStore::get(QStringLiteral("Vetrasto"), QStringLiteral("AppIni"), QStringLiteral("NoShow")),
             QString());
}

// Walk down with double clicks and up with the button; a click chooses the
// folder below the path; "." and ".." are never offered.
void TestFinestreFtp::folderBrowser()
{
    NegozioCostruito n;
    QDir(n.radice).mkpath(QStringLiteral("www/shop/public"));
    QVERIFY(n.avvia());
    ScriptedMessages m;
    QStringList aiuti;
    frmFolderFTP d(n.percorso, m, [&](const QString &a) { aiuti << a; });
    d.txt[0]->setText(QStringLiteral("ftp://127.0.0.1/"));
    d.txt[1]->setText(ServerFtp::utente());
    d.txt[2]->setText(ServerFtp::password());
    d.show();
    QTRY_COMPARE_WITH_TIMEOUT(d.lstData->count(), 2, 10000);
    QVERIFY(!d.cmdUP->isEnabled());
    auto voce = [&](const QString &nome) {
        const auto trovate = d.lstData->findItems(nome, Qt::MatchExactly);
        return trovate.isEmpty() ? nullptr : trovate.first();
    };
    QVERIFY(voce(QStringLiteral("www")) && voce(QStringLiteral("cgi-bin")));
    // Where an item stands once the list has laid it out.
    auto posto = [&](const QString &nome) {
        d.lstData->doItemsLayout();
        return d.lstData->visualItemRect(voce(nome)).center();
    };
    // A double click is a click and a second press within the interval.
    auto doppioClic = [&](const QString &nome) {
        QTest::mouseClick(d.lstData->viewport(), Qt::LeftButton, {}, posto(nome));
        QTest::mouseDClick(d.lstData->viewport(), Qt::LeftButton, {}, posto(nome));
    };
    doppioClic(QStringLiteral("www"));
    QTRY_COMPARE_WITH_TIMEOUT(d.txtPath->text(), QStringLiteral("www"), 10000);
    QTRY_VERIFY(voce(QStringLiteral("shop")));
    doppioClic(QStringLiteral("shop"));
    QTRY_COMPARE_WITH_TIMEOUT(d.txtPath->text(), QStringLiteral("www/shop"), 10000);
    QTRY_VERIFY(voce(QStringLiteral("public")));
    QTest::mouseClick(d.lstData->viewport(), Qt::LeftButton, {}, posto(QStringLiteral("public")));
    QCOMPARE(d.txtSelFolder->text(), QStringLiteral("www/shop/public"));
    QTRY_VERIFY(d.cmdUP->isEnabled());
    foto(&d, QStringLiteral("frmFolderFTP"));
    QTest::keyClick(d.lstData, Qt::Key_F1);
    QCOMPARE(aiuti, QStringList{QStringLiteral("pagine\\cartelleftp.htm")});
    QVERIFY(!d.txtLog->toPlainText().contains(ServerFtp::password()));
    QVERIFY(d.txtLog->toPlainText().contains(QStringLiteral("PASS (hidden)")));
    clic(d.cmdUP);
    QTRY_COMPARE_WITH_TIMEOUT(d.txtPath->text(), QStringLiteral("www"), 10000);
    clic(d.cmdOK);
    QCOMPARE(d.scelta(), QStringLiteral("www/shop/public"));
    QVERIFY(!d.isVisible());
    QCOMPARE(m.texts(), QStringList());
}

void TestFinestreFtp::folderBrowserWrongPassword()
{
    NegozioCostruito n;
    QVERIFY(n.avvia());
    ScriptedMessages m;
    frmFolderFTP d(n.percorso, m);
    d.txt[0]->setText(QStringLiteral("127.0.0.1"));
    d.txt[1]->setText(ServerFtp::utente());
    d.txt[2]->setText(QStringLiteral("sbagliata"));
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
    QVERIFY(w.carica());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 20000);
    QVERIFY(w.conclusione().riuscito);
    QCOMPARE(m.texts(), QStringList{QStringLiteral("Aggiornamento del negozio terminato. Vuoi vedere il sito?")});
    QVERIFY(w.txtLog->toPlainText().contains(QStringLiteral("PASS (hidden)")));
    QVERIFY(!w.txtLog->toPlainText().contains(ServerFtp::password()));
    QCOMPARE(w.txtLogFile->text(), n.percorso + QStringLiteral("/vtftp2.log"));
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
    QVERIFY(w.carica());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(w.lblFile->text() == QStringLiteral("Invio del file grande.jpg"), 10000);
    QTest::qWait(300);
    if (come == QLatin1String("Annulla"))
        foto(&w, QStringLiteral("frmFTP"));
    QVERIFY(w.inCorso());
    QElapsedTimer t;
    t.start();
    if (come == QLatin1String("Annulla")) {
        clic(w.cmdAnnulla);
    } else if (come == QLatin1String("chiusura")) {
        // What the close box sends: the close is refused while the upload
        // runs, and the window goes once it has stopped.
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
    } else {
        QTest::keyClick(&w, Qt::Key_Escape);
    }
    QVERIFY(!w.cmdAnnulla->isEnabled());
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
    QTimer guarda;
    guarda.setInterval(50);
    connect(&guarda, &QTimer::timeout, [&] {
        auto *b = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!b || !b->isVisible())
            return;
        testi << b->text();
        foto(b, QStringLiteral("frmFTP-chmod"));
        QTest::keyClick(b, Qt::Key_Return);
    });
    guarda.start();
    frmFTP w(n.contesto(), ModoFTP::Normale, box);
    QVERIFY(w.carica());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 20000);
    QCOMPARE(testi.size(), 1);
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
