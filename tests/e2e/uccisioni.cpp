// The walk with the program killed (SIGKILL) at a random point of each of its
// three long steps: an edit of the catalogue, the build, the upload. The
// parent keeps the FTP server (slowed, so that an upload lasts) and runs the
// program in child processes of this executable, each started as main()
// starts it in the same home folder and driven by the scripted user: first
// the walk up to the first upload, then per step one run to its end (which
// times it) and runs killed at random delays spread over that time. After
// each kill the parent checks what the program left (the catalogue and the
// upload records pass SQLite's integrity check; the upload list is the one
// from before, or none, or a finished build's; every file recorded as sent
// is on the server with the same bytes), restarts the program, which builds
// (after an edit or a build) and uploads, and checks that the server
// received exactly the files not recorded as sent and now holds the shop's
// folders byte for byte.
#include "database.h"
#include "percorso.h"
#include "serverftp.h"
#include "temporanei.h"
#include "utente.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QThread>
#include <cstdio>
#include <map>
#include <random>

namespace {

// The merchant's own large file in the shop's work folder (a price list),
// copied into the site by the build: its upload lasts about two seconds at
// the server's rate, the kills of the upload mostly fall inside it.
constexpr int PesoListino = 2000000;
constexpr int ByteAlSecondo = 512 * 1024;

QString listino()
{
    return g_negozio + QStringLiteral("/work/listino.pdf");
}

void scriviListino(quint32 seme)
{
    std::mt19937 g(seme);
    QByteArray dati(PesoListino, Qt::Uninitialized);
    for (char &c : dati)
        c = char(g());
    QFile f(listino());
    if (f.open(QIODevice::WriteOnly))
        f.write(dati);
}

// ---- The child: one step through the window.

// Edits of every kind, with values that differ from run to run: typed
// fields, an article copied and pasted, an article added (its followers
// renumbered), the variant-set editor's transaction, the shipping dialog's.
void modifica(Utente &u, int k)
{
    const QString n = QString::number(k);
    prezzo(u, QStringLiteral("Caffè"), QStringLiteral("Arabica Santos 250 g"), QStringLiteral("7,") + n + u'5');
    u.menu({QStringLiteral("Modifica"), QStringLiteral("Copia")});
    u.menu({QStringLiteral("Modifica"), QStringLiteral("Incolla")});
    u.nodo(QStringLiteral("Tè e tisane"));
    u.menu({QStringLiteral("Modifica"), QStringLiteral("Aggiungi"), QStringLiteral("Dopo")});
    u.scrivi(QStringLiteral("Codice"), QStringLiteral("TIS-") + n);
    u.scrivi(QStringLiteral("Titolo"), QStringLiteral("Tisana ") + n);
    u.scrivi(QStringLiteral("Prezzo"), QStringLiteral("3,") + n + u'0');
    u.nodo(QStringLiteral("Miscele"));
    u.cella(QStringLiteral("gridArticoli"), QStringLiteral("Miscela Bar"));
    u.menu({QStringLiteral("Modifica"), QStringLiteral("Definisci varianti"), QStringLiteral("1")});
    u.aspettaFinestra(QStringLiteral("frmOpzioni"));
    u.scegliVoce(QStringLiteral("DBGrid1"), QStringLiteral("Macinatura"));
    u.scrivi(QStringLiteral("txtOpzionePrezzo1"), QStringLiteral("0,") + n + u'5');
    u.clic(QStringLiteral("OK"));
    u.aspettaFinestra(QStringLiteral("frmMain"));
    u.scheda(QStringLiteral("tabGestione"), QStringLiteral("Sito"));
    u.menu({QStringLiteral("Modifica"), QStringLiteral("Spese di spedizione")});
    u.aspettaFinestra(QStringLiteral("frmSpedizione"));
    u.scrivi(QStringLiteral("m1sp1"), QStringLiteral("8,") + n);
    u.clic(QStringLiteral("OK"));
    u.aspettaFinestra(QStringLiteral("frmMain"));
}

void stampa(const char *riga)
{
    std::printf("%s\n", riga);
    std::fflush(stdout);
}

void segna(Utente &u, const char *riga)
{
    u.fai(QString::fromLatin1(riga), [riga] { stampa(riga); });
}

} // namespace

// Options: --casa, --ftp (the server's port), --variante k, --resta 1 (stay
// after the step, to be killed), --costruisci 1 (the restart builds first).
// Prints INIZIO as the long step begins and FINE as it ends.
int eseguiPasso()
{
    const Opzioni &o = g_opzioni;
    g_portaFtp = o.altre.value(QStringLiteral("ftp")).toInt();
    g_portaWeb = 8080;  // typed as the site's address; no web server runs here
    const int k = o.altre.value(QStringLiteral("variante")).toInt();
    const bool resta = o.altre.value(QStringLiteral("resta")) == QLatin1String("1");
    Programma programma;
    Utente u(o.uscita);
    u.diario = true;
    u.aspettaFinestra(QStringLiteral("frmMain"));
    const Segnali segnali{[] { stampa("INIZIO"); }, [] { stampa("FINE"); }};
    if (o.passo == QLatin1String("negozio")) {
        allestisci(u);
        pubblica(u, true, {}, segnali);
    } else {
        // The shop the merchant made opens again.
        u.passo(QStringLiteral("il negozio è aperto"), [] {
            QWidget *f = Utente::finestraPrincipale();
            return f && f->windowTitle().contains(g_negozio);
        });
        const QString n = QString::number(k);
        if (o.passo == QLatin1String("modifica")) {
            segna(u, "INIZIO");
            modifica(u, k);
            segna(u, "FINE");
        } else if (o.passo == QLatin1String("costruzione")) {
            prezzo(u, QStringLiteral("Caffè"), QStringLiteral("Robusta India 250 g"), QStringLiteral("5,") + n + u'5');
            costruisci(u, segnali);
        } else if (o.passo == QLatin1String("invio")) {
            // Some pages changed and built; odd runs send every file.
            prezzo(u, QStringLiteral("Tè e tisane"), QStringLiteral("Tè nero Assam"), QStringLiteral("5,") + n + u'5');
            costruisci(u);
            pubblica(u, false, k % 2 == 0, segnali);
        } else if (o.passo == QLatin1String("ripresa")) {
            segna(u, "INIZIO");
            if (o.altre.value(QStringLiteral("costruisci")) == QLatin1String("1"))
                costruisci(u);
            pubblica(u, false, true);
            segna(u, "FINE");
        } else {
            std::fprintf(stderr, "passo sconosciuto: %s\n", qPrintable(o.passo));
            return 2;
        }
    }
    if (!resta)
        esci(u);
    u.avvia([resta] {
        if (!resta)
            QApplication::exit(0);
    });
    return QApplication::exec();
}

namespace {

// ---- The parent.

// A run of the program. Its step is timed from INIZIO to FINE, or, when the
// parent sees the step's work from outside (a build removes the old upload
// list and puts the new one in place), from the first sign after INIZIO to
// the last.
struct Figlio {
    QProcess p;
    QByteArray uscita;       // everything it printed
    QString ultimoPasso;     // the last step it began
    std::function<bool()> origine, termine;
    bool iniziato = false;   // INIZIO printed
    QElapsedTimer daInizio;  // since the step's origin
    qint64 durata = -1;      // origin to end, ms

    // Follows the run until `basta` or its end, for at most limiteMs.
    void segui(const std::function<bool()> &basta, qint64 limiteMs = 180000)
    {
        QElapsedTimer t;
        t.start();
        while (p.state() != QProcess::NotRunning && !basta() && t.elapsed() < limiteMs) {
            const bool cercaOrigine = iniziato && !daInizio.isValid();
            leggi(cercaOrigine ? 0 : 1);
            if (iniziato && !daInizio.isValid()) {
                if (!origine || origine())
                    daInizio.start();
                else
                    QThread::usleep(200);
            } else if (daInizio.isValid() && durata < 0 && termine && termine()) {
                durata = daInizio.elapsed();
            }
        }
        leggi(0);
    }
    QString racconto()
    {
        return QString::fromUtf8(uscita + p.readAllStandardError());
    }

private:
    void leggi(int attesaMs)
    {
        if (p.state() != QProcess::NotRunning)
            p.waitForReadyRead(attesaMs);
        uscita += p.readAllStandardOutput();
        int i;
        while ((i = uscita.indexOf('\n', m_letto)) >= 0) {
            const QString riga = QString::fromUtf8(uscita.mid(m_letto, i - m_letto));
            m_letto = i + 1;
            if (riga.startsWith(QLatin1String("passo: ")))
                ultimoPasso = riga.mid(7);
            else if (riga == QLatin1String("INIZIO"))
                iniziato = true;
            else if (riga == QLatin1String("FINE") && daInizio.isValid() && durata < 0 && !termine)
                durata = daInizio.elapsed();
        }
    }

    qsizetype m_letto = 0;
};

struct Prova {
    std::mt19937 caso;
    int numero = 0;  // the children started
    std::unique_ptr<ServerFtp> server;
    int fdServerLibero = 0;
    QStringList errori;

    std::unique_ptr<Figlio> avvia(const QString &passo, int variante, const QStringList &altro)
    {
        auto f = std::make_unique<Figlio>();
        if (passo == QLatin1String("costruzione")) {
            f->origine = [] { return !QFileInfo::exists(g_negozio + QStringLiteral("/vtftp.dat")); };
            f->termine = [] { return QFileInfo::exists(g_negozio + QStringLiteral("/vtftp.dat")); };
        }
        const QString foto = QStringLiteral("%1/%2-%3-%4")
                                 .arg(g_opzioni.uscita)
                                 .arg(++numero, 2, 10, QLatin1Char('0'))
                                 .arg(passo)
                                 .arg(variante);
        f->p.start(QCoreApplication::applicationFilePath(),
                   QStringList{QStringLiteral("--passo"), passo, QStringLiteral("--casa"), QDir::homePath(),
                               QStringLiteral("--ftp"), QString::number(server->porta()), QStringLiteral("--variante"),
                               QString::number(variante), QStringLiteral("--uscita"), foto}
                       + altro);
        return f;
    }

    // A run to its end; false, with what it printed, when it failed.
    bool corri(const QString &passo, int variante, qint64 *durata = nullptr, const QStringList &altro = {})
    {
        auto f = avvia(passo, variante, altro);
        f->segui([] { return false; });
        if (f->p.state() != QProcess::NotRunning) {
            f->p.kill();
            f->p.waitForFinished();
        }
        if (f->p.exitStatus() != QProcess::NormalExit || f->p.exitCode() != 0 || f->durata < 0) {
            errori << QStringLiteral("%1 %2 non è finito: %3").arg(passo).arg(variante).arg(f->racconto());
            return false;
        }
        if (durata)
            *durata = f->durata;
        return true;
    }

    // A run killed `ritardo` ms after its step's origin; false when it
    // ended or failed before.
    bool uccidi(const QString &passo, int variante, qint64 ritardo, QString *dove)
    {
        auto f = avvia(passo, variante, {QStringLiteral("--resta"), QStringLiteral("1")});
        Figlio &r = *f;
        r.segui([&r, ritardo] { return r.daInizio.isValid() && r.daInizio.elapsed() >= ritardo; });
        if (r.p.state() == QProcess::NotRunning || !r.daInizio.isValid()) {
            errori << QStringLiteral("%1 %2 è finito prima dell'uccisione: %3").arg(passo).arg(variante).arg(r.racconto());
            return false;
        }
        const qint64 quando = r.daInizio.elapsed();
        r.p.kill();
        r.p.waitForFinished();
        r.segui([] { return true; });
        *dove = QStringLiteral("dopo %1 ms, %2")
                    .arg(quando)
                    .arg(r.durata >= 0 ? QStringLiteral("a passo finito")
                                       : QStringLiteral("al passo «") + r.ultimoPasso + QStringLiteral("»"));
        return true;
    }

    // The server has closed every connection of the killed program and
    // written what it received.
    qint64 aspettaServer()
    {
        QElapsedTimer t;
        t.start();
        while (fdServer() > fdServerLibero && t.elapsed() < 30000)
            QThread::msleep(20);
        return t.elapsed();
    }
    int fdServer() const
    {
        return int(QDir(QStringLiteral("/proc/%1/fd").arg(server->pid()))
                       .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
                       .size());
    }
};

// SQLite's verdict on a database file ("ok"), through the program's own
// database layer (the catalogue's text columns use its collation).
QString integrita(const QString &file)
{
    try {
        return Database::open(file)->scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    } catch (const std::exception &e) {
        return testoErrore(e);
    }
}

QString lista()
{
    return g_negozio + QStringLiteral("/vtftp.dat");
}

// The upload records of vtftp.mdb: key -> (date, length).
using Record = std::map<QString, std::pair<qint64, qint64>>;

Record leggiRecord()
{
    Record r;
    const DatabasePtr db = Database::open(g_negozio + QStringLiteral("/vtftp.mdb"));
    QSqlQuery q = db->run(QStringLiteral("SELECT nome, data, peso FROM file ORDER BY rowid"));
    while (q.next())
        r.try_emplace(q.value(0).toString(), q.value(1).toLongLong(), q.value(2).toLongLong());
    return r;
}

// A file of the site, here and on the server.
struct FileSito {
    QString locale, remoto;
};

std::vector<FileSito> fileSito()
{
    std::vector<FileSito> r;
    for (const auto &[locale, remota] : cartelleSito) {
        const QString cartella = g_negozio + u'/' + QLatin1String(locale);
        for (const QString &f : QDir(cartella).entryList(QDir::Files, QDir::Name))
            r.push_back({cartella + u'/' + f, QLatin1String(remota) + u'/' + f});
    }
    return r;
}

// Whether the records say that the server holds the file as it is now (its
// date and length), which the publisher then does not send.
bool registrato(const Record &r, const FileSito &f)
{
    const auto trovato = r.find(QStringLiteral("127.0.0.1:%1/").arg(g_portaFtp) + f.remoto);
    const QFileInfo i(f.locale);
    return trovato != r.end() && trovato->second.first == i.lastModified().toSecsSinceEpoch()
        && trovato->second.second == i.size();
}

// The temporary files of writes by renaming left in the shop's folders.
int temporanei()
{
    int n = 0;
    for (const QString &c : {QString(), QStringLiteral("/online"), QStringLiteral("/scripts")})
        for (const QString &nome : QDir(g_negozio + c).entryList(QDir::Files | QDir::Hidden))
            n += Temporanei::eTemporaneo(nome);
    return n;
}

// One kill of a step at `ritardo` ms, the checks of what it left, the
// restart and the checks of its upload. Adds to prova.errori.
void uccisione(Prova &prova, const QString &passo, int variante, qint64 ritardo)
{
    const QString cosa = QStringLiteral("%1 %2").arg(passo).arg(variante);
    auto errore = [&](const QString &e) { prova.errori << cosa + QStringLiteral(": ") + e; };
    const bool costruzione = passo == QLatin1String("costruzione"), invio = passo == QLatin1String("invio");
    const QByteArray listaPrima = leggi(lista());
    QString dove;
    if (!prova.uccidi(passo, variante, ritardo, &dove))
        return;
    const qint64 attesaServer = prova.aspettaServer();

    // What the kill left: sound databases; the old upload list, or after a
    // build none or a whole one; the server holding every file recorded.
    for (const QString &db : {QStringLiteral("catalog.mdb"), QStringLiteral("vtftp.mdb")})
        if (const QString e = integrita(g_negozio + u'/' + db); e != QLatin1String("ok"))
            errore(db + QStringLiteral(": ") + e);
    const bool listaPresente = QFileInfo::exists(lista());
    const QByteArray listaDopo = leggi(lista());
    if (costruzione && listaPresente && !listaDopo.endsWith('#'))
        errore(QStringLiteral("lista incompleta: ") + QString::fromUtf8(listaDopo.right(200)));
    if (!costruzione && listaDopo != listaPrima)
        errore(QStringLiteral("la lista è cambiata"));
    const Record record = leggiRecord();
    for (const FileSito &f : fileSito())
        if (registrato(record, f) && comeInviato(f.remoto, leggi(f.locale)) != leggi(g_ftp + u'/' + f.remoto))
            errore(QStringLiteral("registrato come inviato ma diverso sul server: ") + f.remoto);

    QString stato;
    if (costruzione)
        stato = QStringLiteral(", %1, %2 file temporanei")
                    .arg(listaPresente ? QStringLiteral("la lista della costruzione finita") : QStringLiteral("nessuna lista"))
                    .arg(temporanei());
    if (invio) {
        const qint64 sulServer = QFileInfo(g_ftp + QStringLiteral("/www/shop/listino.pdf")).size();
        stato = QStringLiteral(", %1 file ricevuti").arg(ricevuti().size());
        if (sulServer < PesoListino)
            stato += QStringLiteral(", listino tagliato sul server (%1 byte)").arg(sulServer);
    }
    std::printf("%s ucciso %s%s; server libero in %lld ms\n", qPrintable(cosa), qPrintable(dove), qPrintable(stato),
                attesaServer);
    std::fflush(stdout);

    // The restart: it builds after an edit or a build, and uploads exactly
    // the files of the upload list that are not recorded as they are now.
    QFile::remove(g_registroFtp);
    if (!prova.corri(QStringLiteral("ripresa"), variante, nullptr,
                     {QStringLiteral("--costruisci"), invio ? QStringLiteral("0") : QStringLiteral("1")}))
        return;
    const QString nuovaLista = QString::fromUtf8(leggi(lista()));
    QStringList attesi;
    for (const FileSito &f : fileSito())
        if (!registrato(record, f) && nuovaLista.contains(u'#' + f.locale + u'#'))
            attesi << f.remoto;
    attesi.sort();
    if (ricevuti() != attesi)
        errore(QStringLiteral("inviati %1, attesi %2").arg(ricevuti().join(u' '), attesi.join(u' ')));
    if (const QString d = confrontaServer(); !d.isEmpty())
        errore(QStringLiteral("il server non ha il sito: ") + d);
    if (costruzione && listaPresente && listaDopo != nuovaLista.toUtf8())
        errore(QStringLiteral("la lista lasciata non è quella della costruzione"));
    if (const QString e = integrita(g_negozio + QStringLiteral("/catalog.mdb")); e != QLatin1String("ok"))
        errore(QStringLiteral("catalog.mdb dopo la ripresa: ") + e);
    if (!invio && temporanei())
        errore(QStringLiteral("file temporanei rimasti dopo la costruzione"));
}

} // namespace

// Options: --uccisioni N (kills per step), --seme S (the random delays).
int provaUccisioni()
{
    QElapsedTimer orologio;
    orologio.start();
    Prova prova;
    const quint32 seme = g_opzioni.seme ? g_opzioni.seme : quint32(QDateTime::currentMSecsSinceEpoch());
    std::printf("seme: %u (--seme %u ripete i ritardi)\n", seme, seme);
    prova.caso.seed(seme);
    ServerFtp::Guasti g;
    g.registro = g_registroFtp;
    g.byteAlSecondo = ByteAlSecondo;
    prova.server = std::make_unique<ServerFtp>(g_ftp, g);
    if (!prova.server->avviato()) {
        std::fprintf(stderr, "server FTP: %s\n", qPrintable(prova.server->errore()));
        return 1;
    }
    g_portaFtp = prova.server->porta();
    prova.fdServerLibero = prova.fdServer();
    QDir(g_opzioni.uscita).removeRecursively();

    // The shop, built and published once; the merchant's price list added.
    if (prova.corri(QStringLiteral("negozio"), 0))
        if (const QString d = confrontaServer(); !d.isEmpty())
            prova.errori << QStringLiteral("dopo il primo invio il server non ha il sito: ") + d;
    scriviListino(seme);
    std::printf("negozio pronto: %lld ms\n", orologio.elapsed());

    for (const QString &passo : {QStringLiteral("modifica"), QStringLiteral("costruzione"), QStringLiteral("invio")}) {
        const bool invio = passo == QLatin1String("invio");
        // A run to its end times the step; the upload sends a new price list
        // (every other killed upload too, the others send every file).
        if (invio)
            scriviListino(seme + 100);
        qint64 durata = 0;
        if (!prova.errori.isEmpty() || !prova.corri(passo, 0, &durata))
            break;
        std::printf("%s: %lld ms\n", qPrintable(passo), durata);
        if (const QString d = confrontaServer(); invio && !d.isEmpty())
            prova.errori << QStringLiteral("dopo l'invio il server non ha il sito: ") + d;
        // The kills spread over the step, each at random in its own slice.
        std::uniform_real_distribution<double> u(0, 1);
        for (int i = 0; i < g_opzioni.uccisioni && prova.errori.isEmpty(); ++i) {
            if (invio && i % 2 == 1)
                scriviListino(seme + 101 + i);
            uccisione(prova, passo, i + 1, qint64(durata * (i + u(prova.caso)) / g_opzioni.uccisioni));
        }
    }
    for (const QString &e : std::as_const(prova.errori))
        std::fprintf(stderr, "ERRORE: %s\n", qPrintable(e));
    std::printf("uccisioni: %lld ms\n", orologio.elapsed());
    return prova.errori.isEmpty() ? 0 : 1;
}
