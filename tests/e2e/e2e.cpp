// A merchant's first shop through the window: the program started as main()
// starts it, in a home folder of its own, driven by a scripted user (Utente)
// with real key and mouse events only. See CMakeLists.txt.
#include "avvio.h"
#include "boxmessages.h"
#include "percorso.h"
#include "serverftp.h"
#include "shell.h"
#include "utente.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

Opzioni g_opzioni;
QString g_negozio, g_sendmail, g_ftp, g_registroFtp;
int g_portaWeb = 0, g_portaFtp = 0;

void preparaCasa(const QString &casa)
{
    for (const char *sotto : {"dati", "config", "cache", "Immagini", "bin"})
        QDir().mkpath(casa + u'/' + QLatin1String(sotto));
    qputenv("HOME", casa.toUtf8());
    qputenv("XDG_DATA_HOME", (casa + QStringLiteral("/dati")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (casa + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_CACHE_HOME", (casa + QStringLiteral("/cache")).toUtf8());
    g_negozio = casa + QStringLiteral("/Negozi/Bottega Aurora");
    g_sendmail = casa + QStringLiteral("/bin/sendmail");
    g_ftp = casa + QStringLiteral("/ftp");
    g_registroFtp = casa + QStringLiteral("/ricevuti.txt");
}

namespace {

// The merchant's own pictures: photographs (JPEG, two from the demo shop, one
// with its extension in capitals) and a drawing saved as a bitmap.
void preparaImmagini(const QString &cartella)
{
    const QString programma = qEnvironmentVariable("VETRASTO_HOME");
    QFile::copy(programma + QStringLiteral("/demo/work/caf-001.jpg"), cartella + QStringLiteral("/arabica.jpg"));
    QFile::copy(programma + QStringLiteral("/demo/work/caf-003.jpg"), cartella + QStringLiteral("/miscela.jpg"));
    QImage logo(320, 120, QImage::Format_ARGB32);
    logo.fill(QColor(250, 240, 220));
    QPainter p(&logo);
    p.setBrush(QColor(120, 60, 20));
    p.drawEllipse(QPoint(60, 60), 45, 45);
    p.setPen(QColor(60, 30, 10));
    QFont f = p.font();
    f.setPixelSize(36);
    p.setFont(f);
    p.drawText(QRect(115, 0, 200, 120), Qt::AlignVCenter, QStringLiteral("Aurora"));
    p.end();
    logo.save(cartella + QStringLiteral("/logo.bmp"));
    QImage te(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < te.height(); ++y)
        for (int x = 0; x < te.width(); ++x)
            te.setPixel(x, y, qRgb(40 + x / 4, 140 + y / 5, 60));
    te.save(cartella + QStringLiteral("/te-verde.JPG"), "JPG");
}

struct Articolo {
    const char *reparto, *codice, *titolo, *descrizione, *prezzo, *peso, *immagine;
};
const Articolo articoli[] = {
    {"Caffè", "CAF-01", "Arabica Santos 250 g", "Caffè in grani dal Brasile, tostatura media.", "7,50", "0,25",
     "arabica.jpg"},
    {"Caffè", "CAF-02", "Robusta India 250 g", "Corposo e intenso.", "5,90", "0,25", ""},
    {"Miscele", "MIS-01", "Miscela Bar", "La miscela del nostro bancone.", "9,80", "0,5", "miscela.jpg"},
    {"Miscele", "MIS-02", "Miscela Casa", "Per la moka di tutti i giorni.", "8,40", "0,5", ""},
    {"Tè e tisane", "TE-01", "Tè verde Sencha", "Foglie intere dal Giappone.", "6,20", "0,1", "te-verde.JPG"},
    {"Tè e tisane", "TE-02", "Tè nero Assam", "Forte, per la colazione.", "5,50", "0,1", ""},
};

void scegliImmagine(Utente &u, const QString &file);

// An article added at the end of its department's list, with its fields
// typed in and its first picture chosen.
void nuovoArticolo(Utente &u, const Articolo &a)
{
    u.nodo(QString::fromUtf8(a.reparto));
    u.menu({QStringLiteral("Modifica"), QStringLiteral("Aggiungi"), QStringLiteral("Dopo")});
    u.scrivi(QStringLiteral("Codice"), QString::fromUtf8(a.codice));
    u.scrivi(QStringLiteral("Titolo"), QString::fromUtf8(a.titolo));
    u.scrivi(QStringLiteral("Descrizione"), QString::fromUtf8(a.descrizione));
    u.scrivi(QStringLiteral("Prezzo"), QString::fromUtf8(a.prezzo));
    u.scrivi(QStringLiteral("Peso"), QString::fromUtf8(a.peso));
    if (*a.immagine) {
        u.menu({QStringLiteral("Modifica"), QStringLiteral("Imposta immagine"), QStringLiteral("1")});
        scegliImmagine(u, QString::fromUtf8(a.immagine));
    }
}

// The picture chooser: the home folder, its "Immagini" folder, the file.
void scegliImmagine(Utente &u, const QString &file)
{
    u.aspettaFinestra(QStringLiteral("frmImmagine"));
    u.scegliVoce(QStringLiteral("Unita"), QDir::homePath());
    u.attiva(QStringLiteral("Cartella"), QStringLiteral("Immagini"));
    u.scegliVoce(QStringLiteral("File"), file);
    u.foto(QStringLiteral("scelta-") + file);
    u.clic(QStringLiteral("OK"));
    u.passo(QStringLiteral("la scelta dell'immagine si chiude"), [] {
        QWidget *w = Utente::inAlto();
        return w && w->objectName() != QLatin1String("frmImmagine");
    });
}

} // namespace

QStringList albero(const QString &cartella)
{
    QStringList r;
    QDirIterator it(cartella, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        r << QDir(cartella).relativeFilePath(it.next());
    r.sort();
    return r;
}

// Scripts go as text, their lines ending in LF.
QByteArray comeInviato(const QString &nome, QByteArray dati)
{
    if (nome.endsWith(QLatin1String(".pl")))
        dati.replace("\r\n", "\n");
    return dati;
}

QStringList fileDiversi()
{
    QStringList r;
    for (const auto &[locale, remota] : cartelleSito) {
        const QString l = g_negozio + u'/' + QLatin1String(locale), s = g_ftp + u'/' + QLatin1String(remota);
        for (const QString &f : albero(l))
            if (comeInviato(f, leggi(l + u'/' + f)) != leggi(s + u'/' + f) || !QFileInfo::exists(s + u'/' + f))
                r << QLatin1String(remota) + u'/' + f;
    }
    return r;
}

QString confrontaServer()
{
    QStringList problemi = fileDiversi();
    for (const auto &[locale, remota] : cartelleSito) {
        const QStringList l = albero(g_negozio + u'/' + QLatin1String(locale));
        for (const QString &f : albero(g_ftp + u'/' + QLatin1String(remota)))
            if (!l.contains(f))
                problemi << QStringLiteral("in più: ") + QLatin1String(remota) + u'/' + f;
    }
    return problemi.join(QStringLiteral(", "));
}

namespace {

// The closing question of a long command is on top.
void domandaFinale(Utente &u, const Segnali &s)
{
    if (!s.fine)
        return;
    u.passo(QStringLiteral("la domanda finale"), [] {
        auto *m = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        return m && m->isVisible();
    }, 120000);
    u.fai(QStringLiteral("fine"), s.fine);
}

} // namespace

void costruisci(Utente &u, const Segnali &s)
{
    if (s.inizio)
        u.fai(QStringLiteral("inizio"), s.inizio);
    u.menu({QStringLiteral("File"), QStringLiteral("Costruisci il negozio")});
    domandaFinale(u, s);
    u.rispondi(QStringLiteral("Creazione del negozio terminata"), QStringLiteral("No"));
    u.aspettaFinestra(QStringLiteral("frmMain"));
}

void pubblica(Utente &u, bool prima, std::optional<bool> soloModificati, const Segnali &s)
{
    u.menu({QStringLiteral("File"), QStringLiteral("Aggiorna il sito")});
    u.aspettaFinestra(QStringLiteral("frmAvviso"));
    u.clic(QStringLiteral("cmdSi"));
    u.aspettaFinestra(QStringLiteral("frmImpostaFTP"));
    if (soloModificati)
        u.spunta(QStringLiteral("Invia solo i file modificati"), *soloModificati);
    if (s.inizio)
        u.fai(QStringLiteral("inizio"), s.inizio);
    u.clic(QStringLiteral("OK"));
    if (prima) {
        u.rispondi(QStringLiteral("non è presente sul server"), QStringLiteral("Sì"));
        u.rispondi(QStringLiteral("non è presente sul server"), QStringLiteral("Sì"));
    }
    domandaFinale(u, s);
    u.rispondi(QStringLiteral("Aggiornamento del negozio terminato"), QStringLiteral("No"));
    u.aspettaFinestra(QStringLiteral("frmMain"));
}

void esci(Utente &u)
{
    u.menu({QStringLiteral("File"), QStringLiteral("Esci")});
}

void prezzo(Utente &u, const QString &reparto, const QString &articolo, const QString &valore)
{
    u.scheda(QStringLiteral("tabGestione"), QStringLiteral("Articoli"));
    u.nodo(reparto);
    u.cella(QStringLiteral("gridArticoli"), articolo);
    u.scrivi(QStringLiteral("Prezzo"), valore);
}

QStringList ricevuti()
{
    QStringList r = QString::fromUtf8(leggi(g_registroFtp)).split(u'\n', Qt::SkipEmptyParts);
    r.sort();
    return r;
}

namespace {

// "Configura..." in the shipping dialog, and the system's button in the
// chooser: its dialog opens.
void configuraSistema(Utente &u, const QString &sistema)
{
    u.clic(QStringLiteral("Configura..."));
    u.aspettaFinestra(QStringLiteral("frmConfiguraPG"));
    u.clic(QStringLiteral("Configura %1...").arg(sistema));
    u.passo(QStringLiteral("la configurazione di ") + sistema, [sistema] {
        QWidget *w = Utente::inAlto();
        return w && w->windowTitle().contains(sistema);
    });
}

// The browser walk (negozio.mjs) on the pages and scripts just built; the
// catalogue is read from a copy, as the open shop holds it locked. "" when
// every check passed.
QString provaNelBrowser()
{
    const QString copia = QDir::homePath() + QStringLiteral("/catalogo-copia.mdb");
    QFile::remove(copia);
    QFile::copy(g_negozio + QStringLiteral("/catalog.mdb"), copia);
    QProcess node;
    node.setProcessChannelMode(QProcess::MergedChannels);
    node.start(QStringLiteral("node"), {g_opzioni.browser, QStringLiteral("--pagine"), g_negozio + QStringLiteral("/online"),
                                        QStringLiteral("--script"), g_negozio + QStringLiteral("/scripts"),
                                        QStringLiteral("--catalogo"), copia, QStringLiteral("--porta"),
                                        QString::number(g_portaWeb), QStringLiteral("--posta"),
                                        QDir::homePath() + QStringLiteral("/posta.txt"), QStringLiteral("--out"),
                                        g_opzioni.uscita});
    if (!node.waitForFinished(120000))
        node.kill();
    const QByteArray uscita = node.readAll();
    std::fwrite(uscita.constData(), 1, size_t(uscita.size()), stdout);
    return node.exitStatus() == QProcess::NormalExit && node.exitCode() == 0 ? QString()
                                                                             : QStringLiteral("il sito nel browser");
}

} // namespace

void allestisci(Utente &u)
{
    // A new shop in an empty folder.
    u.aspettaFinestra(QStringLiteral("frmMain"));
    u.menu({QStringLiteral("File"), QStringLiteral("Nuovo negozio")});
    u.passo(QStringLiteral("il nuovo negozio è aperto"), [] {
        QWidget *f = Utente::finestraPrincipale();
        return f && f->windowTitle().contains(g_negozio);
    });
    u.foto(QStringLiteral("nuovo-negozio"));

    // The shop's title, e-mail, texts and logo, on the tree's root.
    u.nodo(QStringLiteral("Negozio"));
    u.scrivi(QStringLiteral("Titolo del negozio"), QStringLiteral("Bottega Aurora"));
    u.scrivi(QStringLiteral("E-mail principale per contatti"), QStringLiteral("info@bottega-aurora.it"));
    const std::pair<const char *, const char *> testi[] = {
        {"Home page (1)", "Benvenuti nella <b>Bottega Aurora</b>: caffè e tè scelti."},
        {"Condizioni di spedizione", "Spediamo in 48 ore con corriere."},
        {"Diritto di recesso", "Potete restituire la merce entro 14 giorni."},
    };
    for (const auto &[scheda, testo] : testi) {
        u.scheda(QStringLiteral("tabTesti"), QString::fromUtf8(scheda));
        u.scrivi(QStringLiteral("txtTesti%1").arg(scheda == testi[0].first ? 0 : scheda == testi[1].first ? 2 : 3),
                      QString::fromUtf8(testo));
    }
    u.foto(QStringLiteral("negozio"));
    u.menu({QStringLiteral("Modifica"), QStringLiteral("Imposta logo negozio"), QStringLiteral("normale")});
    scegliImmagine(u, QStringLiteral("logo.bmp"));
    u.foto(QStringLiteral("negozio-logo"));

    // Three departments, one under another.
    u.nodo(QStringLiteral("Nuovo Reparto"));
    u.scrivi(QStringLiteral("Titolo"), QStringLiteral("Caffè"));
    u.scrivi(QStringLiteral("IVA %"), QStringLiteral("22"));
    u.menu({QStringLiteral("Modifica"), QStringLiteral("Aggiungi"), QStringLiteral("Dopo")});
    u.nodo(QStringLiteral("Nuovo Reparto"));
    u.scrivi(QStringLiteral("Titolo"), QStringLiteral("Tè e tisane"));
    u.scrivi(QStringLiteral("IVA %"), QStringLiteral("10"));
    u.nodo(QStringLiteral("Caffè"));
    u.menu({QStringLiteral("Modifica"), QStringLiteral("Aggiungi"), QStringLiteral("Sottoreparto")});
    u.nodo(QStringLiteral("Nuovo Reparto"));
    u.scrivi(QStringLiteral("Titolo"), QStringLiteral("Miscele"));
    u.scrivi(QStringLiteral("Descrizione"), QStringLiteral("Le nostre miscele per la moka e l'espresso."));
    u.scrivi(QStringLiteral("IVA %"), QStringLiteral("22"));
    // The title reaches the tree when the department is left.
    u.nodo(QStringLiteral("Caffè"));
    u.nodo(QStringLiteral("Miscele"));
    u.foto(QStringLiteral("reparti"));

    // Six articles with prices, weights and pictures.
    u.scheda(QStringLiteral("tabGestione"), QStringLiteral("Articoli"));
    for (const Articolo &a : articoli)
        nuovoArticolo(u, a);
    u.foto(QStringLiteral("articoli"));

    // An offer on the second article.
    u.nodo(QStringLiteral("Caffè"));
    u.cella(QStringLiteral("gridArticoli"), QStringLiteral("Robusta India 250 g"));
    u.clic(QStringLiteral("In offerta"));
    u.scrivi(QStringLiteral("Prezzo in offerta"), QStringLiteral("4,90"));

    // A variant set on the third, through the variant-set editor.
    u.nodo(QStringLiteral("Miscele"));
    u.cella(QStringLiteral("gridArticoli"), QStringLiteral("Miscela Bar"));
    u.menu({QStringLiteral("Modifica"), QStringLiteral("Definisci varianti"), QStringLiteral("1")});
    u.aspettaFinestra(QStringLiteral("frmOpzioni"));
    u.clic(QStringLiteral("Nuova"));
    u.rinomina(QStringLiteral("DBGrid1"), QStringLiteral("Macinatura"));
    const std::pair<const char *, const char *> macinature[] = {{"In grani", "0"}, {"Per moka", "0,50"},
                                                                 {"Per espresso", "0,70"}};
    for (int k = 0; k < 3; ++k) {
        u.scrivi(QStringLiteral("txtOpzione%1").arg(k), QString::fromUtf8(macinature[k].first));
        u.scrivi(QStringLiteral("txtOpzionePrezzo%1").arg(k), QString::fromUtf8(macinature[k].second));
    }
    u.clic(QStringLiteral("optSelezionato0"));
    u.foto(QStringLiteral("varianti"));
    u.clic(QStringLiteral("OK"));
    u.aspettaFinestra(QStringLiteral("frmMain"));
    u.foto(QStringLiteral("articolo-con-varianti"));

    // Payment methods, zones, countries and cost bands.
    u.scheda(QStringLiteral("tabGestione"), QStringLiteral("Sito"));
    u.foto(QStringLiteral("sito"));
    u.menu({QStringLiteral("Modifica"), QStringLiteral("Spese di spedizione")});
    u.aspettaFinestra(QStringLiteral("frmSpedizione"));
    // The payment systems, through the chooser: cash on delivery as it comes,
    // the transfer with its instructions. A method's list offers them once
    // configured.
    configuraSistema(u, QStringLiteral("Contrassegno"));
    u.foto(QStringLiteral("contrassegno"));
    u.clic(QStringLiteral("OK"));
    u.aspettaFinestra(QStringLiteral("frmSpedizione"));
    configuraSistema(u, QStringLiteral("Pagamento anticipato"));
    u.scrivi(QStringLiteral("txtInfo"), QStringLiteral("Bonifico a Bottega Aurora\nIBAN IT60 X054 2811 1010 0000 0123 456"));
    u.foto(QStringLiteral("pagamento-anticipato"));
    u.clic(QStringLiteral("OK"));
    u.aspettaFinestra(QStringLiteral("frmSpedizione"));
    u.scrivi(QStringLiteral("txtNomeMetodo0"), QStringLiteral("Contrassegno"));
    u.scegliVoce(QStringLiteral("cboMetodo0"), QStringLiteral("Contrassegno"));
    u.scrivi(QStringLiteral("txtNomeMetodo1"), QStringLiteral("Bonifico anticipato"));
    u.scegliVoce(QStringLiteral("cboMetodo1"), QStringLiteral("Pagamento anticipato"));
    // Zone 1 (Italy): both methods; zone 2 (Europe): transfer only.
    const char *fasce1[][6] = {{"m1imp1", "30", "m1imp2", "80", "m1sp1", "8"},
                               {"m1sp2", "5", "m1sp3", "0", "m2imp1", "30"},
                               {"m2imp2", "80", "m2sp1", "6", "m2sp2", "4"}};
    for (const auto &riga : fasce1)
        for (int i = 0; i < 6; i += 2)
            u.scrivi(QString::fromLatin1(riga[i]), QString::fromLatin1(riga[i + 1]));
    u.scrivi(QStringLiteral("m2sp3"), QStringLiteral("0"));
    u.foto(QStringLiteral("spedizione-zona1"));
    u.scheda(QStringLiteral("tabZona"), QStringLiteral("Zona 2"));
    u.spunta(QStringLiteral("chkPagZona0"), false);  // cash on delivery not offered
    for (const auto &[campo, valore] : {std::pair{"m2imp1", "50"}, {"m2imp2", "150"}, {"m2sp1", "15"},
                                        {"m2sp2", "10"}, {"m2sp3", "5"}})
        u.scrivi(QString::fromLatin1(campo), QString::fromLatin1(valore));
    // A country added to zone 2, shipped to at the European rates.
    u.scrivi(QStringLiteral("cboAggiungi"), QStringLiteral("Liechtenstein"), false);
    u.clic(QStringLiteral("Aggiungi"));
    u.cella(QStringLiteral("DBGrid1"), QStringLiteral("Liechtenstein"));
    u.scegliVoce(QStringLiteral("cboZona"), QStringLiteral("Unione Europea"));
    u.foto(QStringLiteral("spedizione-zona2"));
    u.clic(QStringLiteral("OK"));
    u.aspettaFinestra(QStringLiteral("frmMain"));

    // Where the orders go.
    u.scrivi(QStringLiteral("E-mail per ricezione ordini"), QStringLiteral("ordini@bottega-aurora.it"));
    u.scrivi(QStringLiteral("Firma e-mail di conferma ordini"), QStringLiteral("Grazie!\nBottega Aurora"));
    u.foto(QStringLiteral("sito-compilato"));

    // The web server and the FTP account.
    u.scheda(QStringLiteral("tabGestione"), QStringLiteral("Internet"));
    u.scrivi(QStringLiteral("URL del sito (es. www.mionegozio.it)"), QStringLiteral("127.0.0.1:%1").arg(g_portaWeb));
    u.scrivi(QStringLiteral("Cartella degli script"), QStringLiteral("cgi-bin"));
    u.scrivi(QStringLiteral("Percorso Sendmail"), g_sendmail);
    u.scrivi(QStringLiteral("Percorso interprete Perl"), QStringLiteral("/usr/bin/perl"));
    u.scrivi(QStringLiteral("Nome Host o indirizzo IP"), QStringLiteral("127.0.0.1:%1").arg(g_portaFtp));
    u.scrivi(QStringLiteral("Username"), ServerFtp::utente());
    u.scrivi(QStringLiteral("Password"), ServerFtp::password());
    u.scrivi(QStringLiteral("txtFolderFTP"), QStringLiteral("www/shop"));
    u.scrivi(QStringLiteral("txtFolderCGI"), QStringLiteral("cgi-bin"));
    u.foto(QStringLiteral("internet"));

    // The template set, and the build.
    u.menu({QStringLiteral("File"), QStringLiteral("Scegli il template")});
    u.aspettaFinestra(QStringLiteral("frmTemplate"));
    u.scegliVoce(QStringLiteral("lstTemplate"), QStringLiteral("classico"));
    u.foto(QStringLiteral("template"));
    u.clic(QStringLiteral("OK"));
    u.aspettaFinestra(QStringLiteral("frmMain"));
    costruisci(u);
}

namespace {

void percorso(Utente &u)
{
    allestisci(u);

    // The site in the browser: two articles in the cart, the totals, the order.
    u.fai(QStringLiteral("il sito nel browser"), [&u] {
        const QString esito = provaNelBrowser();
        if (!esito.isEmpty())
            u.fallisci(esito);
    });

    // The first upload: the server holds the pages and scripts folders.
    pubblica(u, true);
    u.fai(QStringLiteral("il server ha il sito"), [&u] {
        const QString diverso = confrontaServer();
        if (!diverso.isEmpty())
            u.fallisci(QStringLiteral("il server non ha il sito: ") + diverso);
    });

    // One price changed, built and published again: only what changed goes.
    prezzo(u, QStringLiteral("Caffè"), QStringLiteral("Arabica Santos 250 g"), QStringLiteral("7,90"));
    costruisci(u);
    auto cambiati = std::make_shared<QStringList>();
    u.fai(QStringLiteral("i file cambiati"), [cambiati] {
        *cambiati = fileDiversi();
        QFile::remove(g_registroFtp);
    });
    pubblica(u, false);
    u.fai(QStringLiteral("solo i file cambiati sono inviati"), [&u, cambiati] {
        const QStringList inviati = ricevuti();
        cambiati->sort();
        std::printf("secondo invio: %s\n", qPrintable(inviati.join(QStringLiteral(", "))));
        if (inviati != *cambiati || inviati.isEmpty())
            u.fallisci(QStringLiteral("inviati %1, cambiati %2").arg(inviati.join(u' '), cambiati->join(u' ')));
        const QString diverso = confrontaServer();
        if (!diverso.isEmpty())
            u.fallisci(QStringLiteral("il server non ha il sito: ") + diverso);
    });
}

} // namespace

Programma::Programma() : m_avvio(m_messages)
{
    preparaProgramma();
    m_avvio.avvia();
    // The folder picker stands for the merchant's choice.
    Shell::impostaSceltaCartella([](const QString &, const QString &) { return g_negozio; });
    Shell::impostaApertura([](const QString &documento) {
        std::printf("aperto: %s\n", qPrintable(documento));
        return false;
    });
}

void preparaFile(const QString &casa)
{
    preparaImmagini(casa + QStringLiteral("/Immagini"));
    QFile f(g_sendmail);
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\n{ echo \"ARGS: $*\"; cat; echo '----FINE----'; } >> \"$(dirname \"$0\")/../posta.txt\"\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

int main(int argc, char **argv)
{
    Opzioni &o = g_opzioni;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString k = QString::fromLocal8Bit(argv[i]), v = QString::fromLocal8Bit(argv[i + 1]);
        if (k == QLatin1String("--uscita"))
            o.uscita = v;
        else if (k == QLatin1String("--browser"))
            o.browser = v;
        else if (k == QLatin1String("--tieni"))
            o.tieni = v == QLatin1String("1");
        else if (k == QLatin1String("--uccisioni"))
            o.uccisioni = v.toInt();
        else if (k == QLatin1String("--seme"))
            o.seme = v.toUInt();
        else if (k == QLatin1String("--passo"))
            o.passo = v;
        else if (k.startsWith(QLatin1String("--")))
            o.altre.insert(k.mid(2), v);
    }
    if (!o.passo.isEmpty()) {
        preparaCasa(o.altre.value(QStringLiteral("casa")));
        QApplication app(argc, argv);
        return eseguiPasso();
    }
    QTemporaryDir tmp;
    tmp.setAutoRemove(!o.tieni);
    std::printf("cartella: %s\n", qPrintable(tmp.path()));
    const QString casa = tmp.path() + QStringLiteral("/casa");
    preparaCasa(casa);
    QDir().mkpath(g_negozio);
    if (o.uscita.isEmpty())
        o.uscita = tmp.path() + QStringLiteral("/foto");
    QApplication app(argc, argv);
    if (o.uccisioni > 0) {
        preparaFile(casa);
        return provaUccisioni();
    }

    Programma programma;
    preparaFile(casa);
    // The web server's port (the browser walk's server listens there) and
    // the FTP server.
    g_portaWeb = portaLibera();
    ServerFtp::Guasti registro;
    registro.registro = g_registroFtp;
    ServerFtp ftp(g_ftp, registro);
    if (!ftp.avviato()) {
        std::fprintf(stderr, "server FTP: %s\n", qPrintable(ftp.errore()));
        return 1;
    }
    g_portaFtp = ftp.porta();

    Utente u(o.uscita);
    percorso(u);
    QElapsedTimer t;
    t.start();
    u.avvia([&] {
        std::printf("percorso: %lld ms\n", t.elapsed());
        QApplication::exit(0);
    });
    return app.exec();
}
