#pragma once
// The home page's showcase: the table of the articles marked for it.
#include <QString>
#include <QStringList>

// The showcase table, `perRiga` cells to a row. Every element it opens is
// closed, an incomplete last row included (without filler cells); "" when
// there is no cell at all.
QString TabellaVetrina(const QStringList &celle, int perRiga);
