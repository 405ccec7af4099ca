#pragma once
// The program's icons: the Breeze icon theme, packaged by Debian
// (breeze-icon-theme, LGPL-3), looked up by the freedesktop names.
#include <QIcon>

// The themed icon of that name (a null icon when the theme lacks it).
QIcon icona(const QString &nome);
