#pragma once
// Pieces of the shop-wide page fields (Elaborazione::CampiNegozio) that are
// worth having on their own.
#include <QString>

// The img tag of a logo in the pages folder, or "" when there is no logo;
// with its width and height when both are recorded and not 0, else with its
// source alone (a tag never has one size without the other).
QString TagLogo(const QString &nome, qint64 larghezza, qint64 altezza);
