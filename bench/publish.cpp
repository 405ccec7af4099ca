// vetrasto-bench publish [SHOP]: uploads a site to an FTP server on
// loopback (pyftpdlib, the tests' server) in full, then again after two
// files changed, and fails unless the full run sent every file and the
// second exactly the two changed. SHOP's built site is copied first; without
// SHOP it makes a site of 5,500 files and 80 MB. When lftp is installed
// (scripts/install-deps installs it for this comparison only), its
// "mirror -R" and "mirror -R --only-newer" do the same against the same
// server.
#include "cartelle.h"
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

// A copy of a shop's built site (pages, scripts and upload list, the list's
// paths moved to the copy), so that the shop's own settings and upload
// records are never touched.
bool copiaSito(const QString &negozio, const QString &copia)
{
    for (const char *c : {"/online", "/scripts"})
        if (!CopiaCartella(negozio + QLatin1String(c), copia + QLatin1String(c))) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(negozio + QLatin1String(c)));
            return false;
        }
    QFile elenco(negozio + QStringLiteral("/vtftp.dat"));
    if (!elenco.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s has no upload list: build it first\n", qPrintable(negozio));
        return false;
    }
    QByteArray testo = elenco.readAll();
    for (const char *c : {"/online/", "/scripts/"})
        testo.replace('#' + (negozio + QLatin1String(c)).toUtf8(), '#' + (copia + QLatin1String(c)).toUtf8());
    return scrivi(copia + QStringLiteral("/vtftp.dat"), testo);
}

// The files an update of the whole site must send: those of both folders
// that the upload list names (a normal update leaves the bank's password
// files alone).
QStringList daInviare(const QString &negozio)
{
    ListaCaricamento lista;
    lista.carica(negozio + QStringLiteral("/vtftp.dat"));
    QStringList nomi;
    for (const char *c : {"/online", "/scripts"})
        for (const QFileInfo &f : QDir(negozio + QLatin1String(c)).entryInfoList(QDir::Files | QDir::NoSymLinks))
            if (lista.contiene(f.filePath()) && !f.fileName().endsWith(QLatin1String(".ric"))
                && !f.fileName().endsWith(QLatin1String(".ris")))
                nomi << f.fileName();
    nomi.sort();
    return nomi;
}

qint64 byteDi(const QString &negozio)
{
    qint64 n = 0;
    for (const char *c : {"/online", "/scripts"})
        for (const QFileInfo &f : QDir(negozio + QLatin1String(c)).entryInfoList(QDir::Files | QDir::NoSymLinks))
            n += f.size();
    return n;
}

// The files the last update sent, from its two logs.
QStringList inviati(const QString &negozio)
{
    QStringList nomi;
    for (const char *log : {"/vtftp1.log", "/vtftp2.log"}) {
        QFile f(negozio + QLatin1String(log));
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray &riga : f.readAll().split('\n'))
                if (riga.startsWith("STOR "))
                    nomi << QString::fromUtf8(riga.mid(5));
    }
    nomi.sort();
    return nomi;
}

// One update; the time in seconds, or -1 when it failed or did not send
// exactly the files expected.
double pubblica(const QString &negozio, const QString &cartella, const QStringList &attesi)
{
    MessaggiBench messaggi;
    ContestoPubblicazione c = ServerFtp::contesto(negozio);
    c.txtFolderFTP = cartella + QStringLiteral("/www");
    c.txtFolderCGI = cartella + QStringLiteral("/cgi-bin");
    Pubblicatore p(c, ModoFTP::Normale, messaggi);
    if (!p.carica())
        return -1;
    QElapsedTimer t;
    t.start();
    const bool ok = p.esegui().riuscito;
    const double secondi = t.elapsed() / 1000.0;
    if (!ok)
        return -1;
    const QStringList sent = inviati(negozio);
    if (sent != attesi) {
        std::fprintf(stderr, "%s: sent %lld files, expected %lld%s\n", qPrintable(cartella), qlonglong(sent.size()),
                     qlonglong(attesi.size()), sent.size() == attesi.size() ? " (other files)" : "");
        return -1;
    }
    return secondi;
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

// Two pages change: one gets content of another length, one a date later
// than any it had. Round after round each differs from what was sent.
QStringList cambiaDue(const QString &negozio, int giro)
{
    const QString pagine = negozio + QStringLiteral("/online");
    const QStringList nomi = QDir(pagine).entryList(QDir::Files | QDir::NoSymLinks, QDir::Name);
    const QString contenuto = nomi.at(nomi.size() / 3), data = nomi.at(2 * nomi.size() / 3);
    scrivi(pagine + u'/' + contenuto, "<p>cambiato</p>\r\n" + QByteArray(giro + 1, '.'));
    QFile f(pagine + u'/' + data);
    const QDateTime prima = QFileInfo(f).lastModified();
    if (f.open(QIODevice::ReadWrite))
        f.setFileTime(qMax(prima, QDateTime::currentDateTime()).addSecs(10), QFileDevice::FileModificationTime);
    QStringList cambiati{contenuto, data};
    cambiati.sort();
    return cambiati;
}

// The better of two times; a failed run (negative) spoils the figure.
double migliore(double finora, double nuovo)
{
    return finora < 0 || nuovo < 0 ? -1 : qMin(finora, nuovo);
}

void stampa(const char *nome, double secondi)
{
    if (secondi < 0)
        std::printf("%-24s failed\n", nome);
    else
        std::printf("%-24s %.2f s\n", nome, secondi);
}

} // namespace

int benchPublish(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    // The bench works on a site of its own: a given shop's built site is
    // copied, its settings, firewall file and upload records left alone.
    const QString negozio = tmp.filePath(QStringLiteral("negozio"));
    CatalogSchema::createEmptyShop(negozio);
    if (argc > 2) {
        if (!copiaSito(QString::fromLocal8Bit(argv[2]), negozio))
            return 1;
    } else {
        sitoSintetico(negozio);
    }
    const QStringList tutti = daInviare(negozio);
    std::printf("site: %lld files, %.1f MB\n", qlonglong(tutti.size()), byteDi(negozio) / 1e6);

    ServerFtp server(tmp.filePath(QStringLiteral("server")));
    if (!server.avviato()) {
        std::fprintf(stderr, "FTP server: %s\n", qPrintable(server.errore()));
        return 1;
    }
    scrivi(negozio + QStringLiteral("/firewall.net"), "FPRT: " + QByteArray::number(server.porta()) + "\r\n");
    const bool conLftp = !QStandardPaths::findExecutable(QStringLiteral("lftp")).isEmpty();

    // The two clients take turns, twice, each time into a folder of its own
    // on the same server; the best time of each counts. Every full run
    // starts from empty records; each of ours must send every file, then
    // exactly the two changed.
    double pieno = 1e9, pienoLftp = 1e9, poco = 1e9, pocoLftp = 1e9;
    for (int giro = 0; giro < 2; ++giro) {
        const QString nostra = QStringLiteral("vetrasto%1").arg(giro), loro = QStringLiteral("lftp%1").arg(giro);
        QDir(server.radice()).mkpath(loro);
        QFile::remove(negozio + QStringLiteral("/vtftp.mdb"));
        Database::create(negozio + QStringLiteral("/vtftp.mdb"), CatalogSchema::uploadRecords())->close();
        pieno = migliore(pieno, pubblica(negozio, nostra, tutti));
        if (conLftp)
            pienoLftp = migliore(pienoLftp, lftp(server, negozio, loro, false));
        const QStringList cambiati = cambiaDue(negozio, giro);
        poco = migliore(poco, pubblica(negozio, nostra, cambiati));
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
