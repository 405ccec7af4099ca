#pragma once
// The fragments the article rows hand to the shop's page scripts: the
// article's name as the cart shows it, the search key of its search row, the
// drop-down list of one variant set with its caption, and the picture tag of
// a badge of the template set. Also the escapes these fragments need for the
// place they land: a JavaScript string, an HTML attribute value, a CSV field.
#include "catalogosito.h"
#include "currency.h"
#include "datiordine.h"
#include "shopstate.h"

#include <QString>
#include <QVariant>

// A discount factor as an exact fraction num / den (1 / 1: no discount),
// so that discounted money is computed without rounding on the way.
struct FattoreSconto {
    qint64 num = 1;
    qint64 den = 1;

    bool unitario() const { return num == den; }
    // The amount times the factor, rounded half to even to four decimals.
    Currency applica(Currency importo) const;
    // The factor of a discount in percent (10 -> 90 / 100) combined with
    // another factor.
    static FattoreSconto daPercentuale(Currency percentuale);
    FattoreSconto per(const FattoreSconto &altro) const;
};

// The VAT amount of a price at a rate given in percent (20 = 20 %),
// exact, rounded half to even to four decimals.
Currency ImportoIva(Currency prezzo, Currency aliquotaPercento);

// One field of a comma-separated row: quoted, with doubled quotes, when it
// holds a comma, a quote or a line break; as it is otherwise.
QString CampoCSV(const QString &testo);

// A weight (a Single field, handed over as a double) in the invariant form
// the page scripts read, with a Single's seven digits (0.1, not
// 0.100000001490116); Null is "0".
QString PesoInvariante(const QVariant &v);

// The article's name in the cart: the code (when given), a blank and the
// title, each as the page shows it (TestoLetto), escaped for a script
// string.
QString CartArticolo(const QString &sCodice, const QString &sTitolo);
// The search key of a text: every word lower-cased, stripped of
// punctuation, between its own pair of "#" marks; "" for no word.
QString CampoRicerca(const QString &sTesto);

// The select of variant set `numero` for slot `Tipo` of the article
// numbered `Contatore` on its page, its options priced with the discount
// factor and the VAT rate (in percent, added when `ivacomp`); "" for set 1
// and for a set that does not exist.
// With `voci`, each option shown is also added there as the order script's
// price list takes it.
QString CreaOpzione(const Varianti &varianti, const ShopState &stato, qint32 numero, int Contatore, int Tipo,
                    const FattoreSconto &scontorep, Currency ivarep, bool ivacomp,
                    QList<VarianteOrdine> *voci = nullptr);
// The name of variant set `numero` as customers see it; "" for set 1.
QString CreaNomeOpzione(const Varianti &varianti, qint32 numero);

// A size field that counts: not Null and not 0.
bool MisuraNota(const QVariant &v);

// Where a picture tag puts border="0", if anywhere, and which size comes
// first: each kind of picture on the pages keeps its own form.
enum class FormaTagImmagine {
    Pagina,    // <img border="0" src="a.gif" width="40" height="20">: articles, departments, logos
    Pulsante,  // <img src="a.gif" width="40" height="20" border="0">: a department's button in the tree
    Badge,     // <img src="a.gif" height="20" width="40">: a badge of the template set
};

// The one writer of a picture tag: empty without a file name; with width
// and height when both are known and not 0, else with the source alone (a
// tag never has one size without the other). The file name is written as
// an attribute value.
QString TagImmagine(const QVariant &file, const QVariant &larghezza, const QVariant &altezza,
                    FormaTagImmagine forma = FormaTagImmagine::Pagina);

// The picture tag of a picture of the template set (a badge) named nImm,
// with the real size of `file`, the set's file found for that name, when it
// can be measured; else (no file, or one that cannot be read) with its
// source alone.
QString CreaTagImg(const QString &nImm, const QString &file);
