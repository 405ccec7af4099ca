#pragma once
// Desktop services: the folder picker and opening a document or address
// with the desktop's default handler.
#include <QString>

#include <functional>

class QWidget;

namespace Shell {
// The folder picker; the empty text when cancelled.
QString scegliCartella(QWidget *owner, const QString &titolo, const QString &iniziale);
// Tests answer the picker themselves (title, start folder -> chosen folder).
using Picker = std::function<QString(const QString &titolo, const QString &iniziale)>;
void setPicker(Picker picker);
// Opens a document or address; true when the desktop reports a failure.
bool apriDocumento(const QString &documento);
}
