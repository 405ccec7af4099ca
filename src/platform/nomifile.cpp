#include "nomifile.h"

bool HaCaratteriDiControllo(const QString &testo)
{
    for (const QChar c : testo) {
        switch (c.category()) {
        case QChar::Other_Control:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return true;
        default:
            break;
        }
    }
    return false;
}

bool NomeSemplice(const QString &nome)
{
    return !nome.isEmpty() && nome != QLatin1String(".") && nome != QLatin1String("..") && !nome.contains(u'/') &&
           !nome.contains(u'\\') && !HaCaratteriDiControllo(nome);
}

QString TestoLeggibile(const QString &testo)
{
    QString r;
    r.reserve(testo.size());
    for (const QChar c : testo) {
        if (!HaCaratteriDiControllo(QString(c)))
            r += c;
        else if (c == u'\n')
            r += QStringLiteral("\\n");
        else if (c == u'\r')
            r += QStringLiteral("\\r");
        else if (c == u'\t')
            r += QStringLiteral("\\t");
        else
            r += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return r;
}
