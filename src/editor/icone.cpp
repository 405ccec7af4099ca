#include "icone.h"

#include <QDir>

namespace {

void impostaTema()
{
    static bool fatto = false;
    if (fatto)
        return;
    fatto = true;
    QStringList percorsi = QIcon::themeSearchPaths();
    for (const QString &p : {QStringLiteral("/usr/share/icons"), QDir::homePath() + QStringLiteral("/.local/share/icons")})
        if (!percorsi.contains(p))
            percorsi << p;
    QIcon::setThemeSearchPaths(percorsi);
    QIcon::setThemeName(QStringLiteral("breeze"));
}

} // namespace

QIcon icona(const QString &nome)
{
    impostaTema();
    return QIcon::fromTheme(nome);
}
