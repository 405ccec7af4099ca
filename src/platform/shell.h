#pragma once
// Desktop services: the folder and file pickers, and opening a document or
// address with the desktop's default handler. The editor installs the
// pickers' dialogs; tests install answering functions.
#include <QStringList>

#include <functional>

namespace Shell {
// The folder picker (title, start folder -> chosen folder; "" when cancelled).
using SceltaCartella = std::function<QString(const QString &titolo, const QString &iniziale)>;
void impostaSceltaCartella(SceltaCartella scelta);
// The chosen folder, or "" when cancelled or when no picker is installed.
QString scegliCartella(const QString &titolo, const QString &iniziale);
// The file picker, for one file or several (title, start folder, filter as
// "Name (*.a *.b)" -> the chosen files' full paths; none when cancelled).
using SceltaFile = std::function<QStringList(const QString &titolo, const QString &iniziale, const QString &filtro)>;
void impostaSceltaFile(SceltaFile scelta);
// The chosen files, or none when cancelled or when no picker is installed.
QStringList scegliFile(const QString &titolo, const QString &iniziale, const QString &filtro);
// Opens a document or address; true when the desktop reports a failure.
bool apriDocumento(const QString &documento);
// Tests see what would be opened instead (the function answers as
// apriDocumento does).
using Apertura = std::function<bool(const QString &documento)>;
void impostaApertura(Apertura apertura);
}
