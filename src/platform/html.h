#pragma once
// Text written into an HTML attribute value: "&", the double quote, "<" and
// ">" as character references, and the apostrophe too where the value may
// stand between apostrophes.
#include <QString>

QString AttributoHtml(const QString &testo, bool apostrofo = false);
