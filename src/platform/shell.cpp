#include "shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {
Shell::SceltaCartella sceltaCartella;
Shell::SceltaFile sceltaFile;
Shell::Apertura apertura;
}

void Shell::impostaApertura(Apertura a)
{
    apertura = std::move(a);
}

void Shell::impostaSceltaCartella(SceltaCartella scelta)
{
    sceltaCartella = std::move(scelta);
}

QString Shell::scegliCartella(const QString &titolo, const QString &iniziale)
{
    return sceltaCartella ? sceltaCartella(titolo, iniziale) : QString();
}

void Shell::impostaSceltaFile(SceltaFile scelta)
{
    sceltaFile = std::move(scelta);
}

QStringList Shell::scegliFile(const QString &titolo, const QString &iniziale, const QString &filtro)
{
    return sceltaFile ? sceltaFile(titolo, iniziale, filtro) : QStringList();
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
