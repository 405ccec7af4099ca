#pragma once
// The pieces of an article row that do not need the build's state.
#include <QString>
#include <QVariant>

// The picture tag of an article's picture: empty without a file name; with
// width and height when both are known and not 0, else with the source
// alone (a tag never has one size without the other).
QString TagImmagine(const QVariant &file, const QVariant &larghezza, const QVariant &altezza);

// The pop-up call of the large picture; a size that is missing or 0 takes
// the default 600 x 350.
QString ChiamataPopup(const QString &file, const QVariant &larghezza, const QVariant &altezza);
