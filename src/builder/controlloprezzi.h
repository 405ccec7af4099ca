#pragma once
// What the build checks of the prices it publishes, so that the merchant
// learns of a price that is no price before a customer does: every number a
// price rests on can be read (a damaged catalogue may hold a text where a
// number belongs, which would read as 0), and every price is one the order
// script takes (from 0 up to 999,999,999.99, with a VAT rate below 100 %).
#include "catalogosito.h"
#include "datiordine.h"
#include "navigazione.h"
#include "prezzi.h"
#include "shopstate.h"

#include <QString>
#include <QStringList>
#include <array>

// An article as the build's warnings name it: its title as the page shows
// it, its code and its department.
QString NomeArticolo(const Articolo &a, const Reparto &reparto);

// Why the article's price or weight rests on a field whose value the build
// cannot use (no number, a number beyond single precision, a price nobody
// set): its own price, offer price (under an offer) or weight, its
// department's VAT or discount (Reparto::illeggibili), or the price or
// weight of an option of its variant sets; one text per field ("peso",
// "peso fuori misura", "prezzo mancante"), none when every one is usable.
// A weight no order can carry (PesoFuoriOrdine) is named too.
QStringList MotiviIlleggibili(const Articolo &a, const Reparto &reparto, const Varianti &varianti);

// The weight of a cart line in millionths, as the page's script adds it up
// from the text the page writes for a weight (PesoInvariante).
qint64 MicroPeso(const QVariant &peso);

// Why the weight of an article, with the options of its variant menus, is
// one an order cannot carry: the order script takes a cart line's weight
// only when it is below 10,000,000 in absolute value. "" when it is.
QString PesoFuoriOrdine(const Articolo &a, const Varianti &varianti);

// Why the price of an article, with the options of its variant menus as the
// price list takes them, is not one the order script accepts; "" when it is.
QString PrezzoFuoriMisura(const Prezzo &prezzo, const std::array<QList<VarianteOrdine>, 3> &varianti,
                          const ShopState &stato);

// A warning made of its opening sentence and one line per item, at most 20
// of them, then how many more there are.
QString AvvisoConElenco(const QString &apertura, const QStringList &righe);
