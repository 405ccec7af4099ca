#pragma once
// The shop-wide fields of a page row: the shop's texts, the shipping and
// payment tables of the page scripts, the script URLs, the e-mail and server
// settings, the search settings, the cart call, the site code, the logos,
// the meta texts and the template set's colours. Every department page and
// the home page carry the same values, made once per build.
#include "database.h"
#include "impostazioni.h"
#include "riga.h"
#include "shopstate.h"
#include "tabelle.h"

#include <QString>
#include <array>

struct DatiNegozio {
    const Impostazioni *imp = nullptr;
    const ShopState *stato = nullptr;
    TabelleScript *tabelle = nullptr;
    const std::array<QString, 5> *colori = nullptr;
    QString IDnegozio;
    bool ivaCompresa = false;
};

// Fills the shop-wide fields. A minimum order that is empty or not a number
// cannot be put into the page scripts: MinimoNonValido, which ends the build
// through its error handler with the field's name.
void CampiNegozio(Riga &pagina, const DatiNegozio &dati);

// The error number a build reports for the minimum order.
inline constexpr int ErroreMinimo = 94;
struct MinimoNonValido : DbError {
    MinimoNonValido();
};

// The img tag of a logo in the pages folder, or "" when there is no logo;
// with its width and height when both are recorded and above 0, else with
// its source alone.
QString TagLogo(const QString &nome, qint64 larghezza, qint64 altezza);
