// vetrasto-bench publish [SHOP] [--articles N] [--delay MS] [--direct]:
// builds a site and uploads it to an FTP server on loopback (pyftpdlib,
// the tests' server) that answers each command MS milliseconds late
// (default 20, a slow line): in full, after one article's price changed
// and the site was built again, and with nothing changed. The site is a
// built copy of SHOP, or of the program's demo shop, or with --articles a
// synthetic shop of N articles. Each update must send exactly the files
// that changed, or the figure fails. The same three updates go direct and
// through each firewall type (the tests' Socks proxy, dante, and FTP
// gateway), unless --direct. lftp's "mirror -R" (installed by
// scripts/install-deps for this comparison only) does the same side by
// side into folders of its own, where it can reach the server the same
// way: direct, Proxy USER, Proxy OPEN and Simple Pipe.
#include "cartelle.h"
#include "catalogschema.h"
#include "database.h"
#include "elabora.h"
#include "impostazioni.h"
#include "negozio.h"
#include "programfolder.h"
#include "pubblicatore.h"
#include "scriptedmessages.h"
#include "serverftp.h"
#include "sintetico.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Answers yes to the creation of the remote folder, no to the rest, and
// prints what a merchant would read.
class MessaggiBench : public Messages {
public:
    Answer show(const QString &text, Icon, Buttons buttons, const QString &, std::optional<Answer>) override
    {
        if (text.contains(QLatin1String("crearla")))
            return Answer::Yes;
        if (buttons == Buttons::Ok)
            std::fprintf(stderr, "%s\n", qPrintable(text));
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
};

bool scrivi(const QString &percorso, const QByteArray &dati)
{
    QFile f(percorso);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(dati) == dati.size();
}

// A complete build of the shop, its settings record standing in for the
// main window's fields.
bool costruisci(const QString &negozio)
{
    ScriptedMessages messaggi;
    messaggi.answer(Messages::Answer::No);
    Negozio n(messaggi);
    n.state.PercorsoNegozio = negozio;
    if (n.CaricaNegozio() != Negozio::Aperto) {
        std::fprintf(stderr, "the shop cannot be opened: %s\n", qPrintable(messaggi.texts().join(u' ')));
        return false;
    }
    const Impostazioni imp = CaricaImpostazioni(n.dati().dataGenerale.recordset(), n.state);
    Elaborazione e(n.state, imp, messaggi, nullptr);
    if (e.MakePages() != Elaborazione::Esito::Completata) {
        std::fprintf(stderr, "build failed: %s\n", qPrintable(messaggi.texts().join(u' ')));
        return false;
    }
    return true;
}

// The first article costs one unit more.
bool cambiaUnArticolo(const QString &negozio)
{
    try {
        auto db = Database::open(negozio + QStringLiteral("/catalog.mdb"));
        db->execute(QStringLiteral("UPDATE articoli SET prezzo = prezzo + 10000 WHERE ID = (SELECT MIN(ID) FROM articoli)"));
        return true;
    } catch (const DbError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description));
        return false;
    }
}

// The files of the site that an update considers, with their length and
// date: those of both folders that the upload list names.
QMap<QString, QPair<qint64, qint64>> sito(const QString &negozio)
{
    ListaCaricamento lista;
    lista.carica(negozio + QStringLiteral("/vtftp.dat"));
    QMap<QString, QPair<qint64, qint64>> file;
    for (const char *c : {"/online", "/scripts"})
        for (const QFileInfo &f : QDir(negozio + QLatin1String(c)).entryInfoList(QDir::Files | QDir::NoSymLinks))
            if (lista.contiene(f.filePath()))
                file.insert(f.fileName(), {f.size(), f.lastModified().toSecsSinceEpoch()});
    return file;
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

// One way to the server: direct, or through a firewall of one type.
struct Via {
    QString nome;
    int tipo = 0;
    QString host = QStringLiteral("127.0.0.1");  // the server's name as the shop gives it
    int portaFirewall = 0;
    QString utente, password;  // the firewall's own login
    bool conLftp = false;  // lftp can reach the server the same way
    QString lftp;          // with these settings of its own
    std::unique_ptr<GatewayFtp> gateway;
    std::unique_ptr<ProxySocks> socks;
};

// The ways to the server, each with its firewall running.
std::vector<std::unique_ptr<Via>> vie(const ServerFtp &server, const QString &cartella, bool soloDiretta)
{
    std::vector<std::unique_ptr<Via>> v;
    auto via = [&](const char *nome, TipoFirewall tipo) {
        v.push_back(std::make_unique<Via>());
        v.back()->nome = QString::fromLatin1(nome);
        v.back()->tipo = int(tipo);
        QDir(server.radice()).mkpath(QStringLiteral("lftp-") + v.back()->nome);
        return v.back().get();
    };
    via("direct", TipoFirewall::Nessuno)->conLftp = true;
    if (soloDiretta)
        return v;
    const QString porta = QString::number(server.porta());
    // The gateway knows the server by the name the shop gives and by the
    // address lftp gives (lftp resolves the name itself).
    const QStringList nomi{QStringLiteral("ftp.negozio.invalid:%1=127.0.0.1:%1").arg(porta),
                           QStringLiteral("127.0.0.1:%1=127.0.0.1:%1").arg(porta)};
    for (TipoFirewall tipo : {TipoFirewall::Socks4, TipoFirewall::Socks5}) {
        if (!ProxySocks::installato())
            break;
        Via *s = via(tipo == TipoFirewall::Socks4 ? "socks4" : "socks5", tipo);
        const QString suo = cartella + u'/' + s->nome;
        QDir().mkpath(suo);
        s->socks = std::make_unique<ProxySocks>(suo);
        s->portaFirewall = s->socks->porta();
    }
    const struct {
        const char *nome, *comando;
        TipoFirewall tipo;
    } gateway[] = {{"proxy_user", "USER", TipoFirewall::ProxyUser},  {"proxy_site", "SITE", TipoFirewall::ProxySite},
                   {"proxy_proxy", "PROXY", TipoFirewall::ProxyProxy}, {"proxy_open", "OPEN", TipoFirewall::ProxyOpen},
                   {"simple_pipe", "PIPE", TipoFirewall::SimplePipe}};
    for (const auto &g : gateway) {
        Via *w = via(g.nome, g.tipo);
        w->host = QStringLiteral("ftp.negozio.invalid");
        const bool accesso = g.tipo != TipoFirewall::ProxyUser && g.tipo != TipoFirewall::SimplePipe;
        if (accesso) {
            w->utente = QStringLiteral("guardia");
            w->password = QStringLiteral("chiave");
        }
        w->gateway = std::make_unique<GatewayFtp>(
            GatewayFtp::Opzioni{QString::fromLatin1(g.comando), w->utente, w->password, nomi, {}});
        w->portaFirewall = w->gateway->porta();
        const QString proxy = QStringLiteral("set ftp:proxy ftp://") + (accesso ? w->utente + u':' + w->password + u'@' : QString())
            + QStringLiteral("127.0.0.1:") + QString::number(w->portaFirewall) + QStringLiteral("; ");
        w->conLftp = g.tipo == TipoFirewall::ProxyUser || g.tipo == TipoFirewall::ProxyOpen
            || g.tipo == TipoFirewall::SimplePipe;
        if (g.tipo == TipoFirewall::ProxyUser)
            w->lftp = proxy + QStringLiteral("set ftp:proxy-auth-type user; ");
        else if (g.tipo == TipoFirewall::ProxyOpen)
            w->lftp = proxy + QStringLiteral("set ftp:proxy-auth-type open; ");
    }
    return v;
}

// One update by the publisher; the time in seconds, or -1 when it failed
// or did not send exactly the files expected.
double pubblica(const QString &negozio, const ServerFtp &server, const Via &via, const QStringList &attesi)
{
    scrivi(negozio + QStringLiteral("/firewall.net"),
           QStringLiteral("MODE: 1\r\nHOST: 127.0.0.1\r\nTYPE: %1\r\nPORT: %2\r\nFPRT: %3\r\nUSER: %4\r\nPASS: %5\r\n")
               .arg(via.tipo)
               .arg(via.portaFirewall)
               .arg(server.porta())
               .arg(via.utente, via.password)
               .toUtf8());
    MessaggiBench messaggi;
    ContestoPubblicazione c = ServerFtp::contesto(negozio);
    c.txtHost = via.host;
    c.txtFolderFTP = via.nome + QStringLiteral("/www");
    c.txtFolderCGI = via.nome + QStringLiteral("/cgi-bin");
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
        std::fprintf(stderr, "%s: sent %lld files, expected %lld%s\n", qPrintable(via.nome), qlonglong(sent.size()),
                     qlonglong(attesi.size()), sent.size() == attesi.size() ? " (other files)" : "");
        return -1;
    }
    return secondi;
}

// The same update by lftp, into folders of its own.
double lftp(const ServerFtp &server, const QString &negozio, const Via &via)
{
    const QString cartella = QStringLiteral("lftp-") + via.nome;
    const QString comandi = QStringLiteral("set ftp:passive-mode on; set ftp:ssl-allow no; set net:max-retries 1; %1"
                                           "mirror -R %2/online %3/www; mirror -R %2/scripts %3/cgi-bin; quit")
                                .arg(via.lftp, negozio, cartella);
    const int porta = via.tipo == int(TipoFirewall::SimplePipe) ? via.portaFirewall : server.porta();
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("lftp"), {QStringLiteral("-u"), ServerFtp::utente() + u',' + ServerFtp::password(),
                                     QStringLiteral("-p"), QString::number(porta), QStringLiteral("-e"), comandi,
                                     QStringLiteral("127.0.0.1")});
    if (!p.waitForFinished(30 * 60 * 1000) || p.exitCode() != 0) {
        std::fprintf(stderr, "lftp %s: %s\n", qPrintable(via.nome), p.readAllStandardError().constData());
        return -1;
    }
    return t.elapsed() / 1000.0;
}

void stampa(const QString &nome, double secondi)
{
    if (secondi < 0)
        std::printf("%s: failed\n", qPrintable(nome));
    else
        std::printf("%s: %.2f s\n", qPrintable(nome), secondi);
}

// The shop to publish, in its own folder: a copy of SHOP, of the demo shop,
// or a synthetic shop (with the bench's small template set as the program
// folder's default set).
bool preparaNegozio(const QString &negozio, const QString &origine, int articoli, const QString &programma)
{
    if (articoli > 0) {
        FormaSintetica forma;
        forma.reparti = qMax(1, articoli / 10);
        forma.articoli = articoli;
        programmaSintetico(programma, negozio, forma);
        return true;
    }
    const QString da = origine.isEmpty() ? ProgramFolder::path() + QStringLiteral("/demo") : origine;
    if (!CopiaCartella(da, negozio)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(da));
        return false;
    }
    // The copy's upload records start empty.
    QFile::remove(negozio + QStringLiteral("/vtftp.mdb"));
    Database::create(negozio + QStringLiteral("/vtftp.mdb"), CatalogSchema::uploadRecords())->close();
    return true;
}

} // namespace

int benchPublish(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString origine;
    int articoli = 0, ritardo = 20;
    bool soloDiretta = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--articles") == 0 && i + 1 < argc)
            articoli = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--delay") == 0 && i + 1 < argc)
            ritardo = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--direct") == 0)
            soloDiretta = true;
        else
            origine = QString::fromLocal8Bit(argv[i]);
    }
    QTemporaryDir tmp;
    const QString negozio = tmp.filePath(QStringLiteral("negozio"));
    if (!preparaNegozio(negozio, origine, articoli, tmp.filePath(QStringLiteral("programma"))) || !costruisci(negozio))
        return 1;
    const auto prima = sito(negozio);
    qint64 byte = 0;
    for (const auto &f : prima)
        byte += f.first;
    std::printf("site: %lld files, %.1f MB\n", qlonglong(prima.size()), byte / 1e6);
    std::printf("delay: %d ms per command\n", ritardo);

    ServerFtp::Guasti lento;
    lento.ritardoMs = ritardo;
    ServerFtp server(tmp.filePath(QStringLiteral("server")), lento);
    if (!server.avviato()) {
        std::fprintf(stderr, "FTP server: %s\n", qPrintable(server.errore()));
        return 1;
    }
    QDir().mkpath(tmp.filePath(QStringLiteral("proxy")));
    const auto strade = vie(server, tmp.filePath(QStringLiteral("proxy")), soloDiretta);
    const bool lftpInstallato = !QStandardPaths::findExecutable(QStringLiteral("lftp")).isEmpty();
    if (!lftpInstallato)
        std::printf("lftp: not installed\n");

    // Three rounds, every way in each: the whole site, the site built again
    // after one article changed, and the same site once more.
    bool tuttoBene = true;
    QStringList attesi = prima.keys();
    for (const char *giro : {"full", "one_article", "nothing"}) {
        if (std::strcmp(giro, "one_article") == 0) {
            if (!cambiaUnArticolo(negozio) || !costruisci(negozio))
                return 1;
            const auto dopo = sito(negozio);
            attesi.clear();
            for (auto f = dopo.cbegin(); f != dopo.cend(); ++f)
                if (prima.value(f.key()) != f.value())
                    attesi << f.key();
            std::printf("one article changed: %lld files to send\n", qlonglong(attesi.size()));
        } else if (std::strcmp(giro, "nothing") == 0) {
            attesi.clear();
        }
        for (const auto &via : strade) {
            const double noi = pubblica(negozio, server, *via, attesi);
            tuttoBene = tuttoBene && noi >= 0;
            stampa(via->nome + u'_' + QLatin1String(giro), noi);
            if (lftpInstallato && via->conLftp)
                stampa(via->nome + u'_' + QLatin1String(giro) + QStringLiteral("_lftp"), lftp(server, negozio, *via));
        }
    }
    return tuttoBene ? 0 : 1;
}
