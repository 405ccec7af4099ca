#include "emailordini.h"

#include <QRegularExpression>
#include <algorithm>

bool IndirizzoOrdiniValido(const QString &indirizzo, QString *motivo)
{
    static const QRegularExpression locale(QStringLiteral("^[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]{1,64}\\z"));
    static const QRegularExpression dominio(
        QStringLiteral("^[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)+\\z"));
    const QString a = indirizzo.trimmed();
    const auto cerca = [&](auto prova) { return std::any_of(a.begin(), a.end(), prova); };
    const qsizetype chiocciola = a.indexOf(u'@');
    QString perche;
    if (cerca([](QChar c) { return c == u'\r' || c == u'\n' || c == QChar(0x2028) || c == QChar(0x2029); }))
        perche = QStringLiteral("contiene un a capo");
    else if (a.count(u'@') > 1 || cerca([](QChar c) { return c == u',' || c == u';'; }))
        perche = QStringLiteral("contiene più di un indirizzo, mentre ne va scritto uno solo");
    else if (cerca([](QChar c) { return QStringView(u"<>()\":\\[]").contains(c); }))
        perche = QStringLiteral("contiene caratteri non ammessi (va scritto il solo indirizzo, senza nome né "
                                "parentesi o virgolette)");
    else if (cerca([](QChar c) { return c.isSpace(); }))
        perche = QStringLiteral("contiene uno spazio");
    else if (cerca([](QChar c) { return c.category() == QChar::Other_Control; }))
        perche = QStringLiteral("contiene un carattere di controllo");
    else if (cerca([](QChar c) { return c.unicode() > 127; }))
        perche = QStringLiteral("contiene lettere accentate o altri caratteri che un indirizzo non può contenere");
    else if (chiocciola < 0)
        perche = QStringLiteral("manca la chiocciola (@)");
    else if (a.size() > 254)
        perche = QStringLiteral("è più lungo di 254 caratteri");
    else if (!locale.match(a.left(chiocciola)).hasMatch())
        perche = QStringLiteral("la parte prima della chiocciola (@) non è valida");
    else if (!dominio.match(a.mid(chiocciola + 1)).hasMatch())
        perche = QStringLiteral("il dominio dopo la chiocciola (@) non è valido");
    if (motivo)
        *motivo = perche;
    return perche.isEmpty();
}
