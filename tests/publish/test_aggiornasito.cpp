// "Aggiorna il sito" from the main window on the demo shop built with the
// real template set, through the warning, the transfer settings and the
// publisher's window, to a real FTP server on loopback.
#include "finestraprova.h"
#include "comandi.h"
#include "frmavviso.h"
#include "frmimpostaftp.h"
#include "frmmain.h"
#include "programfolder.h"
#include "serverftp.h"
#include "settings.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString bin() { return qEnvironmentVariable("VETRASTO_BIN"); }

// Answers the modal windows as they come up: "Sì" in the warning, "OK" in
// the transfer settings; the publisher's window runs by itself. Keeps the
// names of the windows seen.
class Risponditore : public QObject {
public:
    QStringList viste;
    Risponditore()
    {
        m_timer.setInterval(50);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { guarda(); });
        m_timer.start();
    }

private:
    void guarda()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || w == m_ultima)
            return;
        m_ultima = w;
        // A window whose button cannot be clicked is named so, and closed.
        const char *pulsante = qobject_cast<frmAvviso *>(w)      ? "cmdSi"
                               : qobject_cast<frmImpostaFTP *>(w) ? "cmdOK"
                                                                  : nullptr;
        const bool cliccato = !pulsante || clic(figlio<QPushButton>(w, QLatin1String(pulsante)));
        viste << w->objectName() + (cliccato ? QString() : QStringLiteral(" (not answered)"));
        if (!cliccato)
            w->close();
    }

    QTimer m_timer;
    QPointer<QWidget> m_ultima;
};

} // namespace

class TestAggiornaSito : public QObject {
    Q_OBJECT
private slots:
    void updateFromTheMainWindow();
};

// Every file of the built site's upload list reaches the server, the
// scripts as executable text, and a second update sends nothing.
void TestAggiornaSito::updateFromTheMainWindow()
{
    QTemporaryDir server;
    ServerFtp s(server.path());
    QVERIFY2(s.avviato(), qPrintable(s.errore()));
    const QVariantMap generale{{QStringLiteral("hostname"), QStringLiteral("127.0.0.1")},
                               {QStringLiteral("username"), ServerFtp::utente()},
                               {QStringLiteral("password"), ServerFtp::password()},
                               {QStringLiteral("folderFTP"), QStringLiteral("www/shop")},
                               {QStringLiteral("folderCGI"), QStringLiteral("cgi-bin")}};
    const auto f = apriImpostazioni(generale, bin() + QStringLiteral("/demo"));
    QVERIFY(f->w);
    ProgramFolder::setPath(bin());  // the build reads the real template set
    f->messages.answer(Messages::Answer::No);  // "Vuoi vedere il risultato?"
    f->w->comandi().azione(Cmd::Costruisci)->trigger();
    QCOMPARE(f->messages.texts(), QStringList{QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?")});
    const QString negozio = f->negozio().state.PercorsoNegozio;
    scrivi(negozio + QStringLiteral("/firewall.net"), "FPRT: " + QByteArray::number(s.porta()) + "\r\n");
    SettingsStore::set(QStringLiteral("Vetrasto"), QStringLiteral("AppIni"), QStringLiteral("NoShow"), QString());

    f->messages.clear();
    f->messages.answer(Messages::Answer::Yes);  // create www/shop
    f->messages.answer(Messages::Answer::Yes);  // create cgi-bin
    f->messages.answer(Messages::Answer::No);   // "Vuoi vedere il sito?"
    {
        Risponditore r;
        f->w->comandi().azione(Cmd::AggiornaSito)->trigger();
        QCOMPARE(r.viste, (QStringList{QStringLiteral("frmAvviso"), QStringLiteral("frmImpostaFTP"),
                                       QStringLiteral("frmFTP")}));
    }
    QCOMPARE(f->messages.texts().size(), 3);
    QCOMPARE(f->messages.texts().last(), QStringLiteral("Aggiornamento del negozio terminato. Vuoi vedere il sito?"));

    // Every file of the pages and the scripts folders that the build's
    // upload list names is on the server.
    const QStringList lista = QString::fromUtf8(leggi(negozio + QStringLiteral("/vtftp.dat"))).split(u'#', Qt::SkipEmptyParts);
    const std::pair<QString, QString> cartelle[] = {{f->negozio().state.CartellaPagine, QStringLiteral("/www/shop/")},
                                                    {f->negozio().state.CartellaScript, QStringLiteral("/cgi-bin/")}};
    int perl = 0, arrivati = 0;
    for (const auto &[locale, remota] : cartelle)
        for (const QFileInfo &info : QDir(locale).entryInfoList(QDir::Files)) {
            if (!lista.contains(info.filePath()))
                continue;
            ++arrivati;
            const QFileInfo arrivato(server.path() + remota + info.fileName());
            QVERIFY2(arrivato.exists(), qPrintable(info.filePath()));
            if (info.fileName().endsWith(QLatin1String(".pl"))) {
                ++perl;
                QVERIFY(arrivato.permissions() & QFileDevice::ExeOther);
                QVERIFY(!leggi(arrivato.filePath()).contains('\r'));
            } else {
                QCOMPARE(arrivato.size(), info.size());
            }
        }
    QVERIFY(arrivati > 20);
    QVERIFY(perl >= 2);

    // Again, the warning switched off: nothing is sent.
    SettingsStore::set(QStringLiteral("Vetrasto"), QStringLiteral("AppIni"), QStringLiteral("NoShow"), QStringLiteral("1"));
    f->messages.clear();
    {
        Risponditore r;
        f->w->comandi().azione(Cmd::AggiornaSito)->trigger();
        QCOMPARE(r.viste, (QStringList{QStringLiteral("frmImpostaFTP"), QStringLiteral("frmFTP")}));
    }
    QCOMPARE(f->messages.texts(), QStringList{QStringLiteral("Aggiornamento del negozio terminato. Vuoi vedere il sito?")});
    for (const char *log : {"/vtftp1.log", "/vtftp2.log"})
        QVERIFY(!leggi(negozio + QLatin1String(log)).contains("STOR "));
}

QTEST_MAIN(TestAggiornaSito)
#include "test_aggiornasito.moc"
