#include "shell.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

namespace {
Shell::Picker testPicker;
}

void Shell::setPicker(Picker picker)
{
    testPicker = std::move(picker);
}

QString Shell::scegliCartella(QWidget *owner, const QString &titolo, const QString &iniziale)
{
    if (testPicker)
        return testPicker(titolo, iniziale);
    return QFileDialog::getExistingDirectory(owner, titolo, iniziale, QFileDialog::ShowDirsOnly);
}

bool Shell::apriDocumento(const QString &documento)
{
    if (documento.isEmpty())
        return false;
    const QUrl url = QFileInfo::exists(documento) ? QUrl::fromLocalFile(documento) : QUrl(documento);
    return !QDesktopServices::openUrl(url);
}
