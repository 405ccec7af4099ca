#include "shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {
Shell::Picker picker;
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
    const QUrl url = QFileInfo::exists(documento) ? QUrl::fromLocalFile(documento) : QUrl(documento);
    return !QDesktopServices::openUrl(url);
}
