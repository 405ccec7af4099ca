// vetrasto-bench merge: the template merger on long pages. Models of 10 and
// 40 MB of HTML with one level-1 tag per kB (half of them naming a value
// that holds a tag of its own) are merged into a page, read, merged and
// written as a build does; each time is printed. Then the 40 MB merge is
// cancelled 100 ms after it starts, as the build's cancel flag does, and the
// time from the cancel to the merge's return is printed.
#include "catalogschema.h"
#include "make.h"
#include "scriptedmessages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// A model of about `megabyte` MB: HTML paragraphs with a tag every kB.
QByteArray modelloLungo(int megabyte)
{
    const QByteArray paragrafo = "<p class=\"testo\">Caff\xC3\xA8 in grani, tostatura media, <b>miscela</b> "
                                 "della casa. Spedizione in 48 ore.</p>\r\n";
    QByteArray m = "<html><head><title><<1-negozio>></title></head><body>\r\n";
    m.reserve(qsizetype(megabyte) * 1024 * 1024 + 4096);
    int tag = 0;
    while (m.size() < qsizetype(megabyte) * 1024 * 1024) {
        for (qsizetype fine = m.size() + 1024; m.size() < fine;)
            m += paragrafo;
        m += (++tag % 2) ? "<<1-negozio>>" : "<<1-home1>>";
    }
    return m + "</body></html>\r\n";
}

} // namespace

int benchMerge(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    QStringList nomi;
    for (const FieldDef &f : CatalogSchema::workDatabase().table(QStringLiteral("categoria"))->fields)
        nomi << f.name;
    Riga pagina(std::make_shared<const CampiTabella>(nomi));
    pagina.imposta(u"negozio", QStringLiteral("Bottega del Caffè"));
    pagina.imposta(u"home1", QStringLiteral("Benvenuti da <<1-negozio>>, dal 1950"));

    ScriptedMessages messages;
    for (const int mb : {10, 40}) {
        const QString modello = tmp.filePath(QStringLiteral("modello.htm"));
        const QString uscita = tmp.filePath(QStringLiteral("pagina.htm"));
        QFile f(modello);
        if (!f.open(QIODevice::WriteOnly) || f.write(modelloLungo(mb)) < 0) {
            std::fprintf(stderr, "merge: the model could not be written\n");
            return 1;
        }
        f.close();
        QElapsedTimer t;
        t.start();
        if (!MakePagina(pagina, nullptr, modello, uscita, messages)) {
            std::fprintf(stderr, "merge: failed: %s\n", qPrintable(messages.texts().join(u' ')));
            return 1;
        }
        std::printf("merge %d MB: %.3f s\n", mb, double(t.nsecsElapsed()) / 1e9);
        if (mb < 40)
            continue;
        qint64 annullato = -1;
        t.restart();
        const Make::Interruzione annulla = [&] {
            if (annullato < 0 && t.elapsed() >= 100)
                annullato = t.nsecsElapsed();
            return annullato >= 0;
        };
        if (MakePagina(pagina, nullptr, modello, uscita, messages, annulla) || annullato < 0) {
            std::fprintf(stderr, "merge: the merge ended before the cancel\n");
            return 1;
        }
        std::printf("merge cancel: %.1f ms\n", double(t.nsecsElapsed() - annullato) / 1e6);
    }
    return 0;
}
