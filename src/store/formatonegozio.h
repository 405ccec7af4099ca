#pragma once
// The shop's own number notation: the forms of numeri.h with the shop
// state's separators, decimals and currency prefix applied, as the pages,
// the scripts and the window show prices.
#include "currency.h"
#include "shopstate.h"

#include <QString>
#include <QVariant>

// A number text written with "." and "," (Format's output) with its
// separators exchanged for the shop's.
QString ConvertiSeparatori(const QString &numero, const ShopState &stato);
// Every "." becomes the shop's decimal separator.
QString DecimaleNegozio(const QString &numero, const ShopState &stato);
// The amount in the main currency's format (FormatoDecimali1), no grouping,
// "." as decimal point: the number as a script reads it.
QString FormatoImporto(const QVariant &importo, const ShopState &stato);
QString FormatoImporto(Currency importo, const ShopState &stato);
// The amount in the shop's notation with the main currency's decimals.
QString ImportoPrezzo(Currency importo, const ShopState &stato);
// The price text: the main currency text and ImportoPrezzo.
QString TestoPrezzo(Currency importo, const ShopState &stato);
