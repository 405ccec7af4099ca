#pragma once
// The pages of one department: its page rows and article rows, each page
// merged once in memory, the article index filled in by the list pass, and
// every page written complete under its own name. A job reads only what
// DatiPagine holds, so that departments are built on several threads at once.
#include "articoli.h"
#include "catalogosito.h"
#include "make.h"
#include "navigazione.h"
#include "riga.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>

// What every department page of one build shares; read-only while the
// pages are built.
struct DatiPagine {
    const Navigazione *navigazione = nullptr;
    const ArticoliCatalogo *articoli = nullptr;
    ContestoArticoli articolo;
    std::shared_ptr<const CampiTabella> campiPagina;
    Riga rigaNegozio;  // a page row holding the shop-wide fields
    QHash<QString, Make::Modello> modelli;  // by path: set folder / model name ".htm"
    QString cartellaSet, cartellaPagine;
    int livelliAperti = 1;
    bool percorsoReparti = false;
    bool elenco = false;  // the department index is shown

    QString percorsoModello(const Reparto &r) const;
};

// What a department leaves for the rest of the build.
struct RisultatoReparto {
    bool annullato = false;
    bool errore = false;
    QString avviso;       // the warning of a failure, if any
    QStringList file;     // the pages written, in order
    QString elencoVetrina;  // its entries in the home page's showcase index
    QStringList celle;    // its showcase cells
    QByteArray ricerca;   // its lines of the search data
    QList<RigaDatiOrdine> ordine;  // its lines of the order script's price list
    QStringList prezziFuoriMisura;  // its articles whose price is no price, with why
};

// How many pages the department gets: its articles by its page size, at least one.
int NumeroPagine(const DatiPagine &dati, const Reparto &reparto);

RisultatoReparto CostruisciReparto(const DatiPagine &dati, const Reparto &reparto, const std::atomic<bool> &annulla);
