#pragma once
// The article rows of a department page: for each article the row's texts,
// links, pictures and badges, its prices, its variants and purchase call,
// and what outlives the page: its entry in the department index, its entry
// and cell in the home page's showcase, and its line of the search data.
#include "catalogosito.h"
#include "datiordine.h"
#include "impostazioni.h"
#include "navigazione.h"
#include "riga.h"
#include "shopstate.h"

#include <QString>
#include <QVariant>
#include <array>
#include <optional>

// The pop-up call of the large picture; a size that is missing or 0 takes
// the default 600 x 350.
QString ChiamataPopup(const QString &file, const QVariant &larghezza, const QVariant &altezza);

// The fields of an article row that ScriviArticolo writes.
enum class CampoArticolo {
    codice, titolo, cart_articolo, sottotitolo, immagine1, immagine2, immagine3, novita, offerta, iva, listino,
    cart_prezzo, prezzo, cart_iva, cambio, cart_peso, descrizione, note, giacenza, opzione1, opzione2, opzione3,
    cart_opzione1, cart_opzione2, cart_opzione3, nomeopzione1, nomeopzione2, nomeopzione3, contatore, java_acquista,
    numero
};

// What every article row of one build reads.
struct ContestoArticoli {
    const Impostazioni *imp = nullptr;
    const ShopState *stato = nullptr;  // currency notation
    const Varianti *varianti = nullptr;
    // The article row's fields, and where each that ScriviArticolo writes
    // stands among them (found once, not for every article).
    void impostaCampi(std::shared_ptr<const CampiTabella> campi);
    std::shared_ptr<const CampiTabella> campi;
    std::array<int, size_t(CampoArticolo::numero)> indici{};
    QString urlNegozio;
    QString badgeNovita, badgeOfferta;  // the set's badge tags
    bool codiceInCarrello = false, ivaCompresa = false;
    std::optional<Currency> scontoNegozio;  // the shop-wide discount, when it applies
};

// One article on its page.
struct VoceArticolo {
    Riga riga;
    QString voceElenco;  // its entry in the department index (and the showcase's)
    bool inVetrina = false;
    QString cellaVetrina;
    QString rigaRicerca;  // one CSV line with its line end
    RigaDatiOrdine ordine;  // its line of the order script's price list
    // When its price is not one the order script takes: the article named,
    // and why (PrezzoFuoriMisura); "" otherwise.
    QString prezzoFuoriMisura;
};

// The article numbered `numero` (from 1 on every page) on the page
// `filePagina` at `urlPagina`; `maxArticoli` is the department's articles
// per page.
VoceArticolo ScriviArticolo(const ContestoArticoli &c, const Reparto &reparto, const Articolo &a,
                            const QString &filePagina, const QString &urlPagina, int maxArticoli, int numero);
