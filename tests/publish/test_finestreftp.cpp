// The publishing windows on the offscreen platform, driven with real key and
// mouse events; the publisher and the folder browser against a real FTP
// server. Each window's picture is saved under tests/publish/output/.
#include "testshop.h"
#include "catalogschema.h"
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
    ContestoPubblicazione contesto() const
    {
        ContestoPubblicazione c;
        c.PercorsoNegozio = percorso;
        c.CartellaPagine = percorso + QStringLiteral("/online");
        c.CartellaScript = percorso + QStringLiteral("/scripts");
        c.txtHost = QStringLiteral("127.0.0.1");
        c.txtUsername = ServerFtp::utente();
        c.txtPassword = ServerFtp::password();
        c.txtFolderFTP = QStringLiteral("www/shop");
        c.txtFolderCGI = QStringLiteral("cgi-bin");
        return c;
    }
};

} // namespace

class TestFinestreFtp : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void transferSettings();
    void transferSettingsBeforeAnyBuild();
    void firewallSettings();
    void updateWarning_data();
    void updateWarning();
    void folderBrowser();
    void folderBrowserWrongPassword();
    void publisherWindow();
    void publisherWindowCancel();
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
    {
        frmFirewall d(n.percorso, m);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        m.answer(Messages::Answer::Ok);
        clic(d.cmdReset);
    }
    QVERIFY(!QFile::exists(net));
    QCOMPARE(m.texts().size(), 2);
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

// Walk down with double clicks and up with the button; a click chooses the
// folder below the path; "." and ".." are never offered.
void TestFinestreFtp::folderBrowser()
{
    NegozioCostruito n;
    QDir(n.radice).mkpath(QStringLiteral("www/shop/public"));
    QVERIFY(n.avvia());
    ScriptedMessages m;
    frmFolderFTP d(n.percorso, m);
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

// "Annulla" while a file hangs on a server that stopped answering: the
// window stays responsive, the upload stops within a second and the window
// closes without a failure message.
void TestFinestreFtp::publisherWindowCancel()
{
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
    foto(&w, QStringLiteral("frmFTP"));
    QVERIFY(w.inCorso());
    QElapsedTimer t;
    t.start();
    clic(w.cmdAnnulla);
    QVERIFY(!w.cmdAnnulla->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
    QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!w.inCorso());
    QCOMPARE(m.texts(), QStringList());
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
