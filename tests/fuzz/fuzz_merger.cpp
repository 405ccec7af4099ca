// Fuzzing the template merger. An input is a model file, optionally followed
// by field values: after the first NUL byte, NUL-separated entries
// "RNAME=VALUE" where the byte R picks the row (R % 3: 0 the page row, 1 and
// 2 the two article rows). The rows have the fields of the build's work
// tables and start with values that hold tags of their own level.
//
// Each input is read as the builder reads a model (UTF-8, else
// Windows-1252), must come back byte for byte when written in its own
// encoding, and is merged as a department page (page row, article block,
// level 3) and as a page without articles. Each pass of one level must give
// what the plain replacement of one tag at a time gives.
#include "catalogschema.h"
#include "make.h"
#include "testofile.h"

#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

std::shared_ptr<const CampiTabella> campi(const char *tabella)
{
    QStringList nomi;
    for (const FieldDef &f : CatalogSchema::workDatabase().table(QString::fromLatin1(tabella))->fields)
        nomi << f.name;
    return std::make_shared<const CampiTabella>(nomi);
}

void fallisci(const char *perche)
{
    std::fprintf(stderr, "fuzz_merger: %s\n", perche);
    std::abort();
}

// A pass over the text as the merger's rules put it, by plain replacement of
// one tag at a time in the whole text: slow, but plainly right. A value put
// in is read again from its start, one level deeper than where its tag
// began; a value that is its own tag, like a name that no field has, leaves
// the tag and the search goes on one character after it. nullopt when the
// tags nest too deep (*troppoProfondo) or the text grows past a size the
// fuzzer need not follow.
std::optional<QString> sostituisciPiano(const QString &testo, const Riga &riga, int livello, qint32 contatore,
                                        bool *troppoProfondo)
{
    const QString prefisso = QStringLiteral("<<%1-").arg(livello);
    const QString numero = QString::number(contatore);
    QString t = testo;
    struct Valore {
        qsizetype inizio, fine;
        int profondita;
    };
    std::vector<Valore> valori;
    *troppoProfondo = false;
    for (qsizetype pos = t.indexOf(prefisso); pos >= 0;) {
        const qsizetype chiusura = t.indexOf(QLatin1String(">>"), pos + prefisso.size());
        if (chiusura < 0)
            break;
        const QString nome = t.mid(pos + prefisso.size(), chiusura - pos - prefisso.size());
        const QString tag = t.mid(pos, chiusura + 2 - pos);
        const QString *v = nome == QLatin1String("/COUNTER/") ? &numero : riga.valore(nome);
        if (!v || *v == tag) {
            pos = t.indexOf(prefisso, pos + 1);
            continue;
        }
        std::erase_if(valori, [&](const Valore &r) { return r.fine <= pos; });
        int profondita = 0;
        for (const Valore &r : valori)
            profondita = std::max(profondita, r.profondita);
        if (profondita >= Make::profonditaMassima) {
            *troppoProfondo = true;
            return std::nullopt;
        }
        // A value the tag runs out of ends where the tag began; one that
        // holds the whole tag grows or shrinks with the replacement.
        const qsizetype delta = v->size() - tag.size();
        for (Valore &r : valori)
            r.fine = r.fine >= pos + tag.size() ? r.fine + delta : pos;
        t.replace(pos, tag.size(), *v);
        if (!v->isEmpty())
            valori.push_back({pos, pos + v->size(), profondita + 1});
        if (t.size() > (1 << 20))
            return std::nullopt;
        pos = t.indexOf(prefisso, pos);
    }
    return t;
}

// The merger's pass against the plain one.
void confronta(const QString &testo, const Riga &riga, int livello, qint32 contatore)
{
    bool troppoProfondo = false;
    const std::optional<QString> piano = sostituisciPiano(testo, riga, livello, contatore, &troppoProfondo);
    if (!piano && !troppoProfondo)
        return;
    Make::Esito esito = Make::Esito::Fatto;
    const QString unito = SostituisciTag(testo, riga, livello, contatore, &esito);
    if (troppoProfondo ? esito != Make::Esito::Fallito : esito != Make::Esito::Fatto || unito != *piano)
        fallisci("a pass of the merger differs from the plain replacement of one tag at a time");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const auto campiPagina = campi("categoria");
    static const auto campiArticolo = campi("articoli");

    const QByteArray tutto = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype nul = tutto.indexOf('\0');
    const QByteArray modello = nul < 0 ? tutto : tutto.left(nul);

    Riga righe[3] = {Riga(campiPagina), Riga(campiArticolo), Riga(campiArticolo)};
    righe[0].imposta(u"titolo", QStringLiteral("Scarpe"));
    righe[0].imposta(u"note", QStringLiteral("vedi nota"));
    righe[0].imposta(u"descrizione", QStringLiteral("vedi: <<1-note>>"));
    righe[0].imposta(u"sottopagine", QStringLiteral("<<1-note>><<3-titolo>>"));
    righe[1].imposta(u"codice", QStringLiteral("C1"));
    righe[1].imposta(u"titolo", QStringLiteral("<<2-codice>> <<1-titolo>>"));
    righe[2].imposta(u"codice", QStringLiteral("C2"));
    if (nul >= 0) {
        for (const QByteArray &voce : tutto.mid(nul + 1).split('\0')) {
            const qsizetype uguale = voce.indexOf('=');
            if (voce.isEmpty() || uguale < 1)
                continue;
            righe[uchar(voce[0]) % 3].imposta(QString::fromUtf8(voce.mid(1, uguale - 1)),
                                               QString::fromUtf8(voce.mid(uguale + 1)));
        }
    }
    const std::vector<Riga> articoli{righe[1], righe[2]};

    const TestoFile letto = TestoFile::decodifica(modello);
    if (letto.codifica(letto.testo) != modello)
        fallisci("the model's bytes did not survive decoding and encoding");

    confronta(letto.testo, righe[0], 1, 0);
    confronta(letto.testo, righe[1], 2, 7);
    confronta(letto.testo, righe[0], 3, 0);

    QString testo = letto.testo;
    Make::aggiungiGeneratore(testo);
    for (const bool pagina : {true, false}) {
        QString unito = testo, avviso;
        if (Make::unisci(unito, righe[0], pagina ? &articoli : nullptr, pagina, QStringLiteral("m.htm"), avviso) ==
            Make::Esito::Fatto)
            (void)letto.codifica(unito, true);
    }
    return 0;
}
