#pragma once
// Pieces of the shop-wide page fields (Elaborazione::CampiNegozio) that are
// worth having on their own.
#include <QString>

// The img tag of a logo in the pages folder, or "" when there is no logo;
// a width or height of 0 is written as an empty value.
QString TagLogo(const QString &nome, qint64 larghezza, qint64 altezza);
