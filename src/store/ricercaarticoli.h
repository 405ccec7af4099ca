#pragma once
// The article search: the articles of the whole shop whose chosen field
// matches a text the merchant typed. "*" stands for any run of characters
// and "?" for one character; every other character stands for itself, and
// letters match whatever their case, accented letters included. The text
// reaches the database as a bound value, never as part of the statement.
#include "database.h"

#include <QString>
#include <QStringList>
#include <vector>

class RicercaArticoli {
public:
    struct Risultato {
        qint64 id = 0;
        QString codice, titolo, sottotitolo;
    };

    // The fields a search may look in, as the option buttons name them.
    static const QStringList &campi();

    // The articles whose field `campo` holds `testo` (blanks at either end
    // ignored), department by department in each one's order. With
    // `parolaIntera` the text must stand as a word of its own: bounded by
    // characters that are not ASCII letters or digits, or by the start or
    // end of the field. An unknown field finds nothing.
    static std::vector<Risultato> cerca(Database &db, const QString &campo, const QString &testo, bool parolaIntera);

    // The pattern for the database's GLOB operator that matches `testo`
    // exactly as the search means it (wildcards kept, case ignored).
    static QString modello(const QString &testo);
};
