#pragma once
// The home page's own values: the showcase table of the articles marked for
// the home page, and the department menu as seen from the shop's root.
#include <QString>
#include <QStringList>

// The showcase table: cells 1..numero of `celle` (element 0 is never a
// cell), `perRiga` to a row. Every element it opens is closed, an
// incomplete last row included (without filler cells); "" when there is no
// cell at all.
QString TabellaVetrina(const QStringList &celle, int numero, int perRiga);

// The department menu of the home page: the options of every department
// after an empty, selected first option whose value is "#".
QString MenuHome(const QString &opzioni);
