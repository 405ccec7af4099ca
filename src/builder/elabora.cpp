#include "elabora.h"

#include "campinegozio.h"
#include "cartelle.h"
#include "catalogosito.h"
#include "controlloprezzi.h"
#include "database.h"
#include "emailordini.h"
#include "formato.h"
#include "frammenti.h"
#include "home.h"
#include "make.h"
#include "messages.h"
#include "navigazione.h"
#include "nomifile.h"
#include "numeri.h"
#include "paginereparto.h"
#include "programfolder.h"
#include "shell.h"
#include "tabellespedizione.h"
#include "temporanei.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QThread>
#include <future>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString crlf = QStringLiteral("\r\n");

// The three sentences of the failure warning, each ended by CR.
QString testoCorrotto(const QString &cartella)
{
    return QStringLiteral("In seguito agli errori verificatisi, il contenuto della cartella '") + cartella +
           QStringLiteral("'") + u'\r' +
           QStringLiteral("potrebbe essere corrotto: evitare di trasferirne il contenuto online.") + u'\r' +
           QStringLiteral("Risolvere il problema, ricostruire il negozio e solo successivamente aggiornare il sito.") +
           u'\r';
}

// A department as the warnings name it: its title, then its ID in brackets.
QString nomeReparto(const Reparto &r)
{
    return u'\'' + r.titolo + QStringLiteral("' (") + r.ID + u')';
}

// Items as a warning names them, each as `voce` shows it (as they are
// without): the first twenty, so that the message fits on the screen, and
// how many more there are.
QString elencoBreve(const QStringList &voci, QString (*voce)(const QString &) = nullptr)
{
    constexpr qsizetype massimo = 20;
    QStringList r = voci.mid(0, massimo);
    if (voce)
        for (QString &v : r)
            v = voce(v);
    QString testo = r.join(QStringLiteral(", "));
    if (voci.size() > massimo)
        testo += QStringLiteral(" e altri %1").arg(voci.size() - massimo);
    return testo;
}

// Paths as a warning names them, each in quotes.
QString elencoLeggibile(const QStringList &percorsi)
{
    return elencoBreve(percorsi, [](const QString &p) -> QString { return u'\'' + TestoLeggibile(p) + u'\''; });
}

// Whether a discount is a percentage the build can apply.
bool percentuale(double sconto)
{
    return sconto >= 0 && sconto <= 100;
}

// The files left out of the site because they are database files; the
// shop's own databases under another name have a warning of their own.
QString avvisoFileDatabase(const QStringList &percorsi)
{
    return QStringLiteral("I seguenti file non sono stati usati per il sito perché sono file di database, che il "
                          "programma lascia sempre fuori perché nessun database arrivi al sito: ") +
           elencoLeggibile(percorsi) + QStringLiteral(". Eliminarli o spostarli altrove.");
}

// How often the build lets the window system run, in milliseconds.
constexpr int intervalloEventi = 30;

QElapsedTimer &orologio()
{
    static QElapsedTimer t = [] {
        QElapsedTimer e;
        e.start();
        return e;
    }();
    return t;
}

// The build's closing question. What keeps the site from taking orders
// as the merchant expects comes first, each in a paragraph of its own:
// without the site's address the pages post their orders and searches to
// nowhere, without the order address the order script refuses every order,
// and the articles in `offerteZero` sell at 0 because of an offer.
bool domandaFinale(const Impostazioni &imp, const QStringList &offerteZero, const ShopState &stato,
                   Messages &messages)
{
    const QString fine = QStringLiteral("Creazione del negozio terminata.");
    const QString vedi = QStringLiteral("Vuoi vedere il risultato?");
    QStringList avvisi;
    if (IndirizzoVuoto(imp))
        avvisi << QStringLiteral("ATTENZIONE: l'URL del sito (scheda \"Internet\") non è impostato, quindi gli ordini e "
                                 "le ricerche del negozio non funzioneranno. Impostarlo e costruire di nuovo il negozio "
                                 "prima di aggiornare il sito.");
    if (imp.txtEmailOrdini.trimmed().isEmpty())
        avvisi << QStringLiteral("ATTENZIONE: l'e-mail per la ricezione degli ordini (scheda \"Sito\") non è impostata, "
                                 "quindi nessun ordine potrà arrivare al negozio: lo script d'ordine li rifiuterà tutti. "
                                 "Impostarla e costruire di nuovo il negozio prima di aggiornare il sito.");
    if (!offerteZero.isEmpty())
        avvisi << AvvisoConElenco(QStringLiteral("ATTENZIONE: questi articoli sono in offerta con un prezzo d'offerta "
                                                 "di 0, quindi nel sito si vendono a ") +
                                      TestoPrezzo(Currency{}, stato) + u':',
                                  offerteZero) +
                      QStringLiteral("\r\nScrivere il prezzo d'offerta, o togliere il segno da \"Offerta\", e "
                                     "costruire di nuovo il negozio prima di aggiornare il sito.");
    if (avvisi.isEmpty())
        return messages.question(fine + u' ' + vedi);
    return messages.question(fine + QStringLiteral("\r\n\r\n") + avvisi.join(QStringLiteral("\r\n\r\n")) +
                                 QStringLiteral("\r\n\r\n") + vedi,
                             Messages::Icon::Warning);
}

} // namespace

bool Avanzamento::apriDocumento(const QString &documento)
{
    return Shell::apriDocumento(documento);
}

Elaborazione::Elaborazione(const ShopState &stato, const Impostazioni &impostazioni, Messages &messages,
                           Avanzamento *avanzamento)
    : CartellaSet(ProgramFolder::path() + u'/' + stato.CartellaTemplate), m_stato(stato), m_imp(impostazioni),
      m_messages(messages), m_avanzamento(avanzamento ? *avanzamento : m_nessunAvanzamento)
{
}

Elaborazione::~Elaborazione()
{
    chiudiFile();
}

QString Elaborazione::percorsoLavoro() const
{
    return m_stato.PercorsoNegozio + QStringLiteral("/source.mdb");
}

QString Elaborazione::fileRicerca() const
{
    return m_stato.CartellaScript + QStringLiteral("/search") + m_IDnegozio + QStringLiteral(".csv");
}

QString Elaborazione::fileDatiOrdine() const
{
    return m_stato.CartellaScript + u'/' + NomeFileDatiOrdine(m_IDnegozio);
}

QString Elaborazione::cartellaCodice() const
{
    return ProgramFolder::path() + QStringLiteral("/code");
}

QString Elaborazione::cartellaWork() const
{
    return m_stato.PercorsoNegozio + QStringLiteral("/work");
}

QString Elaborazione::badge(const QString &nome) const
{
    return CreaTagImg(nome, m_file.trova(CartellaSet, nome));
}

void Elaborazione::chiudiFile()
{
    m_upload.scarta();
    m_ricerca.scarta();
}

bool Elaborazione::fermati()
{
    const qint64 ora = orologio().elapsed();
    if (m_ultimaPausa < 0 || ora - m_ultimaPausa >= intervalloEventi) {
        m_avanzamento.eventi();
        m_ultimaPausa = ora;
    }
    return m_avanzamento.annullato();
}

Elaborazione::Passo Elaborazione::nonRiuscito() const
{
    return m_avanzamento.annullato() ? Passo::Annulla : Passo::Errore;
}

bool Elaborazione::unisci(const Riga &pagina, const QString &modello, const QString &uscita)
{
    if (!MakePagina(pagina, nullptr, modello, uscita, m_messages, [this] { return fermati(); }))
        return false;
    m_upload.aggiungi(uscita);
    return true;
}

void Elaborazione::leggiStato()
{
    const int celle = CInt(Val(m_imp.cboVetrina));
    m_colonneVetrina = celle < 1 ? 3 : (celle > 10 ? 10 : celle);
    m_IDnegozio = CodiceSito(m_imp);
    m_codiceInCarrello = m_imp.chkCodInCart > 0;
    m_ivaCompresa = m_imp.chkIvaCompresa > 0;
    m_livelliAperti = CInt(Val(m_imp.cboLivelli) + 1);
    m_percorsoReparti = m_imp.chkPercRep > 0;
}

bool Elaborazione::controllaProgramma()
{
    // Without the page script and the order script a site cannot sell: the
    // program's own, regular files of its code folder.
    const QString codice = cartellaCodice();
    m_file.esamina(codice, {});
    const QStringList presenti = m_file.elenco(codice);
    for (const QString &nome : {QString(), QStringLiteral("vtcarrello.js"), QStringLiteral("vtorder.pl")}) {
        if (nome.isEmpty() ? QFileInfo(codice).isDir() : presenti.contains(nome))
            continue;
        const QString percorso = nome.isEmpty() ? codice : codice + u'/' + nome;
        m_messages.warning((!nome.isEmpty() && m_file.eDatabase(codice, nome)
                                ? QStringLiteral("Nella cartella del programma il file '") + percorso +
                                      QStringLiteral("' è un file di database")
                                : QStringLiteral("Nella cartella del programma manca '") + percorso + u'\'') +
                           QStringLiteral(": il programma non è installato completamente. "
                                          "Installarlo di nuovo e ripetere l'operazione."));
        m_avanzamento.nascondi();
        return false;
    }
    return true;
}

bool Elaborazione::controllaPercorsoPerl()
{
    // The path is the first line of every script: anything else on it, or
    // on a line of its own after it, would run on the server.
    if (PercorsoPerlValido(m_imp.cboPerl))
        return true;
    m_messages.warning(QStringLiteral("Il percorso dell'interprete Perl '") + m_imp.cboPerl +
                       QStringLiteral("' non è valido: scrivere nella vista Internet il percorso completo del "
                                      "programma sul server (per esempio /usr/bin/perl), seguito al più da opzioni "
                                      "come -w, su una sola riga, e ripetere l'operazione.") +
                       (m_imp.chkNT == 1 ? QStringLiteral(" Il campo si modifica dopo aver tolto il segno da "
                                                          "'Server Windows NT / 2000'.")
                                         : QString()));
    m_avanzamento.nascondi();
    return false;
}

bool Elaborazione::controllaEmailOrdini()
{
    // Every order is sent to this address and from it: anything but one
    // address makes every order fail on the server.
    QString motivo;
    if (m_imp.txtEmailOrdini.trimmed().isEmpty() || IndirizzoOrdiniValido(m_imp.txtEmailOrdini, &motivo))
        return true;
    m_messages.warning(QStringLiteral("L'indirizzo e-mail per la ricezione degli ordini '") + m_imp.txtEmailOrdini +
                       QStringLiteral("' non è valido: ") + motivo +
                       QStringLiteral(". Scrivere nella vista Sito, in 'E-mail per ricezione ordini', un solo "
                                      "indirizzo (per esempio ordini@negozio.it) e ripetere l'operazione."));
    m_avanzamento.nascondi();
    return false;
}

bool Elaborazione::controllaScontoNegozio()
{
    // The shop's discount applies to every price: one the build cannot use
    // (beyond 100 % it would make every price 0, as the field shows it, and
    // a text would be ignored) stops the build before anything is written.
    // The value stored in the catalogue is checked too: the field shows a
    // stored 150 as 100.
    const auto testoPercentuale = [](const QString &t) {
        const std::optional<double> s = NumeroDaTesto(t);
        return s && percentuale(*s);
    };
    QString valore, dove;
    if (const QString t = m_imp.txtScontoNegozio.trimmed(); !t.isEmpty() && !testoPercentuale(t)) {
        valore = m_imp.txtScontoNegozio;
    } else if (Database &db = *m_stato.dbCatalogo; db.hasField(QStringLiteral("generale"), QStringLiteral("sconto"))) {
        dove = QStringLiteral(" registrato nel catalogo");
        const QVariant v = db.scalar(QStringLiteral("SELECT sconto FROM generale"));
        if (v.userType() == QMetaType::QString || v.userType() == QMetaType::QByteArray) {
            if (!testoPercentuale(v.toString()))
                valore = v.toString();
        } else if (v.isValid() && !v.isNull() && !percentuale(v.toDouble())) {
            valore = Str(v.toDouble()).trimmed();
        }
    }
    if (valore.isNull())
        return true;
    m_messages.warning(QStringLiteral("Lo sconto del negozio") + dove + QStringLiteral(" ('") + valore +
                       QStringLiteral("') non è una percentuale da 0 a 100: scrivere nella vista Negozio, in 'Sconto "
                                      "negozio', lo sconto da applicare a tutti i prezzi (0 per nessuno) e ripetere "
                                      "l'operazione."));
    m_avanzamento.nascondi();
    return false;
}

bool Elaborazione::controllaScontoReparti()
{
    // A department's discount applies to every price of its articles, as
    // the shop's applies to all: a negative one would raise them, one
    // beyond 100 make them negative, a text would be read as no discount.
    // Such a discount stops the build before anything is written, naming
    // each department. Null is no discount.
    LetturaDiretta l(*m_stato.dbCatalogo,
                     QStringLiteral("SELECT ID, titolo, sconto FROM categorie ORDER BY livello, ordinamento"));
    QStringList reparti;
    while (l.prossima()) {
        const CellaLetta c = l.cella(2);
        const bool numero = c.tipo == SQLITE_INTEGER || c.tipo == SQLITE_FLOAT;
        const double v = c.tipo == SQLITE_INTEGER ? double(c.intero) : c.reale;
        if (c.tipo == SQLITE_NULL || (numero && percentuale(v)))
            continue;
        const QString valore = numero ? Str(v).trimmed() : l.valore(2).toString();
        reparti << u'\'' + l.testo(1) + QStringLiteral("' (") + l.testo(0) + QStringLiteral(") ('") +
                       TestoLeggibile(valore) + QStringLiteral("')");
    }
    if (reparti.isEmpty())
        return true;
    m_messages.warning((reparti.size() == 1 ? QStringLiteral("Lo sconto del reparto ") : QStringLiteral("Lo sconto dei reparti ")) +
                       elencoBreve(reparti) +
                       QStringLiteral(" non è una percentuale da 0 a 100: scrivere nella vista Reparti, in 'Sconto %', "
                                      "lo sconto da applicare ai prezzi dei suoi articoli (0 per nessuno) e ripetere "
                                      "l'operazione."));
    m_avanzamento.nascondi();
    return false;
}

bool Elaborazione::controllaCatalogo()
{
    // A catalogue without a field the build reads (damaged, or made by
    // another program) is named as such, not as a fault of the template.
    const QStringList mancanti = ColonneMancanti(*m_stato.dbCatalogo);
    if (mancanti.isEmpty())
        return true;
    m_messages.warning(QStringLiteral("Nel catalogo del negozio '") + m_stato.PercorsoNegozio +
                       QStringLiteral("/catalog.mdb' ") +
                       (mancanti.size() == 1 ? QStringLiteral("manca ") : QStringLiteral("mancano ")) +
                       mancanti.join(QStringLiteral(", ")) +
                       QStringLiteral(": il catalogo è danneggiato o non è stato creato da questo programma. "
                                      "Ripristinarne una copia di sicurezza e ripetere l'operazione."));
    m_avanzamento.nascondi();
    return false;
}

bool Elaborazione::controllaCartelle()
{
    // A file is made and removed at once: whatever the folders hold stays
    // as it is until it is replaced whole.
    for (const QString &cartella : {m_stato.CartellaPagine, m_stato.CartellaScript}) {
        // A relative path is refused below, without a file made where the
        // program runs.
        if (QDir::isRelativePath(cartella))
            continue;
        QByteArray prova;
        const int fd = Temporanei::crea(cartella, &prova);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(prova.constData());
            continue;
        }
        const QString motivo = QString::fromLocal8Bit(std::strerror(errno));
        // A folder that is there but cannot be written is not said to be missing.
        const QString perche = QFileInfo(cartella).isDir()
                                   ? QStringLiteral("' non può essere scritta (") + motivo + QStringLiteral("): ")
                                   : QStringLiteral("' non esiste: ");
        m_messages.warning(QStringLiteral("La cartella di lavoro '") + cartella + perche + crlf +
                           QStringLiteral("selezionare un'altra cartella e ripetere l'operazione"));
        m_avanzamento.nascondi();
        return false;
    }
    // The site never goes where the shop keeps its own files.
    for (const QString &cartella : {m_stato.CartellaPagine, m_stato.CartellaScript}) {
        if (const QString motivo = CartellaRiservata(cartella, m_stato.PercorsoNegozio); !motivo.isEmpty()) {
            m_messages.warning(QStringLiteral("La cartella di lavoro '") + cartella +
                               QStringLiteral("' non può accogliere il sito: ") + motivo + QStringLiteral(": ") + crlf +
                               QStringLiteral("selezionare un'altra cartella e ripetere l'operazione"));
            m_avanzamento.nascondi();
            return false;
        }
    }
    return true;
}

void Elaborazione::azzera()
{
    QFile::remove(m_stato.PercorsoNegozio + QStringLiteral("/vtftp.dat"));
    QFile::remove(percorsoLavoro());
    QFile::remove(m_stato.PercorsoNegozio + QStringLiteral("/online/asp.mdb"));
    QFile::remove(m_stato.CartellaPagine + QStringLiteral("/thankyou.tmp"));
    // What a build that was killed left half written.
    for (const QString &cartella : {m_stato.PercorsoNegozio, m_stato.CartellaPagine, m_stato.CartellaScript})
        Temporanei::rimuovi(cartella);
}

void Elaborazione::esaminaFile()
{
    // The set and the program's scripts are the program's own, wherever
    // its folders lie; the pictures and the payment systems' files must lie
    // in the shop folder. None of them is a database of the shop, whatever
    // its name.
    m_file.databaseNegozio(m_stato.PercorsoNegozio);
    m_file.esamina(CartellaSet, {});
    m_file.esamina(cartellaWork(), m_stato.PercorsoNegozio);
    const QString codiceNegozio = m_stato.PercorsoNegozio + QStringLiteral("/code");
    m_file.esamina(codiceNegozio, m_stato.PercorsoNegozio);
    const Spedizione::Pagamento pagamento = Spedizione::leggiPagamento(*m_stato.dbCatalogo);
    m_metodi.clear();
    for (const int k : pagamento.metodiAttivi()) {
        const QString &interfaccia = pagamento.metodo[k - 1];
        m_metodi.push_back({pagamento.nome[k - 1], interfaccia, NomeSemplice(interfaccia) ? interfaccia : QString()});
        if (!m_metodi.back().cartella.isEmpty())
            m_file.esamina(codiceNegozio + u'/' + interfaccia, m_stato.PercorsoNegozio);
    }

    if (!m_file.nonOrdinari().isEmpty())
        m_messages.warning(QStringLiteral("I seguenti file non sono stati usati per il sito perché non sono file "
                                          "ordinari della cartella del programma o del negozio (sono collegamenti, "
                                          "dispositivi o file di altre cartelle): ") +
                           elencoLeggibile(m_file.nonOrdinari()) + u'.');
    if (!m_file.nomiNonValidi().isEmpty())
        m_messages.warning(QStringLiteral("I seguenti file non sono stati usati per il sito perché il loro nome "
                                          "contiene un a capo, un altro carattere di controllo o byte che non sono "
                                          "testo UTF-8, che il server non accetterebbe: ") +
                           elencoLeggibile(m_file.nomiNonValidi()) + QStringLiteral(". Rinominarli."));
    if (!m_file.database().isEmpty())
        m_messages.warning(QStringLiteral("I seguenti file non sono stati usati per il sito perché sono, sotto un "
                                          "altro nome, uno dei database del negozio, che contengono anche la password "
                                          "FTP e non vanno mai pubblicati: ") +
                           elencoLeggibile(m_file.database()) + QStringLiteral(". Eliminarli."));
    if (!m_file.fileDatabase().isEmpty())
        m_messages.warning(avvisoFileDatabase(m_file.fileDatabase()));
}

void Elaborazione::fallimento()
{
    chiudiFile();
    m_messages.warning(testoCorrotto(m_stato.CartellaPagine));
    m_avanzamento.nascondi();
}

void Elaborazione::erroreImprevisto(int numero, const QString &descrizione)
{
    chiudiFile();
    m_messages.warning(QStringLiteral("Si è verificato un errore imprevisto:") + crlf + QString::number(numero) + u' ' +
                       descrizione + crlf + crlf +
                       QStringLiteral("E' possibile che il template utilizzato contenga errori di progettazione: "
                                      "provare ad utilizzare un altro template.") +
                       crlf + crlf + testoCorrotto(m_stato.CartellaPagine));
    m_avanzamento.nascondi();
}

Elaborazione::Esito Elaborazione::MakePages()
{
    m_repartiFatti = 0;
    m_raccolti = 0;
    m_elencoVetrina = QStringLiteral("<BR>");
    m_celleVetrina.clear();
    m_datiOrdine = IntestazioneDatiOrdine();
    m_prezziFuoriMisura.clear();
    m_offerteZeroReparti.clear();
    m_offerteZero.clear();
    m_ultimaPausa = -1;
    m_file = FileAmmessi{};
    leggiStato();

    if (!controllaProgramma() || !controllaPercorsoPerl() || !controllaEmailOrdini() || !controllaScontoNegozio() ||
        !controllaCatalogo() || !controllaScontoReparti() || !controllaCartelle())
        return Esito::Fallita;
    // Pages that replace older ones are swapped in, the older ones reused.
    const Make::Scorte scorte;

    try {
        esaminaFile();
        m_colori = LeggiColori(m_file, CartellaSet);
        // The departments, their navigation composed on a thread of its own
        // while the shop is reset and the rest of the catalogue read.
        Database &catalogo = *m_stato.dbCatalogo;
        auto pianificato = std::async(std::launch::async, [this, reparti = LeggiReparti(catalogo),
                                                           evidenza = ModelloEvidenzaDa(m_colori[4])]() mutable {
            return pianoReparti(std::move(reparti), evidenza);
        });
        // Each step of the reset ignores its own failure.
        azzera();
        // The upload list and a fresh work database, listed first.
        if (!m_upload.apri(m_stato.PercorsoNegozio))
            throw DbError(DbErr::Generic, QStringLiteral("Impossibile creare l'elenco dei file da trasferire."));
        QFile vuoto(m_stato.PercorsoNegozio + QStringLiteral("/source.new"));
        // It is copied into the work database, which goes to the server: a
        // link there could publish any file.
        struct stat st {};
        const bool esiste = ::lstat(QFile::encodeName(vuoto.fileName()).constData(), &st) == 0;
        // Nor another database of the shop under its name (a hard link to
        // the catalogue would publish the FTP password).
        const auto stesso = [&st](const char *nome) {
            struct stat altro {};
            return ::stat(nome, &altro) == 0 && altro.st_dev == st.st_dev && altro.st_ino == st.st_ino;
        };
        const QByteArray negozio = QFile::encodeName(m_stato.PercorsoNegozio);
        const bool collegato = esiste && (stesso((negozio + "/catalog.mdb").constData()) ||
                                          stesso((negozio + "/vtftp.mdb").constData()));
        if (!esiste || !S_ISREG(st.st_mode) || collegato) {
            // The shop is incomplete, not the template.
            m_messages.warning(QStringLiteral("Nella cartella del negozio '") + m_stato.PercorsoNegozio +
                               (collegato ? QStringLiteral("' il file 'source.new' è un altro nome di un database del "
                                                           "negozio")
                                : esiste  ? QStringLiteral("' il file 'source.new' non è un file ordinario")
                                          : QStringLiteral("' manca il file 'source.new'")) +
                               QStringLiteral(": il negozio è incompleto. "
                                              "Copiarlo da un altro negozio e ripetere l'operazione."));
            fallimento();
            return Esito::Fallita;
        }
        // Copied through the build's own writes, so that a full disk says so.
        QString errore;
        if (!vuoto.open(QIODevice::ReadOnly)) {
            m_messages.warning(QStringLiteral("Impossibile leggere il file '") + vuoto.fileName() + QStringLiteral("': ") +
                               vuoto.errorString());
            fallimento();
            return Esito::Fallita;
        }
        if (!Make::scriviFile(percorsoLavoro(), vuoto.readAll(), &errore)) {
            m_messages.warning(Make::avvisoScrittura(percorsoLavoro(), errore));
            fallimento();
            return Esito::Fallita;
        }
        m_upload.aggiungi(percorsoLavoro());

        // The catalogue, read once: the fields of the page and article rows
        // are the work database's.
        {
            auto lavoro = Database::open(percorsoLavoro());
            m_campiPagina = CampiTabella::daTabella(*lavoro, QStringLiteral("categoria"));
            m_campiArticolo = CampiTabella::daTabella(*lavoro, QStringLiteral("articoli"));
            lavoro->close();
        }
        // The variant sets; the articles are read by reparti(), a department
        // at a time.
        const Varianti varianti = Varianti::leggi(catalogo);

        // The shop-wide fields, the same on every page.
        TabelleScript tabelle;
        m_rigaNegozio = Riga(m_campiPagina);
        CampiNegozio(m_rigaNegozio, {&m_imp, &m_stato, &tabelle, &m_colori, m_IDnegozio, m_ivaCompresa});

        // The search data file.
        m_upload.aggiungi(fileRicerca());
        if (!m_ricerca.apri(fileRicerca()) || !m_ricerca.scrivi("pagina,codice,titolo,sottotitolo,immagine,ricerca\r\n")) {
            m_messages.warning(Make::avvisoScrittura(fileRicerca(), m_ricerca.errore()));
            fallimento();
            return Esito::Fallita;
        }
        // The order script's price list, written once the articles are done.
        m_upload.aggiungi(fileDatiOrdine());

        // The departments.
        PianoReparti piano = pianificato.get();
        const Navigazione &navigazione = piano.navigazione;
        DatiPagine d;
        d.navigazione = &navigazione;
        d.articolo.imp = &m_imp;
        d.articolo.stato = &m_stato;
        d.articolo.varianti = &varianti;
        d.articolo.impostaCampi(m_campiArticolo);
        d.articolo.urlNegozio = URLNegozio(m_imp);
        d.articolo.badgeNovita = badge(QStringLiteral("vtas_novita.gif"));
        d.articolo.badgeOfferta = badge(QStringLiteral("vtas_offerta.gif"));
        d.articolo.codiceInCarrello = m_codiceInCarrello;
        d.articolo.ivaCompresa = m_ivaCompresa;
        if (const auto s = NumeroDaTesto(m_imp.txtScontoNegozio); s && *s >= 0 && *s <= 100)
            d.articolo.scontoNegozio = CCur(*s);
        d.campiPagina = m_campiPagina;
        d.rigaNegozio = m_rigaNegozio;
        d.cartellaSet = CartellaSet;
        d.cartellaPagine = m_stato.CartellaPagine;
        d.livelliAperti = m_livelliAperti;
        d.percorsoReparti = m_percorsoReparti;
        d.elenco = (m_imp.chkElencoFoto | m_imp.chkElencoCodice | m_imp.chkElencoTitolo) != 0;

        QStringList isolati;
        for (int i : navigazione.Irraggiungibili())
            isolati << nomeReparto(navigazione.reparti()[size_t(i)]);
        const QString avvisoIsolati =
            isolati.isEmpty() ? QString()
                              : QStringLiteral("Nessun collegamento del negozio porta alle pagine di questi reparti, "
                                               "perché il reparto superiore manca o li contiene: ") +
                                    isolati.join(QStringLiteral(", ")) +
                                    QStringLiteral(". Spostarli sotto un altro reparto.");
        const int n = int(navigazione.reparti().size());
        m_avanzamento.intervallo(n > 0 ? n + 1 : 100);
        // How a step that did not go on ends the build.
        const auto interrotta = [this](Passo p) -> std::optional<Esito> {
            if (p == Passo::Annulla)
                return Esito::Annullata;
            if (p == Passo::Errore) {
                fallimento();
                return Esito::Fallita;
            }
            return std::nullopt;
        };
        if (const auto esito = interrotta(reparti(piano, d, varianti, avvisoIsolati)))
            return *esito;
        if (!m_prezziFuoriMisura.isEmpty())
            m_messages.warning(AvvisoConElenco(
                QStringLiteral("Il prezzo di questi articoli non è un prezzo che il negozio possa incassare: lo script "
                               "d'ordine rifiuterà ogni ordine che li contiene. Correggere prezzo, offerta, varianti, "
                               "IVA o sconto del reparto e costruire di nuovo il negozio."),
                m_prezziFuoriMisura));
        m_datiOrdine += ChiusuraDatiOrdine(m_datiOrdine);
        if (!Make::scriviFile(fileDatiOrdine(), m_datiOrdine, &errore)) {
            m_messages.warning(Make::avvisoScrittura(fileDatiOrdine(), errore));
            fallimento();
            return Esito::Fallita;
        }

        // The home page's row, then the set's other pages and the scripts,
        // all merged with it; then the resources and pictures.
        rigaHome(navigazione);
        for (const auto passo : {&Elaborazione::pagineSet, &Elaborazione::script}) {
            if (const auto esito = interrotta((this->*passo)()))
                return *esito;
        }
        m_avanzamento.valore(n > 0 ? n + 1 : 100);
        if (const auto esito = interrotta(risorse()))
            return *esito;

        // The list is complete.
        if (!m_ricerca.chiudi()) {
            m_messages.warning(Make::avvisoScrittura(fileRicerca(), m_ricerca.errore()));
            fallimento();
            return Esito::Fallita;
        }
        QString erroreLista;
        if (!m_upload.chiudi(&erroreLista)) {
            m_messages.warning(Make::avvisoScrittura(m_stato.PercorsoNegozio + QStringLiteral("/vtftp.dat"),
                                                     erroreLista));
            fallimento();
            return Esito::Fallita;
        }
        const bool vedi = domandaFinale(m_imp, m_offerteZero, m_stato, m_messages);
        m_avanzamento.nascondi();
        if (vedi)
            m_avanzamento.apriDocumento(m_stato.CartellaPagine + QStringLiteral("/index.htm"));
        return Esito::Completata;
    } catch (const DbError &e) {
        erroreImprevisto(e.number, e.description);
    } catch (const std::exception &e) {
        erroreImprevisto(DbErr::Generic, QString::fromLocal8Bit(e.what()));
    }
    return Esito::Fallita;
}

std::vector<char> Elaborazione::rifiutaReparti(const Navigazione &navigazione, const QStringList &fileSet,
                                               const std::vector<int> &pagine, QStringList *avvisi) const
{
    const std::vector<Reparto> &tutti = navigazione.reparti();
    std::vector<char> rifiutato(tutti.size(), 0);
    // Every file name of the pages folder, letter case aside (a server may
    // not tell "Index.htm" from "index.htm"): the set's own, then each
    // department's pages in build order. -1 stands for the set.
    QHash<QString, std::pair<int, QString>> presi;
    for (const QString &f : fileSet)
        presi.insert(f.toLower(), {-1, f});
    for (size_t i = 0; i < tutti.size(); ++i) {
        const Reparto &r = tutti[i];
        QString motivo;
        if (!NomePaginaValido(r.pagina))
            motivo = QStringLiteral("il nome della pagina '") + r.pagina +
                     QStringLiteral("' non è un nome di file valido: può contenere solo lettere senza accenti, "
                                    "cifre, \"-\" e \"_\"");
        else if (!NomeModelloValido(r.modello))
            motivo = QStringLiteral("il modello '") + r.modello + QStringLiteral("' non è un file del template");
        QStringList file;
        for (int p = 1; motivo.isEmpty() && p <= pagine[i]; ++p) {
            file << PageFile(r.pagina, p);
            const auto preso = presi.constFind(file.last().toLower());
            if (preso == presi.constEnd())
                continue;
            motivo = QStringLiteral("il nome della pagina '") + file.last() + QStringLiteral("' è già usato ");
            if (preso->first < 0)
                motivo += QStringLiteral("da una pagina del negozio ('") + preso->second + QStringLiteral("')");
            else
                motivo += QStringLiteral("dalla pagina '") + preso->second + QStringLiteral("' del reparto ") +
                          nomeReparto(tutti[size_t(preso->first)]);
        }
        if (!motivo.isEmpty()) {
            rifiutato[i] = 1;
            *avvisi << QStringLiteral("Le pagine del reparto ") + nomeReparto(r) +
                           QStringLiteral(" non sono state create: ") + motivo + u'.';
            continue;
        }
        for (const QString &f : file)
            presi.insert(f.toLower(), {int(i), f});
    }
    return rifiutato;
}

bool Elaborazione::pagineContese(const Navigazione &navigazione, const QStringList &fileSet) const
{
    // A department's further pages ("base_p2.htm", ...) can take a name
    // only from a file of the set or from another department's first page
    // named like them: two departments of one base meet at their first
    // pages already.
    QSet<QString> basi;
    QStringList nomi = fileSet;
    for (const Reparto &r : navigazione.reparti()) {
        basi.insert(r.pagina.toLower());
        nomi << PageFile(r.pagina, 1);
    }
    static const QRegularExpression seguente(QStringLiteral("^(.*)_p([2-9]|[1-9][0-9]+)\\.htm$"),
                                             QRegularExpression::CaseInsensitiveOption);
    for (const QString &nome : std::as_const(nomi))
        if (const auto m = seguente.match(nome); m.hasMatch() && basi.contains(m.captured(1).toLower()))
            return true;
    return false;
}

// Runs beside the main thread; of the members it reads only m_file and CartellaSet, untouched there until get().
Elaborazione::PianoReparti Elaborazione::pianoReparti(std::vector<Reparto> reparti, const QString &evidenza) const
{
    PianoReparti piano{Navigazione(std::move(reparti), evidenza), fileDelSet(), false, {}, {}, {}};
    if (!pagineContese(piano.navigazione, piano.fileSet))
        decidi(piano, std::vector<int>(piano.navigazione.reparti().size(), 1));
    return piano;
}

void Elaborazione::decidi(PianoReparti &piano, const std::vector<int> &pagine) const
{
    piano.rifiutato = rifiutaReparti(piano.navigazione, piano.fileSet, pagine, &piano.rifiuti);
    // Nothing links a refused department.
    piano.navigazione.escludi(piano.rifiutato);
    // The models are read once; one that is not a regular file of the set
    // counts as missing.
    const std::vector<Reparto> &tutti = piano.navigazione.reparti();
    for (size_t i = 0; i < tutti.size(); ++i) {
        const QString percorso = PercorsoModello(CartellaSet, tutti[i]);
        if (piano.rifiutato[i] || piano.modelli.contains(percorso))
            continue;
        const QString nome = tutti[i].modello + QStringLiteral(".htm");
        const QString file = m_file.trova(CartellaSet, nome);
        Make::Modello mancante{percorso};
        mancante.database = m_file.eDatabase(CartellaSet, nome);
        piano.modelli.insert(percorso, file.isEmpty() ? mancante : Make::leggiModello(file));
    }
    piano.deciso = true;
}

namespace {

// Leaves out of a department's articles those whose price rests on a
// number the catalogue cannot read, each named in a line.
void togliIlleggibili(ArticoliGrezzi &articoli, const Reparto &reparto, const Varianti &varianti, QStringList &righe)
{
    std::vector<int> tutte;
    if (!reparto.illeggibili.isEmpty())
        for (int a = 0; a < articoli.numero(); ++a)
            tutte.push_back(a);
    std::vector<char> via;
    for (int a : reparto.illeggibili.isEmpty() ? articoli.sospetti() : tutte) {
        const Articolo art = articoli.articolo(a);
        const QStringList motivi = MotiviIlleggibili(art, reparto, varianti);
        if (motivi.isEmpty())
            continue;
        righe << NomeArticolo(art, reparto) + QStringLiteral(": ") + motivi.join(QStringLiteral(", "));
        via.resize(size_t(articoli.numero()), 0);
        via[size_t(a)] = 1;
    }
    if (!via.empty())
        articoli.togli(via);
}

} // namespace

Elaborazione::Passo Elaborazione::reparti(PianoReparti &piano, DatiPagine &d, const Varianti &varianti,
                                          const QString &avvisoIsolati)
{
    const int threads = this->threads > 0 ? this->threads : std::max(1, QThread::idealThreadCount());
    LavoriReparti lavori(d, piano.navigazione.reparti(), threads);
    QStringList illeggibili;
    if (const Passo p = leggiArticoli(piano, d, varianti, lavori, &illeggibili); p != Passo::Avanti)
        return p;
    if (!illeggibili.isEmpty())
        m_messages.warning(AvvisoConElenco(
            QStringLiteral("Questi articoli non sono stati messi in vendita nel sito: il loro prezzo o il loro peso "
                           "dipende da un valore del catalogo che manca, che non è un numero o che è fuori misura (il "
                           "catalogo potrebbe essere danneggiato). Correggere i valori indicati e costruire di nuovo "
                           "il negozio."),
            illeggibili));
    if (!avvisoIsolati.isEmpty())
        m_messages.warning(avvisoIsolati);
    for (const QString &avviso : std::as_const(piano.rifiuti))
        m_messages.warning(avviso);
    // Only the articles the site sells: a refused department sells none.
    for (const auto &[reparto, nome] : m_offerteZeroReparti)
        if (!piano.rifiutato[reparto])
            m_offerteZero << nome;
    if (fermati())
        return Passo::Annulla;
    return raccogli(lavori, true);
}

Elaborazione::Passo Elaborazione::leggiArticoli(PianoReparti &piano, DatiPagine &d, const Varianti &varianti,
                                                LavoriReparti &lavori, QStringList *illeggibili)
{
    const std::vector<Reparto> &tutti = piano.navigazione.reparti();
    // Which departments are refused is known before their articles unless
    // the number of a department's pages can decide it: then once every
    // article is read, and the jobs start only then.
    const bool subito = piano.deciso;
    d.modelli = piano.modelli;
    // In build order: the jobs end about in that order, and their results
    // are taken while the next departments are read.
    std::vector<std::shared_ptr<const ArticoliGrezzi>> attesa;
    const auto avvia = [&](size_t i, std::shared_ptr<const ArticoliGrezzi> articoli) {
        if (piano.rifiutato[i])
            lavori.salta(i);
        else
            lavori.avvia(i, std::move(articoli));
    };
    LettoreArticoli lettore(*m_stato.dbCatalogo, varianti);
    for (size_t i = 0; i < tutti.size(); ++i) {
        if (fermati())
            return Passo::Annulla;
        ArticoliGrezzi articoli = lettore.leggi(tutti[i].ID);
        togliIlleggibili(articoli, tutti[i], varianti, *illeggibili);
        for (int a : articoli.offerteZero())
            m_offerteZeroReparti.push_back({i, NomeArticolo(articoli.articolo(a), tutti[i])});
        auto letti = std::make_shared<const ArticoliGrezzi>(std::move(articoli));
        if (!subito) {
            attesa.push_back(std::move(letti));
            continue;
        }
        avvia(i, std::move(letti));
        if (const Passo p = raccogli(lavori, false); p != Passo::Avanti)
            return p;
    }
    if (!subito) {
        std::vector<int> pagine(tutti.size());
        for (size_t i = 0; i < tutti.size(); ++i)
            pagine[i] = NumeroPagine(tutti[i], attesa[i]->numero());
        decidi(piano, pagine);
        d.modelli = piano.modelli;
        for (size_t i = 0; i < tutti.size(); ++i)
            avvia(i, std::move(attesa[i]));
    }
    return Passo::Avanti;
}

Elaborazione::Passo Elaborazione::raccogli(LavoriReparti &lavori, bool attendi)
{
    for (; m_raccolti < lavori.numero(); ++m_raccolti) {
        // Without waiting only what went through is taken: a department
        // that stopped is told of after the warnings about the catalogue.
        if (!attendi && !lavori.riuscito(m_raccolti))
            return Passo::Avanti;
        std::optional<RisultatoReparto> r;
        while (!(r = lavori.prendi(m_raccolti, intervalloEventi))) {
            if (fermati()) {
                lavori.ferma();
                return Passo::Annulla;
            }
        }
        if (fermati() || r->annullato) {
            lavori.ferma();
            return Passo::Annulla;
        }
        if (r->errore) {
            lavori.ferma();
            if (!r->avviso.isEmpty())
                m_messages.warning(r->avviso);
            return Passo::Errore;
        }
        for (const QString &f : r->file)
            m_upload.aggiungi(NoASPQuery(f));
        m_elencoVetrina += r->elencoVetrina;
        m_datiOrdine += r->datiOrdine;
        m_prezziFuoriMisura += r->prezziFuoriMisura;
        m_celleVetrina += r->celle;
        if (!m_ricerca.scrivi(r->ricerca)) {
            lavori.ferma();
            m_messages.warning(Make::avvisoScrittura(fileRicerca(), m_ricerca.errore()));
            return Passo::Errore;
        }
        m_avanzamento.valore(++m_repartiFatti);
    }
    return Passo::Avanti;
}

void Elaborazione::rigaHome(const Navigazione &navigazione)
{
    // The tree of the home page shows the departments above the open depth.
    QString albero, opzioni;
    navigazione.Menu(-1, navigazione.Visibili(-1, m_livelliAperti), albero, opzioni);

    m_rigaHome = m_rigaNegozio;
    m_rigaHome.imposta(u"vetrina", TabellaVetrina(m_celleVetrina, m_colonneVetrina));
    m_rigaHome.imposta(u"elenco", m_elencoVetrina);
    m_rigaHome.imposta(u"reparti", albero);
    m_rigaHome.imposta(u"repartimenu", FormMenu(opzioni, true));
}

Elaborazione::Passo Elaborazione::risorse()
{
    // The set's resources, then every picture of the shop, as esaminaFile()
    // found them. A file the build wrote itself is never replaced by one of
    // the same name: the site keeps the page or script the build made.
    const QString work = cartellaWork();
    const QSet<QString> costruiti = m_upload.elencati();
    QStringList sostituti, database;
    for (const QString &cartella : {CartellaSet, work}) {
        for (const QString &nome : m_file.elenco(cartella)) {
            if (fermati())
                return Passo::Annulla;
            if (cartella == CartellaSet && RisorsaEsclusa(nome))
                continue;
            const QString dest = m_stato.CartellaPagine + u'/' + nome;
            if (costruiti.contains(dest.toLower())) {
                sostituti << cartella + u'/' + nome;
                continue;
            }
            QString errore;
            bool eDatabase = false;
            if (!CopiaFileRisorsa(cartella + u'/' + nome, dest, &errore, &eDatabase)) {
                if (eDatabase) {
                    database << cartella + u'/' + nome;
                    continue;
                }
                m_messages.warning(QStringLiteral("Impossibile copiare il file '") + cartella + u'/' + nome +
                                   QStringLiteral("' in '") + dest + QStringLiteral("': ") + errore);
                return Passo::Errore;
            }
            m_upload.aggiungi(dest);
        }
    }
    if (!sostituti.isEmpty())
        m_messages.warning(QStringLiteral("I seguenti file non sono stati copiati nel sito perché hanno il nome di un "
                                          "file che il programma crea, che resta quello del programma: ") +
                           elencoLeggibile(sostituti) + QStringLiteral(". Rinominarli."));
    if (!database.isEmpty())
        m_messages.warning(avvisoFileDatabase(database));
    return Passo::Avanti;
}
