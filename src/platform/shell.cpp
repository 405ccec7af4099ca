#include "shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {
Shell::Picker picker;
Shell::Apertura apertura;
}

void Shell::setApertura(Apertura a)
{
    apertura = std::move(a);
}

void Shell::setPicker(Picker p)
{
    picker = std::move(p);
}

QString Shell::scegliCartella(const QString &titolo, const QString &iniziale)
{
    return picker ? picker(titolo, iniziale) : QString();
}

bool Shell::apriDocumento(const QString &documento)
{
    if (documento.isEmpty())
        return false;
    if (apertura)
        return apertura(documento);
    const QUrl url = QFileInfo::exists(documento) ? QUrl::fromLocalFile(documento) : QUrl(documento);
    return !QDesktopServices::openUrl(url);
}
