// vetrasto-bench publish [SHOP]: uploads a site to an FTP server on
// loopback (pyftpdlib, the tests' server) in full, then again after two
// files changed. Without SHOP it makes a site of 5,500 files and 80 MB.
// When lftp is installed, its "mirror -R" and "mirror -R --only-newer" do
// the same against the same server, for comparison.
#include "catalogschema.h"
#include "pubblicatore.h"
#include "serverftp.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Answers yes to the creation of the remote folder, no to the rest, and
// prints what a merchant would read.
class MessaggiBench : public Messages {
public:
    Answer show(const QString &text, Icon, Buttons buttons, const QString &, std::optional<Answer>) override
    {
        if (text.contains(QLatin1String("crearla")))
            return Answer::Yes;
        if (buttons == Buttons::Ok && !text.contains(QLatin1String("aggiornati")))
            std::fprintf(stderr, "%s\n", qPrintable(text));
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
};

bool scrivi(const QString &percorso, const QByteArray &dati)
{
    QFile f(percorso);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(dati) == dati.size();
}

// 5,495 pages and pictures and 5 scripts, 80 MB in all.
void sitoSintetico(const QString &negozio)
{
    const QString pagine = negozio + QStringLiteral("/online"), script = negozio + QStringLiteral("/scripts");
    QByteArray lista;
    QByteArray pagina;
    while (pagina.size() < 6000)
        pagina += "<p>Articolo di prova con una descrizione di qualche riga.</p>\r\n";
    QByteArray immagine(39 * 1024, '\0');
    for (int i = 0; i < immagine.size(); ++i)
        immagine[i] = char((i * 7919) >> 3);
    for (int i = 0; i < 5495; ++i) {
        const bool foto = i % 4 == 0;
        const QString nome = pagine + (foto ? QStringLiteral("/foto%1.jpg") : QStringLiteral("/cat%1.htm")).arg(i, 5, 10, QLatin1Char('0'));
        scrivi(nome, foto ? immagine : pagina);
        lista += '#' + nome.toUtf8();
    }
    for (int i = 0; i < 5; ++i) {
        const QString nome = script + QStringLiteral("/script%1.pl").arg(i);
        scrivi(nome, "#!/usr/bin/perl\r\nprint \"ok\\n\";\r\n");
        lista += '#' + nome.toUtf8();
    }
    scrivi(negozio + QStringLiteral("/vtftp.dat"), lista + '#');
}

struct Sito {
    int file = 0;
    qint64 byte = 0;
};

Sito misura(const QString &negozio)
{
    Sito s;
    for (const char *c : {"/online", "/scripts"})
        for (const QFileInfo &f : QDir(negozio + QLatin1String(c)).entryInfoList(QDir::Files)) {
            ++s.file;
            s.byte += f.size();
        }
    return s;
}

double pubblica(const QString &negozio, const QString &cartella)
{
    MessaggiBench messaggi;
    ContestoPubblicazione c;
    c.PercorsoNegozio = negozio;
    c.CartellaPagine = negozio + QStringLiteral("/online");
    c.CartellaScript = negozio + QStringLiteral("/scripts");
    c.txtHost = QStringLiteral("127.0.0.1");
    c.txtUsername = ServerFtp::utente();
    c.txtPassword = ServerFtp::password();
    c.txtFolderFTP = cartella + QStringLiteral("/www");
    c.txtFolderCGI = cartella + QStringLiteral("/cgi-bin");
    Pubblicatore p(c, ModoFTP::Normale, messaggi);
    if (!p.carica())
        return -1;
    QElapsedTimer t;
    t.start();
    const bool ok = p.esegui().riuscito;
    return ok ? t.elapsed() / 1000.0 : -1;
}

double lftp(const ServerFtp &server, const QString &negozio, const QString &cartella, bool soloNuovi)
{
    const QString mirror = soloNuovi ? QStringLiteral("mirror -R --only-newer") : QStringLiteral("mirror -R");
    const QString comandi = QStringLiteral("set ftp:passive-mode on; %1 %2/online %3/www; %1 %2/scripts %3/cgi-bin; quit")
                                .arg(mirror, negozio, cartella);
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("lftp"), {QStringLiteral("-u"), ServerFtp::utente() + u',' + ServerFtp::password(),
                                     QStringLiteral("-p"), QString::number(server.porta()), QStringLiteral("-e"),
                                     comandi, QStringLiteral("127.0.0.1")});
    if (!p.waitForFinished(30 * 60 * 1000) || p.exitCode() != 0) {
        std::fprintf(stderr, "lftp: %s\n", p.readAllStandardError().constData());
        return -1;
    }
    return t.elapsed() / 1000.0;
}

// Two files change: one gets other content, one a later date.
void cambiaDue(const QString &negozio)
{
    const QString pagine = negozio + QStringLiteral("/online");
    const QStringList nomi = QDir(pagine).entryList(QDir::Files, QDir::Name);
    scrivi(pagine + u'/' + nomi.at(nomi.size() / 3), "<p>cambiato</p>\r\n");
    QFile f(pagine + u'/' + nomi.at(2 * nomi.size() / 3));
    if (f.open(QIODevice::ReadWrite))
        f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
}

// The better of two times; a failed run (negative) spoils the figure.
double migliore(double finora, double nuovo)
{
    return finora < 0 || nuovo < 0 ? -1 : qMin(finora, nuovo);
}

void stampa(const char *nome, double secondi)
{
    if (secondi < 0)
        std::printf("%s: failed\n", nome);
    else
        std::printf("%s: %.2f s\n", nome, secondi);
}

} // namespace

int benchPublish(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    QString negozio;
    if (argc > 2) {
        negozio = QString::fromLocal8Bit(argv[2]);
    } else {
        negozio = tmp.filePath(QStringLiteral("negozio"));
        CatalogSchema::createEmptyShop(negozio);
        sitoSintetico(negozio);
    }
    const Sito sito = misura(negozio);
    std::printf("site: %d files, %.1f MB\n", sito.file, sito.byte / 1e6);
    // Every full run starts from empty records and an empty server folder.
    QFile::remove(negozio + QStringLiteral("/vtftp.ini"));

    ServerFtp server(tmp.filePath(QStringLiteral("server")));
    if (!server.avviato()) {
        std::fprintf(stderr, "FTP server: %s\n", qPrintable(server.errore()));
        return 1;
    }
    QFile::remove(negozio + QStringLiteral("/firewall.net"));
    scrivi(negozio + QStringLiteral("/firewall.net"), "FPRT: " + QByteArray::number(server.porta()) + "\r\n");
    const bool conLftp = !QStandardPaths::findExecutable(QStringLiteral("lftp")).isEmpty();

    // The two clients take turns, twice, each time into a folder of its own
    // on the same server; the best time of each counts.
    double pieno = 1e9, pienoLftp = 1e9, poco = 1e9, pocoLftp = 1e9;
    for (int giro = 0; giro < 2; ++giro) {
        const QString nostra = QStringLiteral("vetrasto%1").arg(giro), loro = QStringLiteral("lftp%1").arg(giro);
        QDir(server.radice()).mkpath(loro);
        QFile::remove(negozio + QStringLiteral("/vtftp.mdb"));
        Database::create(negozio + QStringLiteral("/vtftp.mdb"), CatalogSchema::uploadRecords())->close();
        pieno = migliore(pieno, pubblica(negozio, nostra));
        if (conLftp)
            pienoLftp = migliore(pienoLftp, lftp(server, negozio, loro, false));
        cambiaDue(negozio);
        poco = migliore(poco, pubblica(negozio, nostra));
        if (conLftp)
            pocoLftp = migliore(pocoLftp, lftp(server, negozio, loro, true));
    }

    stampa("publish_full", pieno);
    if (conLftp)
        stampa("lftp_mirror_full", pienoLftp);
    stampa("publish_incremental", poco);
    if (conLftp)
        stampa("lftp_mirror_only_newer", pocoLftp);
    if (!conLftp)
        std::printf("lftp: not installed\n");
    return pieno >= 0 && poco >= 0 ? 0 : 1;
}
