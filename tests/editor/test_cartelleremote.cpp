// The remote folder buttons of the "Internet" view against a real FTP
// server on loopback: the browser logs in with the account the window
// shows, and the folder chosen goes into the window's field, which derives
// the shop or scripts folder and the addresses and writes the record.
#include "finestraprova.h"

#include "frmfolderftp.h"
#include "serverftp.h"
#include "vistainternet.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

class TestCartelleRemote : public QObject {
    Q_OBJECT
private slots:
    void sceltaNelBrowser_data();
    void sceltaNelBrowser();
};

namespace {

// Walks the browser down the folders of `percorso` with double clicks,
// clicks the last one and presses OK; false when a step did not come.
bool scegliNelBrowser(const QStringList &percorso)
{
    auto *d = qobject_cast<frmFolderFTP *>(QApplication::activeModalWidget());
    if (!d)
        return false;
    const auto voce = [d](const QString &nome) -> QListWidgetItem * {
        const auto trovate = d->lstData->findItems(nome, Qt::MatchExactly);
        return trovate.isEmpty() ? nullptr : trovate.first();
    };
    const auto posto = [d, &voce](const QString &nome) {
        d->lstData->doItemsLayout();
        return d->lstData->visualItemRect(voce(nome)).center();
    };
    for (int i = 0; i < percorso.size(); ++i) {
        if (!QTest::qWaitFor([&] { return voce(percorso[i]) != nullptr; }, 10000))
            return false;
        QTest::mouseClick(d->lstData->viewport(), Qt::LeftButton, {}, posto(percorso[i]));
        if (i + 1 < percorso.size()) {
            QTest::mouseDClick(d->lstData->viewport(), Qt::LeftButton, {}, posto(percorso[i]));
            const QString dentro = percorso.mid(0, i + 1).join(u'/');
            if (!QTest::qWaitFor([&] { return d->txtPath->text() == dentro; }, 10000))
                return false;
        }
    }
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    return true;
}

} // namespace

void TestCartelleRemote::sceltaNelBrowser_data()
{
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QStringList>("percorso");
    QTest::addColumn<QString>("cartella");   // the field derived from the remote folder
    QTest::addColumn<QString>("ricerca");    // the search script's address
    QTest::newRow("cartella del negozio") << 0 << QStringList{"www", "negozio"} << "negozio"
                                          << "http://abc/scritta/vtsearch1B00.pl";
    QTest::newRow("cartella degli script") << 1 << QStringList{"cgi-bin"} << "cgi-bin"
                                           << "http://abc/cgi-bin/vtsearch24E.pl";
}

void TestCartelleRemote::sceltaNelBrowser()
{
    QFETCH(int, tipo);
    QFETCH(QStringList, percorso);
    QFETCH(QString, cartella);
    QFETCH(QString, ricerca);
    QTemporaryDir radice;
    QDir().mkpath(radice.path() + QStringLiteral("/www/negozio"));
    QDir().mkpath(radice.path() + QStringLiteral("/cgi-bin"));
    ServerFtp server(radice.path());
    QVERIFY2(server.avviato(), qPrintable(server.errore()));
    const auto f = apriImpostazioni({{"URL", "abc"}, {"cartella", ""}, {"cartellaCGI", "scritta"}, {"folderFTP", ""},
                                     {"folderCGI", ""}, {"hostname", "127.0.0.1"}, {"username", ServerFtp::utente()},
                                     {"password", "vecchia"}});
    QVERIFY(f->w);
    scrivi(f->shop + QStringLiteral("/firewall.net"), "FPRT: " + QByteArray::number(server.porta()) + "\r\n");
    f->w->selezionaScheda(QStringLiteral("kInternet"));
    VistaInternet *v = f->w->vistaInternet();
    // The password typed in the window is the one the browser logs in with.
    v->txtPassword->setFocus();
    v->txtPassword->selectAll();
    QTest::keyClicks(v->txtPassword, ServerFtp::password());
    bool scelto = false;
    QTimer::singleShot(0, [&] { scelto = scegliNelBrowser(percorso); });
    QTest::mouseClick(v->cmdCart[size_t(tipo)], Qt::LeftButton);
    QVERIFY(scelto);
    QCOMPARE(f->messages.texts(), QStringList());
    QLineEdit *remota = tipo == 0 ? v->txtFolderFTP : v->txtFolderCGI;
    QLineEdit *derivata = tipo == 0 ? v->txtCartella : v->txtCGI;
    QCOMPARE(remota->text(), percorso.join(u'/'));
    QCOMPARE(derivata->text(), cartella);
    QCOMPARE(v->txtCGIsearch->text(), ricerca);
    // The derived addresses' change wrote the record, the choice with it.
    QCOMPARE(f->generale(tipo == 0 ? QStringLiteral("folderFTP") : QStringLiteral("folderCGI")).toString(),
             percorso.join(u'/'));
    QCOMPARE(f->generale(tipo == 0 ? QStringLiteral("cartella") : QStringLiteral("cartellaCGI")).toString(), cartella);
    QCOMPARE(f->generale(QStringLiteral("CGIsearch")).toString(), ricerca);
}

QTEST_MAIN(TestCartelleRemote)
#include "test_cartelleremote.moc"
