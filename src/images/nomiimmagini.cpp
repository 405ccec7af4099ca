#include "nomiimmagini.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>

namespace {

constexpr int LunghezzaMassimaBase = 200;  // the name fields hold 255 characters

bool cifraEsadecimale(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
}

QString suffisso(int n, int cifre = 4)
{
    return QStringLiteral("%1").arg(n, cifre, 16, QLatin1Char('0'));
}

}  // namespace

QString NomiImmagini::nomeSicuro(const QString &testo)
{
    const QString scomposto = testo.toLower().normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(scomposto.size());
    for (const QChar c : scomposto) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;  // the accent of a decomposed letter
        const bool sicuro = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_'
                            || (c == u'.' && !out.isEmpty());
        out += sicuro ? c : QChar(u'_');
    }
    return out;
}

QString NomiImmagini::NuovoNomeImmagine(const QStringList &esistenti, const QString &nome, bool toJpeg)
{
    // Extension and base.
    const int punto = nome.lastIndexOf(u'.');
    QString base = nome, estensione;
    if (punto > 0) {
        base = nome.left(punto);
        if (punto + 1 < nome.size())
            estensione = u'.' + nomeSicuro(nome.mid(punto + 1));
    }
    if (toJpeg)
        estensione = QStringLiteral(".jpg");
    base = nomeSicuro(base).left(LunghezzaMassimaBase);
    if (base.isEmpty())
        base = QStringLiteral("immagine");

    // A versioned name counts on from its first base.
    static const QRegularExpression versione(QStringLiteral("^.+_[0-9a-f]{4}$"));
    if (versione.match(base).hasMatch())
        base.chop(5);

    // The highest valid version among base_????ext, letter case aside.
    QSet<QString> occupati;
    const QString testa = base + u'_';
    const qsizetype lunghezza = testa.size() + 4 + estensione.size();
    int massimo = -1;
    for (const QString &e : esistenti) {
        const QString minuscolo = e.toLower();
        occupati.insert(minuscolo);
        if (minuscolo.size() != lunghezza || !minuscolo.startsWith(testa) || !minuscolo.endsWith(estensione))
            continue;
        const QString cifre = e.mid(testa.size(), 4);
        if (std::all_of(cifre.begin(), cifre.end(), cifraEsadecimale))
            massimo = std::max(massimo, cifre.toInt(nullptr, 16));
    }

    // One above it; past ffff and on any name already taken, the next free one.
    for (int i = 1; i <= 0x10000; ++i) {
        const QString candidato = testa + suffisso((massimo + i) & 0xffff) + estensione;
        if (!occupati.contains(candidato))
            return candidato;
    }
    for (int n = 0x10000;; ++n) {  // all 65536 taken: a longer version
        const QString candidato = testa + suffisso(n, 5) + estensione;
        if (!occupati.contains(candidato))
            return candidato;
    }
}

QString NomiImmagini::NuovoNomeImmagineIn(const QString &cartella, const QString &nome, bool toJpeg)
{
    const QStringList esistenti =
        QDir(cartella).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return NuovoNomeImmagine(esistenti, nome, toJpeg);
}
