#pragma once
// The price of an article on its page: the price charged (for the page and
// for the cart), the struck list price under an offer or a discount, the VAT
// note, the discount note beside the offer badge and the price in the second
// currency. Money is computed exactly: discounts and VAT are exact fractions
// of the amount, rounded half to even to four decimals only at the end of
// each step.
#include "currency.h"
#include "formatonegozio.h"
#include "frammenti.h"
#include "shopstate.h"

#include <QString>
#include <QVariant>

struct DatiPrezzo {
    QVariant prezzo;          // list price (Currency; Null counts as 0)
    QVariant offertaprezzo;   // offer price, may be Null
    bool offerta = false;     // offer flag
    QVariant iva;             // department VAT percent (Single), may be Null
    QVariant sconto;          // department discount percent (Single), may be Null
    Currency scontoNegozio;   // the shop-wide discount in percent (0: none)
    bool ivaCompresa = false; // prices shown with VAT
    bool visSconto = false;   // show the discount note
    bool cambio = false;      // show the second currency
    QString badge;            // the offer badge the note joins
};

struct Prezzo {
    QString iva, listino, prezzo, offerta, cart_prezzo, cart_iva, cambio;
    Currency importo;             // the price charged
    Currency aliquota;            // VAT rate in percent
    FattoreSconto fattoreVarianti;  // the factor the variant surcharges take
};

Prezzo CalcolaPrezzo(const DatiPrezzo &d, const ShopState &stato);
