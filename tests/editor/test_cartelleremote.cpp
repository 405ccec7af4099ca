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
bool scegliNelBrowser(frmFolderFTP *d, const QStringList &percorso)
{
    VERIFICA(d);
    auto *lista = figlio<QListWidget>(d, QStringLiteral("lstData"));
    auto *txtPath = figlio<QLineEdit>(d, QStringLiteral("txtPath"));
    VERIFICA(lista && txtPath);
    const auto voce = [lista](const QString &nome) -> QListWidgetItem * {
        const auto trovate = lista->findItems(nome, Qt::MatchExactly);
        return trovate.isEmpty() ? nullptr : trovate.first();
    };
    const auto posto = [lista, &voce](const QString &nome) {
        lista->doItemsLayout();
        return lista->visualItemRect(voce(nome)).center();
    };
    for (int i = 0; i < percorso.size(); ++i) {
        VERIFICA2(QTest::qWaitFor([&] { return voce(percorso[i]) != nullptr; }, 10000), qPrintable(percorso[i]));
        QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, posto(percorso[i]));
        if (i + 1 < percorso.size()) {
            QTest::mouseDClick(lista->viewport(), Qt::LeftButton, {}, posto(percorso[i]));
            const QString dentro = percorso.mid(0, i + 1).join(u'/');
            VERIFICA2(QTest::qWaitFor([&] { return txtPath->text() == dentro; }, 10000), qPrintable(dentro));
        }
    }
    VERIFICA(clic(figlio<QPushButton>(d, QStringLiteral("cmdOK"))));
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
    FIGLIO(QLineEdit, txtPassword, v);
    FIGLIO(QLineEdit, txtCGIsearch, v);
    auto *remota = figlio<QLineEdit>(v, tipo == 0 ? QStringLiteral("txtFolderFTP") : QStringLiteral("txtFolderCGI"));
    auto *derivata = figlio<QLineEdit>(v, tipo == 0 ? QStringLiteral("txtCartella") : QStringLiteral("txtCGI"));
    QVERIFY(remota && derivata);
    // The password typed in the window is the one the browser logs in with.
    QVERIFY(riscrivi(txtPassword, ServerFtp::password()));
    bool scelto = false;
    QObject guardia;
    alProssimoModale(guardia, [&](QWidget *d) {
        return scelto = scegliNelBrowser(qobject_cast<frmFolderFTP *>(d), percorso);
    });
    QVERIFY(clic(figlio<QToolButton>(v, QStringLiteral("cmdCart%1").arg(tipo))));
    QVERIFY(scelto);
    QCOMPARE(f->messages.texts(), QStringList());
    QCOMPARE(remota->text(), percorso.join(u'/'));
    QCOMPARE(derivata->text(), cartella);
    QCOMPARE(txtCGIsearch->text(), ricerca);
    // The derived addresses' change wrote the record, the choice with it.
    QCOMPARE(f->generale(tipo == 0 ? QStringLiteral("folderFTP") : QStringLiteral("folderCGI")).toString(),
             percorso.join(u'/'));
    QCOMPARE(f->generale(tipo == 0 ? QStringLiteral("cartella") : QStringLiteral("cartellaCGI")).toString(), cartella);
    QCOMPARE(f->generale(QStringLiteral("CGIsearch")).toString(), ricerca);
}

QTEST_MAIN(TestCartelleRemote)
#include "test_cartelleremote.moc"
