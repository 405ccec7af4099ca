#pragma once
// The pages of one department: its page rows and article rows, each page
// merged once in memory, the article index filled in by the list pass, and
// every page written complete under its own name, with the department's
// lines of the search data and of the order script's price list. A job reads
// only what DatiPagine holds and the department's own articles, so that
// departments are built on several threads at once.
#include "articoli.h"
#include "catalogosito.h"
#include "make.h"
#include "navigazione.h"
#include "riga.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QWaitCondition>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

// What every department page of one build shares; read-only while the
// pages are built.
struct DatiPagine {
    const Navigazione *navigazione = nullptr;
    ContestoArticoli articolo;
    std::shared_ptr<const CampiTabella> campiPagina;
    Riga rigaNegozio;  // a page row holding the shop-wide fields
    QHash<QString, Make::Modello> modelli;  // by path, PercorsoModello
    QString cartellaSet, cartellaPagine;
    int livelliAperti = 1;
    bool percorsoReparti = false;
    bool elenco = false;  // the department index is shown
};

// The path of the department's model in the template set's folder: set
// folder / model name ".htm".
QString PercorsoModello(const QString &cartellaSet, const Reparto &reparto);

// What a department leaves for the rest of the build.
struct RisultatoReparto {
    bool annullato = false;
    bool errore = false;
    QString avviso;       // the warning of a failure, if any
    QStringList file;     // the pages written, in order
    // Their bytes, put in place by LavoriReparti in build order; those not
    // put in place are dropped with the result.
    std::vector<Make::FilePronto> pronti;
    QString elencoVetrina;  // its entries in the home page's showcase index
    QStringList celle;    // its showcase cells
    QByteArray ricerca;   // its lines of the search data
    QByteArray datiOrdine;  // its lines of the order script's price list
    QStringList prezziFuoriMisura;  // its articles whose price is no price, with why
};

// How many pages the department gets: its articles by its page size, at least one.
int NumeroPagine(const Reparto &reparto, int articoli);

RisultatoReparto CostruisciReparto(const DatiPagine &dati, const Reparto &reparto, const ArticoliGrezzi &articoli,
                                   const std::atomic<bool> &annulla);

// The department jobs of one build, run on a pool of threads as they are
// started, their results taken in any order. Every department gets a job
// or is skipped before its result is taken. The pages of a result are put
// in place on the pool once every department before it went through, up
// to the first result that failed or was cancelled (its own pages up to its
// failure included): the pages folder then holds what a build on one
// thread leaves.
class LavoriReparti {
public:
    LavoriReparti(const DatiPagine &dati, const std::vector<Reparto> &reparti, int threads);
    ~LavoriReparti();
    LavoriReparti(const LavoriReparti &) = delete;
    LavoriReparti &operator=(const LavoriReparti &) = delete;

    // The job of department i, on its articles.
    void avvia(size_t i, std::shared_ptr<const ArticoliGrezzi> articoli);
    // Department i gets no job: an empty result.
    void salta(size_t i);
    // The jobs not yet done stop (their results say so); returns once
    // none runs.
    void ferma();
    // The result of department i once it is there and its pages are in
    // place; nullopt when it is not there within the time given. A failure
    // to put a page in place is the result's.
    std::optional<RisultatoReparto> prendi(size_t i, int millisecondi);
    // Whether the result of department i is there with its pages in place,
    // and went through.
    bool riuscito(size_t i);
    size_t numero() const { return m_risultati.size(); }

private:
    void metti(size_t i, RisultatoReparto r);
    // Moves the front past the results that are there, up to one that
    // failed or was cancelled, and puts their pages in place one result
    // after the other.
    void avanza();
    const DatiPagine &m_dati;
    const std::vector<Reparto> &m_reparti;
    std::vector<std::optional<RisultatoReparto>> m_risultati;
    std::vector<char> m_messo;  // the result's pages are in place
    size_t m_fronte = 0;      // the first result the front has not passed
    bool m_fermo = false;     // a result failed: the front stops after it
    bool m_mettendo = false;  // a thread is putting pages in place
    std::atomic<bool> m_annulla{false};
    QMutex m_mutex;
    QWaitCondition m_pronto;
    QThreadPool m_pool;
};
