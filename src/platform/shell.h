#pragma once
// Desktop services: the folder picker and opening a document or address
// with the desktop's default handler. The editor installs the picker's
// dialog; tests install an answering function.
#include <QString>

#include <functional>

namespace Shell {
// The folder picker (title, start folder -> chosen folder; "" when cancelled).
using Picker = std::function<QString(const QString &titolo, const QString &iniziale)>;
void setPicker(Picker picker);
// The chosen folder, or "" when cancelled or when no picker is installed.
QString scegliCartella(const QString &titolo, const QString &iniziale);
// Opens a document or address; true when the desktop reports a failure.
bool apriDocumento(const QString &documento);
// Tests see what would be opened instead (the function answers as
// apriDocumento does).
using Apertura = std::function<bool(const QString &documento)>;
void setApertura(Apertura apertura);
}
