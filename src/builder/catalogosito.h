#pragma once
// The catalogue as one build reads it, once, before the first page: the
// articles in the catalogue (not `fuoricatalogo`) grouped by department in
// their sort order, and the variant sets. Plain values, read-only while the
// pages are merged, so that the page jobs share them across threads.
#include "database.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <vector>

// The fields of an article that its row on a page uses. Values keep the
// catalogue's kinds (Null apart from 0 or "").
struct Articolo {
    qint64 ID = 0;  // its number in the catalogue
    QString codice, titolo, sottotitolo, link, descrizione, note;
    bool linkesterno = false, inelenco = false, popup = false, novita = false, offerta = false;
    std::array<QVariant, 3> immagine, imgX, imgY;
    QVariant prezzo, offertaprezzo, peso, giacenza;
    std::array<QVariant, 3> opzione;
    // The fields among prezzo, offertaprezzo and peso that hold something
    // other than a number (a damaged catalogue): their values read as 0.
    QStringList illeggibili;
};

// One variant set of the table `opzioni`.
struct SetVarianti {
    QString nome;
    QVariant selezionato;
    std::array<QString, 15> opzione;
    std::array<QVariant, 15> prezzo, peso;
    // For each option, "prezzo" and "peso" when that field holds no number.
    std::array<QStringList, 15> illeggibili;
};

class Varianti {
public:
    static Varianti leggi(Database &catalogo);
    // The set with this ID, or nullptr when there is none.
    const SetVarianti *set(qint32 id) const;

private:
    QHash<qint32, SetVarianti> m_set;
};

class ArticoliCatalogo {
public:
    static ArticoliCatalogo leggi(Database &catalogo);
    // The articles of a department (its ID letter case aside), in order.
    const std::vector<Articolo> &diReparto(const QString &ID) const;
    // Leaves these articles (by their ID) out of the site.
    void escludi(const QSet<qint64> &ID);

private:
    QHash<QString, std::vector<Articolo>> m_perReparto;  // lower-case catID
};

// The departments whose VAT or discount holds something other than a
// number, by lower-case ID: the names of those fields ("iva", "sconto").
QHash<QString, QStringList> NumeriIlleggibiliReparti(Database &catalogo);
