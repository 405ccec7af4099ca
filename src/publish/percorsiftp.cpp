#include "percorsiftp.h"

#include <QStringList>

QString PulisciCartella(const QString &cartella)
{
    QString c = cartella.trimmed();
    c.replace(u'\\', u'/');
    QStringList parti;
    for (const QString &parte : c.split(u'/', Qt::SkipEmptyParts))
        if (parte != QLatin1String("."))
            parti << parte;
    return parti.join(u'/');
}

QString PulisciHost(const QString &host)
{
    QString h = host.trimmed();
    h.replace(u'\\', u'/');
    while (h.startsWith(u'/'))
        h.remove(0, 1);
    for (const char *schema : {"http://", "https://", "ftp://"})
        if (h.startsWith(QLatin1String(schema), Qt::CaseInsensitive))
            h.remove(0, int(qstrlen(schema)));
    const int barra = h.indexOf(u'/');
    if (barra >= 0)
        h.truncate(barra);
    return h.trimmed();
}

QString NomeFileFTP(const QString &riga)
{
    QString t = riga;
    while (t.endsWith(u'\r') || t.endsWith(u'\n'))
        t.chop(1);
    t = t.trimmed();
    for (int i = 0; i < 8; ++i) {
        const int blank = t.indexOf(u' ');
        if (blank < 0)
            break;
        t = t.mid(blank + 1).trimmed();
    }
    return t;
}

bool RigaCartella(const QString &riga)
{
    if (!riga.startsWith(u'd', Qt::CaseInsensitive))
        return false;
    const QString nome = NomeFileFTP(riga);
    return !nome.isEmpty() && nome != QLatin1String(".") && nome != QLatin1String("..");
}
