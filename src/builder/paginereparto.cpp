#include "paginereparto.h"

#include "formato.h"
#include "frammenti.h"
#include "numeri.h"

#include <QDeadlineTimer>
#include <mutex>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <vector>

QString PercorsoModello(const QString &cartellaSet, const Reparto &reparto)
{
    return cartellaSet + u'/' + reparto.modello + QStringLiteral(".htm");
}

namespace {

// The links to the department's other pages; "" for a single page.
QString sottopagine(const QString &base, int pagina, int pagine)
{
    if (pagine <= 1)
        return {};
    QString t;
    for (int k = 1; k <= pagine; ++k) {
        if (k > 1)
            t += QStringLiteral(" - ");
        const QString etichetta = Format(k, QStringLiteral("#####"));
        t += k != pagina ? QStringLiteral("<a href=\"") + ValoreAttributo(PageFile(base, k)) + QStringLiteral("\">") +
                               etichetta + QStringLiteral("</a>")
                         : QStringLiteral("<B>") + etichetta + QStringLiteral("</B>");
    }
    return t;
}

} // namespace

namespace {

int articoliPerPagina(const Reparto &r)
{
    return r.maxarticoli < 1 ? 32000 : r.maxarticoli;
}

} // namespace

int NumeroPagine(const Reparto &r, int articoli)
{
    return articoli == 0 ? 1 : (articoli - 1) / articoliPerPagina(r) + 1;
}

RisultatoReparto CostruisciReparto(const DatiPagine &d, const Reparto &r, const ArticoliGrezzi &articoli,
                                   const std::atomic<bool> &annulla)
{
    RisultatoReparto esito;
    const Navigazione &nav = *d.navigazione;
    const int nArticoli = articoli.numero();
    const int maxArticoli = articoliPerPagina(r);
    const int nPagine = NumeroPagine(r, nArticoli);

    const QString percorsoModello = PercorsoModello(d.cartellaSet, r);
    const auto modello = d.modelli.constFind(percorsoModello);
    if (modello == d.modelli.constEnd() || !modello->trovato) {
        esito.errore = true;
        esito.avviso = modello == d.modelli.constEnd() ? Make::Modello{percorsoModello}.avvisoMancante()
                                                       : modello->avvisoMancante();
        return esito;
    }

    // The fields every page of the department shares.
    Riga base = d.rigaNegozio;
    {
        QString percorso, sotto;
        if (d.percorsoReparti) {
            percorso = nav.MakePercorsoTitolo(r.ID);
            sotto = nav.MakeSottoreparti(r.ID);
        }
        // The tree shows the open levels and the branch of this department;
        // the menu shows every department.
        QString albero, opzioni;
        const int riga = int(&r - nav.reparti().data());
        nav.Menu(riga, nav.Visibili(riga, d.livelliAperti), albero, opzioni);
        base.imposta(u"titolo", percorso + r.titolo + sotto);
        base.imposta(u"note", CampoHTML(r.note));
        base.imposta(u"descrizione", CampoHTML(r.descrizione));
        // The department's picture, beside the pages.
        base.imposta(u"immagine", TagImmagine(r.immagine0, r.imgX0, r.imgY0));
        base.imposta(u"reparti", albero);
        base.imposta(u"repartimenu", FormMenu(opzioni, false));
        // The article index is filled in by the list pass.
        base.imposta(u"elenco", QStringLiteral("<<1-elenco>>"));
        base.imposta(u"username", QString());
        base.imposta(u"password", QString());
    }

    struct Pagina {
        QString file;
        QString testo;
    };
    std::vector<Pagina> pagine;
    pagine.reserve(size_t(nPagine));
    QString elencoReparto;
    QStringList righeRicerca;
    const bool livello3Modello = Make::conLivello3(percorsoModello);
    // A long page stops soon after a cancel too.
    const Make::Interruzione interrompi = [&annulla] { return annulla.load(std::memory_order_relaxed); };
    // Whether a merge went through; if not, the result says why the
    // department stops.
    const auto unito = [&esito](Make::Esito e) {
        esito.annullato = e == Make::Esito::Annullato;
        esito.errore = e == Make::Esito::Fallito;
        return e == Make::Esito::Fatto;
    };

    // The row of the page merged last: the list pass merges with it.
    Riga ultima = base;
    int prossimo = 0;
    for (int p = 1; p <= nPagine; ++p) {
        if (annulla.load(std::memory_order_relaxed)) {
            esito.annullato = true;
            return esito;
        }
        const QString filePagina = PageFile(r.pagina, p);
        const QString urlPagina = d.articolo.urlNegozio + u'/' + filePagina;

        std::vector<Riga> righe;
        const int fine = std::min(nArticoli, prossimo + maxArticoli);
        righe.reserve(size_t(fine - prossimo));
        for (int a = prossimo; a < fine; ++a) {
            // A page of thousands of articles still stops soon after a cancel.
            if ((a & 255) == 255 && annulla.load(std::memory_order_relaxed)) {
                esito.annullato = true;
                return esito;
            }
            // Articles are numbered from 1 on every page.
            VoceArticolo v = ScriviArticolo(d.articolo, r, articoli.articolo(a), filePagina, urlPagina, maxArticoli,
                                            a - prossimo + 1);
            elencoReparto += v.voceElenco;
            if (v.inVetrina) {
                esito.elencoVetrina += v.voceElenco;
                esito.celle << v.cellaVetrina;
            }
            righeRicerca << v.rigaRicerca;
            if (!v.prezzoFuoriMisura.isEmpty())
                esito.prezziFuoriMisura << v.prezzoFuoriMisura;
            AggiungiDatiOrdine(esito.datiOrdine, v.ordine, *d.articolo.stato);
            righe.push_back(std::move(v.riga));
        }
        prossimo = fine;

        ultima = base;
        ultima.imposta(u"sottopagine", sottopagine(r.pagina, p, nPagine));
        QString testo = modello->file.testo;
        if (!unito(Make::unisci(testo, ultima, &righe, livello3Modello, percorsoModello, esito.avviso, interrompi)))
            return esito;
        testo += QStringLiteral("\r\n");
        pagine.push_back({d.cartellaPagine + u'/' + filePagina, std::move(testo)});
    }

    // The list pass: the index is complete only now. Each page is written
    // once, complete, and put in place once every department before this one
    // went through (LavoriReparti). The level-1 tags still in a page (the index, and those
    // an article's own text brought in) take the last page's row.
    Riga &conElenco = ultima;
    conElenco.imposta(u"elenco", d.elenco ? elencoReparto : QString());
    for (Pagina &p : pagine) {
        if (annulla.load(std::memory_order_relaxed)) {
            esito.annullato = true;
            return esito;
        }
        Make::aggiungiGeneratore(p.testo);
        if (!unito(Make::unisci(p.testo, conElenco, nullptr, Make::conLivello3(p.file), p.file, esito.avviso,
                                interrompi)))
            return esito;
        p.testo += QStringLiteral("\r\n");
        Make::FilePronto pronto;
        if (!pronto.prepara(p.file, modello->codifica(p.testo))) {
            esito.errore = true;
            esito.avviso = Make::avvisoScrittura(p.file, pronto.errore());
            return esito;
        }
        esito.pronti.push_back(std::move(pronto));
        esito.file << p.file;
    }
    esito.ricerca = righeRicerca.join(QString()).toUtf8();
    return esito;
}

namespace {

// The texts of a page take a few hundred kilobytes each. The allocator
// maps such blocks on their own and gives them back when freed, raising its
// limits only as it sees them freed, one thread at a time: for every page on
// every thread the memory would be mapped or faulted in again, and each time
// the other processors warned. Its limits are set at once to the highest
// it would reach by itself (blocks of up to 32 MB taken from its heaps,
// which give back what they hold free above 64 MB), for the rest of the
// process, as it would keep them.
void limitiMemoria()
{
#ifdef __GLIBC__
    static std::once_flag fatto;
    std::call_once(fatto, [] {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    });
#endif
}

} // namespace

LavoriReparti::LavoriReparti(const DatiPagine &dati, const std::vector<Reparto> &reparti, int threads)
    : m_dati(dati), m_reparti(reparti), m_risultati(reparti.size()), m_messo(reparti.size(), 0)
{
    m_pool.setMaxThreadCount(threads);
    limitiMemoria();
}

LavoriReparti::~LavoriReparti()
{
    ferma();
}

void LavoriReparti::avvia(size_t i, std::shared_ptr<const ArticoliGrezzi> articoli)
{
    // The articles go with the job, and are freed once it is done.
    m_pool.start([this, i, articoli = std::move(articoli)] {
        RisultatoReparto r;
        if (m_annulla.load())
            r.annullato = true;
        else
            r = CostruisciReparto(m_dati, m_reparti[i], *articoli, m_annulla);
        metti(i, std::move(r));
    });
}

void LavoriReparti::salta(size_t i)
{
    // On the pool: the pages after it may be put in place by the same call.
    m_pool.start([this, i] { metti(i, {}); });
}

void LavoriReparti::metti(size_t i, RisultatoReparto r)
{
    {
        QMutexLocker lock(&m_mutex);
        m_risultati[i] = std::move(r);
    }
    avanza();
}

void LavoriReparti::avanza()
{
    // One thread at a time puts pages in place, in build order; a result
    // that comes meanwhile is taken by that thread before it ends. A page
    // that cannot be put in place stops the front as a failed result does.
    QMutexLocker lock(&m_mutex);
    if (m_mettendo)
        return;
    m_mettendo = true;
    while (!m_fermo && m_fronte < m_risultati.size() && m_risultati[m_fronte]) {
        const size_t i = m_fronte++;
        // Nobody else touches the result until it is marked as in place.
        RisultatoReparto &r = *m_risultati[i];
        lock.unlock();
        for (Make::FilePronto &pagina : r.pronti) {
            if (r.annullato || r.errore)
                break;
            if (!pagina.metti()) {
                r.errore = true;
                r.avviso = Make::avvisoScrittura(pagina.percorso(), pagina.errore());
            }
        }
        r.pronti.clear();
        lock.relock();
        m_fermo = r.errore || r.annullato;
        m_messo[i] = 1;
        m_pronto.wakeAll();
    }
    m_mettendo = false;
}

void LavoriReparti::ferma()
{
    m_annulla.store(true);
    m_pool.waitForDone();
}

bool LavoriReparti::riuscito(size_t i)
{
    QMutexLocker lock(&m_mutex);
    return m_messo[i] && m_risultati[i] && !m_risultati[i]->annullato && !m_risultati[i]->errore;
}

std::optional<RisultatoReparto> LavoriReparti::prendi(size_t i, int millisecondi)
{
    QMutexLocker lock(&m_mutex);
    QDeadlineTimer scadenza(millisecondi);
    while (!m_messo[i] || !m_risultati[i]) {
        if (!m_pronto.wait(&m_mutex, scadenza))
            return std::nullopt;
    }
    std::optional<RisultatoReparto> r = std::move(m_risultati[i]);
    m_risultati[i].reset();
    return r;
}
