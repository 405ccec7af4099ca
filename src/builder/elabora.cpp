#include "elabora.h"

#include "articoli.h"
#include "formato.h"
#include "make.h"
#include "messages.h"
#include "numeri.h"
#include "programfolder.h"
#include "recordset.h"
#include "shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// How often the build lets the window system run.
constexpr qint64 intervalloEventi = 30;

} // namespace

Elaborazione::Elaborazione(ShopState &stato, const Impostazioni &impostazioni, Messages &messages)
    : CartellaSet(ProgramFolder::path() + u'/' + stato.CartellaTemplate), m_stato(stato), m_imp(impostazioni),
      m_messages(messages)
{
    apriDocumento = [](const QString &d) { return Shell::apriDocumento(d); };
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
    return m_stato.CartellaScript + QStringLiteral("/search") + IDnegozio + QStringLiteral(".csv");
}

void Elaborazione::chiudiFile()
{
    m_upload.scarta();
    if (m_ricerca.isOpen())
        m_ricerca.close();
}

void Elaborazione::salvaRigaPagina(Recordset &pagina)
{
    // The FTP credentials never reach a generated page, whatever filled the row.
    pagina.setValue(QStringLiteral("username"), QString());
    pagina.setValue(QStringLiteral("password"), QString());
    pagina.update();
}

bool Elaborazione::fermati()
{
    if (!m_ultimaPausa.isValid() || m_ultimaPausa.elapsed() >= intervalloEventi) {
        if (elaboraEventi)
            elaboraEventi();
        m_ultimaPausa.restart();
    }
    return annulla;
}


bool Elaborazione::unisci(const QString &modello, const QString &uscita, bool ripeti)
{
    if (!MakePagina(percorsoLavoro(), modello, uscita, ripeti, m_messages))
        return false;
    m_upload.aggiungi(NoASPQuery(uscita));
    return true;
}

void Elaborazione::leggiStato()
{
    int celle = CInt(Val(m_imp.cboVetrina));
    ColonneVetrina = celle < 1 ? 3 : (celle > 10 ? 10 : celle);
    FattoreNegozio = 1;
    if (const auto s = NumeroDaTesto(m_imp.txtScontoNegozio); s && *s >= 0 && *s <= 100)
        FattoreNegozio = float((100 - *s) / 100);
    IDnegozio = CodiceSito(m_imp);
    CodiceInCarrello = m_imp.chkCodInCart > 0;
    IvaCompresa = m_imp.chkIvaCompresa > 0;
    LivelliAperti = CInt(Val(m_imp.cboLivelli) + 1);
    PercorsoReparti = m_imp.chkPercRep > 0;
}

bool Elaborazione::controllaCartelle()
{
    const QString nome = QStringLiteral("/search") + IDnegozio + QStringLiteral(".csv");
    for (const QString &cartella : {m_stato.CartellaPagine, m_stato.CartellaScript}) {
        QFile f(cartella + nome);
        if (!f.open(QIODevice::WriteOnly)) {
            m_messages.warning(QStringLiteral("La cartella di lavoro '") + cartella + QStringLiteral("' non esiste: ") +
                               crlf + QStringLiteral("selezionare un'altra cartella e ripetere l'operazione"));
            if (nascondi)
                nascondi();
            return false;
        }
    }
    return true;
}

void Elaborazione::azzera()
{
    QFile::remove(m_stato.PercorsoNegozio + QStringLiteral("/vtftp.dat"));
    QFile::remove(m_stato.PercorsoNegozio + u'/' + ListaUpload::nomeTemporaneo());
    QFile::remove(m_stato.CartellaPagine + QStringLiteral("/search") + IDnegozio + QStringLiteral(".csv"));
    Colori = LeggiColori(CartellaSet);
    m_lavoro.reset();
    QFile::remove(percorsoLavoro());
    QFile::remove(m_stato.PercorsoNegozio + QStringLiteral("/online/asp.mdb"));
}

void Elaborazione::fallimento()
{
    chiudiFile();
    m_messages.warning(testoCorrotto(m_stato.CartellaPagine));
    if (nascondi)
        nascondi();
}

void Elaborazione::erroreImprevisto(int numero, const QString &descrizione)
{
    chiudiFile();
    m_messages.warning(QStringLiteral("Si è verificato un errore imprevisto:") + crlf + QString::number(numero) + u' ' +
                       descrizione + crlf + crlf +
                       QStringLiteral("E' possibile che il template utilizzato contenga errori di progettazione: "
                                      "provare ad utilizzare un altro template.") +
                       crlf + crlf + testoCorrotto(m_stato.CartellaPagine));
    if (nascondi)
        nascondi();
}

Elaborazione::Esito Elaborazione::MakePages()
{
    // Phase 1: the build state. The cancel flag belongs to the window: a
    // cancel that came before the first test still stops the build there.
    RepartiFatti = 0;
    ElencoVetrina = QStringLiteral("<BR>");
    CelleVetrina = QStringList{QString()};
    NumeroCelle = 0;
    m_repartoPrezzi.clear();
    leggiStato();
    m_tabelle.azzera();

    // Phase 2: the output folders must take a file.
    if (!controllaCartelle())
        return Esito::Fallita;

    // Phase 3: reset, each step ignoring its own failure.
    azzera();
    TuttiReparti.reset();

    try {
        // Phase 4: upload list and a fresh work database.
        if (!m_upload.apri(m_stato.PercorsoNegozio))
            throw DbError(DbErr::Generic, QStringLiteral("Impossibile creare l'elenco dei file da trasferire."));
        if (!QFile::copy(m_stato.PercorsoNegozio + QStringLiteral("/source.new"), percorsoLavoro()))
            throw DbError(DbErr::FileNotFound,
                          QStringLiteral("Impossibile copiare '%1'.").arg(m_stato.PercorsoNegozio + "/source.new"));
        QFile::setPermissions(percorsoLavoro(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        m_upload.aggiungi(percorsoLavoro());

        // Phase 5: the work database and every department, read once.
        m_lavoro = Database::open(percorsoLavoro());
        setScratchMode(*m_lavoro);
        TuttiReparti = std::make_unique<Navigazione>(*m_stato.dbCatalogo);
        TuttiReparti->setModelloEvidenza(ModelloEvidenzaDa(Colori[4]));

        // Phase 6: the search data file.
        m_upload.aggiungi(fileRicerca());
        m_ricerca.setFileName(fileRicerca());
        if (!m_ricerca.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw DbError(DbErr::Generic, QStringLiteral("Impossibile creare il file '%1'.").arg(fileRicerca()));
        m_ricerca.write("pagina,codice,titolo,sottotitolo,immagine,ricerca\r\n");

        // Phase 7 and 8: the departments.
        const int n = int(TuttiReparti->reparti().size());
        if (impostaBarra)
            impostaBarra(0, n > 0 ? n + 1 : 100);
        for (const Reparto &r : TuttiReparti->reparti()) {
            const Passo p = reparto(r);
            if (p == Passo::Annulla)
                return Esito::Annullata;
            if (p == Passo::Errore) {
                fallimento();
                return Esito::Fallita;
            }
        }

        // Phases 9 to 11: later parts of the builder.
        if (!MakeHome() || !MakePagineTemplate() || !MakeScript()) {
            if (annulla)
                return Esito::Annullata;
            fallimento();
            return Esito::Fallita;
        }
        if (annulla)
            return Esito::Annullata;
        if (valoreBarra)
            valoreBarra(n > 0 ? n + 1 : 100);

        // Phase 13: resources and pictures.
        if (copiaRisorse() == Passo::Annulla)
            return Esito::Annullata;

        // Phase 14: the list is complete.
        m_ricerca.close();
        if (!m_upload.chiudi())
            throw DbError(DbErr::Generic, QStringLiteral("Impossibile scrivere l'elenco dei file da trasferire."));
        m_lavoro.reset();
        const bool vedi = m_messages.question(QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?"));
        if (nascondi)
            nascondi();
        if (vedi && apriDocumento)
            apriDocumento(m_stato.CartellaPagine + QStringLiteral("/index.htm"));
        return Esito::Completata;
    } catch (const DbError &e) {
        erroreImprevisto(e.number, e.description);
    } catch (const std::exception &e) {
        erroreImprevisto(DbErr::Generic, QString::fromLocal8Bit(e.what()));
    }
    return Esito::Fallita;
}

Elaborazione::Passo Elaborazione::reparto(const Reparto &r)
{
    if (fermati())
        return Passo::Annulla;
    QStringList pagine{QString()};  // entry 0 is never used
    ElencoReparto.clear();

    QString percorso, sottoreparti;
    if (PercorsoReparti) {
        percorso = TuttiReparti->MakePercorsoTitolo(r.ID);
        sottoreparti = TuttiReparti->MakeSottoreparti(r.ID);
    }

    Recordset articoli(m_stato.dbCatalogo,
                       QStringLiteral("SELECT * FROM articoli WHERE fuoricatalogo=0 AND catID=? ORDER BY ordinamento"),
                       {r.ID});
    const int nArticoli = articoli.recordCount();
    MaxArticoli = r.maxarticoli < 1 ? 32000 : r.maxarticoli;
    const int nPagine = nArticoli == 0 ? 1 : (nArticoli - 1) / MaxArticoli + 1;

    // The tree shows the open levels and the branch of this department; the
    // menu shows every department.
    const QSet<QString> visibili = TuttiReparti->InsiemeMenu(r.ID, LivelliAperti);
    if (fermati())
        return Passo::Annulla;
    QString albero, opzioni;
    TuttiReparti->Menu(r.ID, visibili, albero, opzioni);
    const QString menu = QStringLiteral("<form name=\"vtReparti\">") + crlf +
                         QStringLiteral("<select name=\"vtRepartiMenu\" onChange=\"RepGoTo()\">") + crlf + opzioni +
                         QStringLiteral("</select>") + crlf + QStringLiteral("</form>");

    // The department's picture, beside the pages: width and height are
    // written together, or neither when one is missing.
    const QString immagine = TagImmagine(r.immagine0, r.imgX0, r.imgY0);
    const QString note = CampoHTML(r.note), descrizione = CampoHTML(r.descrizione);
    const QString titolo = percorso + r.titolo + sottoreparti;
    const QString modello = CartellaSet + u'/' + r.modello + QStringLiteral(".htm");
    const QString urlNegozio = URLNegozio(m_imp);

    if (nArticoli > 0)
        articoli.moveFirst();
    for (int p = 1; p <= nPagine; ++p) {
        if (fermati())
            return Passo::Annulla;
        QString sottopagine;
        if (nPagine > 1) {
            for (int k = 1; k <= nPagine; ++k) {
                if (fermati())
                    return Passo::Annulla;
                if (k > 1)
                    sottopagine += QStringLiteral(" - ");
                const QString etichetta = Format(k, QStringLiteral("#####"));
                sottopagine += k != p ? MettiVirgolette(QStringLiteral("<a href=|") + PageFile(r.pagina, k) +
                                                        QStringLiteral("|>") + etichetta + QStringLiteral("</a>"))
                                      : QStringLiteral("<B>") + etichetta + QStringLiteral("</B>");
            }
        }
        FilePagina = PageFile(r.pagina, p);
        URLPagina = urlNegozio + u'/' + FilePagina;

        // One transaction per page: the page row and its article rows.
        {
            Transazione t(*m_lavoro);
            m_lavoro->execute(QStringLiteral("DELETE FROM categoria"));
            m_lavoro->execute(QStringLiteral("DELETE FROM articoli"));
            Recordset riga(m_lavoro, QStringLiteral("SELECT * FROM articoli"));
            for (int a = 0; a < MaxArticoli && !articoli.eof() && nArticoli > 0; ++a) {
                if (fermati())
                    return Passo::Annulla;  // the page's rows are undone
                // Articles are numbered from 1 on every page.
                riga.addNew();
                ScriviArticoli(r, articoli, riga, a + 1);
                riga.update();
                articoli.moveNext();
            }

            Recordset pagina(m_lavoro, QStringLiteral("SELECT * FROM categoria"));
            pagina.addNew();
            pagina.setValue(QStringLiteral("sottopagine"), sottopagine);
            pagina.setValue(QStringLiteral("titolo"), titolo);
            pagina.setValue(QStringLiteral("note"), note);
            pagina.setValue(QStringLiteral("descrizione"), descrizione);
            pagina.setValue(QStringLiteral("immagine"), immagine);
            pagina.setValue(QStringLiteral("reparti"), albero);
            pagina.setValue(QStringLiteral("repartimenu"), menu);
            // The article index is filled in by the list pass.
            pagina.setValue(QStringLiteral("elenco"), QStringLiteral("<<1-elenco>>"));
            CampiNegozio(pagina);
            salvaRigaPagina(pagina);
            t.commit();
        }

        pagine << m_stato.CartellaPagine + u'/' + FilePagina;
        if (!unisci(modello, pagine.last(), true))
            return Passo::Errore;
    }

    // The list pass: the index is complete only now.
    const bool elenco = (m_imp.chkElencoFoto | m_imp.chkElencoCodice | m_imp.chkElencoTitolo) != 0;
    m_lavoro->execute(QStringLiteral("UPDATE categoria SET elenco=?"), {elenco ? ElencoReparto : QString()});
    for (int i = 1; i < pagine.size(); ++i) {
        if (fermati())
            return Passo::Annulla;
        if (!MakePagina(percorsoLavoro(), pagine[i], pagine[i], false, m_messages))
            return Passo::Errore;
    }
    ++RepartiFatti;
    if (valoreBarra)
        valoreBarra(RepartiFatti);
    return Passo::Avanti;
}

Elaborazione::Passo Elaborazione::copiaRisorse()
{
    for (const QString &nome : FileCartella(CartellaSet)) {
        if (fermati())
            return Passo::Annulla;
        if (RisorsaEsclusa(nome))
            continue;
        const QString dest = m_stato.CartellaPagine + u'/' + nome;
        CopiaFileRisorsa(CartellaSet + u'/' + nome, dest);
        m_upload.aggiungi(dest);
    }
    const QString work = m_stato.PercorsoNegozio + QStringLiteral("/work");
    for (const QString &nome : FileCartella(work)) {
        if (fermati())
            return Passo::Annulla;
        const QString dest = m_stato.CartellaPagine + u'/' + nome;
        CopiaFileRisorsa(work + u'/' + nome, dest);
        m_upload.aggiungi(dest);
    }
    return Passo::Avanti;
}
