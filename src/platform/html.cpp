#include "html.h"

QString AttributoHtml(const QString &testo, bool apostrofo)
{
    QString r;
    r.reserve(testo.size() + 8);
    for (QChar c : testo) {
        switch (c.unicode()) {
        case u'&': r += QLatin1String("&amp;"); break;
        case u'"': r += QLatin1String("&quot;"); break;
        case u'<': r += QLatin1String("&lt;"); break;
        case u'>': r += QLatin1String("&gt;"); break;
        case u'\'':
            if (apostrofo) {
                r += QLatin1String("&#39;");
                break;
            }
            [[fallthrough]];
        default: r += c;
        }
    }
    return r;
}
