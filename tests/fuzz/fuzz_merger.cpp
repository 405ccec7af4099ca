// Fuzzing the template merger. An input is a model file, optionally followed
// by field values: after the first NUL byte, NUL-separated entries
// "RNAME=VALUE" where the byte R picks the row (R % 3: 0 the page row, 1 and
// 2 the two article rows). The rows have the fields of the build's work
// tables and start with values that hold tags of their own level.
//
// Each input is read as the builder reads a model (UTF-8, else
// Windows-1252), must come back byte for byte when written in its own
// encoding, and is merged as a department page (page row, article block,
// level 3) and as a page without articles.
#include "catalogschema.h"
#include "make.h"
#include "testofile.h"

#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

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
