#include "percorsiftp.h"

#include "nomifile.h"

#include <QSet>
#include <QStringList>

namespace {

// The longest folder name offered: the remote folder settings hold 255
// characters in all.
constexpr qsizetype LunghezzaMassimaNome = 255;

// A folder name the merchant can read and choose as it stands: a plain name
// of a sane length, without invisible format characters (a bidi control
// shows a name reordered, a zero-width one hides a difference) and without
// bytes that were no UTF-8 (read as U+FFFD, they would name another folder).
bool NomeOfferto(const QString &nome)
{
    if (!NomeSemplice(nome) || nome.size() > LunghezzaMassimaNome)
        return false;
    for (const QChar c : nome)
        if (c.category() == QChar::Other_Format || c == QChar::ReplacementCharacter)
            return false;
    return true;
}

} // namespace

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

VoceElenco LeggiRigaElenco(const QString &riga, QString *nome)
{
    QString t = riga;
    while (t.endsWith(u'\r') || t.endsWith(u'\n'))
        t.chop(1);
    if (t.startsWith(QLatin1String("total "), Qt::CaseInsensitive))
        return VoceElenco::Altro;
    // Permissions, links, owner, group, size, month, day, time and name.
    if (t.simplified().count(u' ') < 8)
        return VoceElenco::Illeggibile;
    const QString n = NomeFileFTP(t);
    if (nome)
        *nome = n;
    if (!t.startsWith(u'd', Qt::CaseInsensitive) || n == QLatin1String(".") || n == QLatin1String(".."))
        return VoceElenco::Altro;
    if (!NomeOfferto(n))
        return VoceElenco::Illeggibile;
    return VoceElenco::Cartella;
}

QStringList CartelleOfferte(const QStringList &righe, const std::optional<QStringList> &nomi, QStringList &scartate)
{
    QStringList cartelle;
    QSet<QString> nomiElenco;
    for (const QString &riga : righe) {
        QString nome;
        switch (LeggiRigaElenco(riga, &nome)) {
        case VoceElenco::Cartella:
            cartelle << nome;
            break;
        case VoceElenco::Illeggibile:
            scartate << riga;
            break;
        case VoceElenco::Altro:
            break;
        }
        if (!nome.isEmpty())
            nomiElenco.insert(nome);
    }
    if (!nomi)
        return cartelle;
    // A line of the names that reads as a folder's listing line and names
    // no entry of the listing is the second part of a name broken by a
    // line break; the line before it is the first part.
    QSet<QString> soli, spezzati;
    for (qsizetype i = 0; i < nomi->size(); ++i) {
        const QString &n = nomi->at(i);
        soli.insert(n);
        if (!nomiElenco.contains(n) && LeggiRigaElenco(n) == VoceElenco::Cartella && i > 0)
            spezzati.insert(nomi->at(i - 1));
    }
    QStringList offerte;
    for (qsizetype i = 0; i < cartelle.size(); ++i) {
        if (soli.contains(cartelle[i]) && !spezzati.contains(cartelle[i]))
            offerte << cartelle[i];
        else
            scartate << cartelle[i];
    }
    offerte.removeDuplicates();
    return offerte;
}
