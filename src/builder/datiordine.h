#pragma once
// The price list of the order script: for every article on the site, the
// price, VAT rate and weight that its purchase link hands to the cart, and
// the price and weight of each of its variants, so that the order script on
// the server recomputes each cart line from the shop's own data instead of
// the browser's.
//
// The build writes it into the scripts folder, beside the order script,
// under NomeFileDatiOrdine(IDnegozio), and lists it for upload. One row per
// article, written when the article's work row is complete (after the
// purchase call), filled from that row and from the variant menus:
//   chiave       the article's number in the catalogue (its `ID`): the
//                purchase call hands it to the cart as its last argument,
//                and the order form sends it back with each line, so that
//                two articles of the same name are told apart
//   codice       the article's code, shown in the shop's order mail
//   articolo     the work row's `cart_articolo`, as written into the
//                purchase call (its script-string escapes are undone here)
//   prezzo       the price charged, the Currency passed to FormatoImporto
//                for `cart_prezzo`
//   aliquota     the VAT rate in percent that `cart_iva` is written from:
//                0 when prices include VAT (`IvaCompresa`)
//   peso         the catalogue weight `peso` as the Single that `cart_peso`
//                is written from (0 when Null)
//   varianti[n]  for each variant slot n = 0..2 (`opzione1`..`opzione3`),
//                one entry per option the slot's menu shows: the option's
//                text without the " *" of the preselected one (the text
//                the option's value carries after "#"), the price the value
//                carries before "=" (the surcharge after discount and VAT,
//                as passed to FormatoImporto) and the variant weight as the
//                Single the value is written from; empty when the slot has
//                no menu.
#include "currency.h"
#include "shopstate.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>

struct VarianteOrdine {
    QString testo;
    Currency prezzo;
    float peso = 0;
};

struct RigaDatiOrdine {
    qint64 chiave = 0;  // 0: none
    QString codice;
    QString articolo;
    Currency prezzo;
    Currency aliquota;
    float peso = 0;
    std::array<QList<VarianteOrdine>, 3> varianti;
};

// The file's name in the scripts folder for the site code: "prezzi" & code & ".tsv".
QString NomeFileDatiOrdine(const QString &IDnegozio);

// The file's bytes (UTF-8, one line per article and per variant, fields
// separated by tabs; backslash, tab and line breaks inside a text escaped):
// "vetrasto-prezzi" tab "3", then "A" chiave codice articolo prezzo aliquota
// peso for each article, each followed by "V" menu testo prezzo peso for its
// variants, and last "fine" tab the number of articles, so that the order
// script tells a file cut short (an upload that broke off) from one that
// lacks an article.
// Amounts are written as the cart receives them (FormatoImporto with the
// shop's decimals), rates and weights as plain decimals.
// The file is made in pieces: its first line, then the lines of each
// article appended in turn (the build makes each department's on its own
// thread), then the closing line for what was made.
QByteArray IntestazioneDatiOrdine();
void AggiungiDatiOrdine(QByteArray &out, const RigaDatiOrdine &riga, const ShopState &stato);
QByteArray ChiusuraDatiOrdine(const QByteArray &fatto);

// The article's name as the page's script ends up holding it, given the
// `cart_articolo` text of its purchase call.
QString NomeInCarrello(const QString &cartArticolo);
