#include "make.h"

#include "database.h"
#include "messages.h"
#include "recordset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <QStringDecoder>
#include <vector>

namespace {

// Windows-1252 between 0x80 and 0x9F; the five unassigned bytes map to the
// C1 control of the same number so that every byte survives a round trip.
const char16_t cp1252Alto[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString daCp1252(const QByteArray &b)
{
    QString s;
    s.resize(b.size());
    QChar *out = s.data();
    for (qsizetype i = 0; i < b.size(); ++i) {
        const auto c = static_cast<unsigned char>(b[i]);
        out[i] = (c >= 0x80 && c < 0xA0) ? QChar(cp1252Alto[c - 0x80]) : QChar(char16_t(c));
    }
    return s;
}

QByteArray aCp1252(const QString &s)
{
    QByteArray b;
    b.reserve(s.size());
    for (QChar ch : s) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            b.append(char(u));
            continue;
        }
        int found = -1;
        for (int k = 0; k < 32; ++k)
            if (cp1252Alto[k] == u) {
                found = k;
                break;
            }
        b.append(found >= 0 ? char(0x80 + found) : '?');
    }
    return b;
}

const QString fineTag = QStringLiteral(">>");
const QString contatoreNome = QStringLiteral("/COUNTER/");
const QString erroreUnione = QStringLiteral("###ERROR###");

// How deep values may hold tags of their own level that are expanded in
// turn, and how large a merged text may grow, before the pass gives up.
constexpr int profonditaMassima = 16;
constexpr qsizetype lunghezzaMassima = qsizetype(256) * 1024 * 1024;

} // namespace

namespace Make {

QByteArray TestoFile::codifica(const QString &t) const
{
    return utf8 ? t.toUtf8() : aCp1252(t);
}

TestoFile decodifica(const QByteArray &bytes)
{
    TestoFile f;
    // Keep a byte-order mark as a character, so that it is written back.
    QStringDecoder dec(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString t = dec.decode(bytes);
    if (!dec.hasError()) {
        f.testo = std::move(t);
        f.utf8 = true;
    } else {
        f.testo = daCp1252(bytes);
        f.utf8 = false;
    }
    return f;
}

QString trovaFile(const QString &path)
{
    QFileInfo fi(path);
    if (fi.isFile())
        return path;
    QDir dir = fi.dir();
    if (!dir.exists())
        return {};
    const QString nome = fi.fileName();
    const QStringList voci = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &v : voci)
        if (v.compare(nome, Qt::CaseInsensitive) == 0)
            return fi.path() + u'/' + v;
    return {};
}

bool scriviFile(const QString &path, const QByteArray &data)
{
    // Written under a temporary name and renamed over the old page, so a
    // failure never leaves half a page. Generated pages are not synced to
    // disk one by one: a build that stops is built again.
    const QFileInfo fi(path);
    const QString temp = fi.path() + QStringLiteral("/.") + fi.fileName() + QStringLiteral(".vttmp");
    QFile f(temp);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool scritto = f.write(data) == data.size() && f.flush();
    f.close();
    if (!scritto || std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

} // namespace Make

QString TagGeneratore()
{
    return QStringLiteral("<meta name=\"generator\" content=\"Vetrasto %1\">").arg(QString::fromLatin1(VersioneVetrasto));
}

QString SostituisciTag(const QString &testo, const Recordset &rs, int livello, qint32 contatore, bool *fuoriControllo)
{
    if (fuoriControllo)
        *fuoriControllo = false;
    const QString prefisso = QStringLiteral("<<") + QString::number(livello) + u'-';
    QString t = testo;

    // Values inserted into the text, innermost last: where each ends and how
    // many expansions deep it lies. A tag found inside a value is one level
    // deeper than that value.
    struct Regione {
        qsizetype fine;
        int profondita;
    };
    std::vector<Regione> regioni;

    qsizetype pos = t.indexOf(prefisso);
    while (pos >= 0) {
        const qsizetype inizioNome = pos + prefisso.size();
        const qsizetype chiusura = t.indexOf(fineTag, inizioNome);
        if (chiusura < 0)
            break;  // an unclosed prefix: the rest of the text stays as it is
        const QString nome = t.mid(inizioNome, chiusura - inizioNome);

        bool trovato = true;
        QString valore;
        if (nome == contatoreNome) {
            valore = QString::number(contatore);
        } else {
            const int col = rs.fieldIndex(nome);
            if (col < 0) {
                trovato = false;
            } else {
                const QVariant v = rs.value(col);
                if (!v.isNull() && v.isValid())
                    valore = v.toString();
            }
        }

        if (trovato) {
            while (!regioni.empty() && regioni.back().fine <= pos)
                regioni.pop_back();
            const int profondita = regioni.empty() ? 0 : regioni.back().profondita;
            const qsizetype lunghezzaTag = chiusura + fineTag.size() - pos;
            const qsizetype delta = valore.size() - lunghezzaTag;
            if (profondita >= profonditaMassima || t.size() + delta > lunghezzaMassima) {
                if (fuoriControllo)
                    *fuoriControllo = true;
                return erroreUnione;
            }
            t.replace(pos, lunghezzaTag, valore);
            for (auto &r : regioni)
                r.fine += delta;
            if (valore.contains(prefisso))
                regioni.push_back({pos + valore.size(), profondita + 1});
        }
        // After an empty value the next tag may begin right where this one
        // did: searching one character on would skip it.
        pos = t.indexOf(prefisso, trovato && valore.isEmpty() ? pos : pos + 1);
    }
    return t;
}

bool MakePagina(const QString &dbPath, const QString &modello, const QString &uscita, bool ripeti,
                Messages &messages)
{
    const QString generatore = TagGeneratore();

    auto db = Database::open(dbPath);
    Recordset categoria(db, QStringLiteral("SELECT * FROM categoria"));
    Recordset articoli(db, QStringLiteral("SELECT * FROM articoli"));

    const QString fileModello = Make::trovaFile(modello);
    QFile f(fileModello);
    if (fileModello.isEmpty() || !f.open(QIODevice::ReadOnly)) {
        const QString nome = modello.mid(modello.lastIndexOf(u'/') + 1);
        messages.warning(QStringLiteral("Il file ") + nome + QStringLiteral(" non è presente nel template selezionato.") +
                         u'\r' +
                         QStringLiteral("Selezionare un altro template per il sito o un altro modello per i reparti."));
        return false;
    }
    const Make::TestoFile letto = Make::decodifica(f.readAll());
    f.close();
    QString testo = letto.testo;

    if (!testo.contains(generatore)) {
        const qsizetype titolo = testo.indexOf(QStringLiteral("<TITLE>"), 0, Qt::CaseInsensitive);
        if (titolo >= 0)
            testo.insert(titolo, generatore + QStringLiteral("\r\n"));
    }

    auto crescitaSenzaFine = [&] {
        messages.warning(QStringLiteral("Il file '") + modello +
                         QStringLiteral("' non è stato creato: un campo della pagina contiene se stesso e "
                                        "la sostituzione dei tag non avrebbe fine."));
        return false;
    };

    bool troppo = false;
    testo = SostituisciTag(testo, categoria, 1, 0, &troppo);
    if (troppo)
        return crescitaSenzaFine();
    if (QFileInfo(modello).fileName() == QLatin1String("results.htm")) {
        testo = SostituisciTag(testo, categoria, 3, 0, &troppo);
        if (troppo)
            return crescitaSenzaFine();
    }
    if (testo == erroreUnione)
        return false;

    if (ripeti) {
        const QString start = QStringLiteral("<VT_START>");
        const QString end = QStringLiteral("<VT_END>");
        auto avviso = [&](const QString &cosa, const QString &tag) {
            messages.warning(QStringLiteral("Il file '") + modello + cosa + tag);
            return false;
        };
        // The markers are found in any letter case.
        const auto cerca = [&](const QString &tag, qsizetype da) { return testo.indexOf(tag, da, Qt::CaseInsensitive); };
        const qsizetype inizio = cerca(start, 0);
        if (inizio < 0)
            return avviso(QStringLiteral("' non contiene il tag "), start);
        if (cerca(start, inizio + start.size()) >= 0)
            return avviso(QStringLiteral("' contiene più di un tag "), start);
        const qsizetype fine = cerca(end, inizio + start.size());
        if (fine < 0)
            return avviso(QStringLiteral("' non contiene il tag "), end);
        if (cerca(end, fine + end.size()) >= 0)
            return avviso(QStringLiteral("' contiene più di un tag "), end);

        const QString blocco = QStringLiteral("<a name=<<2-/COUNTER/>>></a>") +
                               testo.mid(inizio + start.size(), fine - inizio - start.size());
        QString copie;
        qint32 contatore = 0;
        if (articoli.recordCount() > 0) {
            for (articoli.moveFirst(); !articoli.eof(); articoli.moveNext()) {
                ++contatore;
                const QString copia = SostituisciTag(blocco, articoli, 2, contatore, &troppo);
                if (troppo)
                    return crescitaSenzaFine();
                if (copia == erroreUnione)
                    return false;
                copie += copia;
            }
        }
        testo = testo.left(inizio) + copie + testo.mid(fine + end.size());
    }

    testo += QStringLiteral("\r\n");
    // The output replaces an older page only once it is complete.
    if (!Make::scriviFile(uscita, letto.codifica(testo))) {
        messages.warning(QStringLiteral("Impossibile scrivere il file '") + uscita + QStringLiteral("'."));
        return false;
    }
    return true;
}
