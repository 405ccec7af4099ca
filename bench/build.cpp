// vetrasto-bench build [SHOP [SET]]: a complete build of a shop folder
// without windows, the shop's settings record standing in for the main
// window's fields. SET is the path of a template set folder (default: the
// shop's own set). Without SHOP it makes a synthetic shop of 2,000
// departments and 20,000 articles with a small template set.
#include "catalogschema.h"
#include "scriptedmessages.h"
#include "sintetico.h"
#include "elabora.h"
#include "impostazioni.h"
#include "messages.h"
#include "negozio.h"
#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void scrivi(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(data);
}


void setSintetico(const QString &cartella)
{
    scrivi(cartella + QStringLiteral("/modello1.htm"),
           "<html>\r\n<head><title><<1-titolo>></title></head>\r\n<body>\r\n<table><tr><td><<1-reparti>></td>\r\n"
           "<td><<1-repartimenu>><h1><<1-titolo>></h1><p><<1-descrizione>></p><p><<1-sottopagine>></p>\r\n"
           "<VT_START><div><<2-codice>> <<2-titolo>> <<2-/COUNTER/>></div>\r\n<VT_END>\r\n<ul><<1-elenco>></ul>"
           "</td></tr></table>\r\n</body>\r\n</html>\r\n");
    scrivi(cartella + QStringLiteral("/style.css"), "body { font-family: sans-serif; }\n");
}

long piccoMemoriaKB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &l : f.readAll().split('\n'))
        if (l.startsWith("VmHWM:"))
            return l.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

} // namespace

int benchBuild(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    QString shop, set;
    if (argc > 2) {
        shop = QString::fromLocal8Bit(argv[2]);
        if (argc > 3)
            set = QDir(QString::fromLocal8Bit(argv[3])).absolutePath();
    } else {
        // A program folder of its own with the synthetic set as "classico".
        ProgramFolder::setPath(tmp.path());
        shop = tmp.filePath(QStringLiteral("negozio"));
        CatalogSchema::createEmptyShop(shop);
        negozioSintetico(shop, 20000, false);
        setSintetico(tmp.filePath(QStringLiteral("template/") + CatalogSchema::DefaultTemplateSet));
    }

    ScriptedMessages messages;
    Negozio negozio(messages);
    negozio.state.PercorsoNegozio = shop;
    QElapsedTimer apertura;
    apertura.start();
    if (negozio.CaricaNegozio() != Negozio::Aperto) {
        std::fprintf(stderr, "build: the shop could not be opened: %s\n", qPrintable(messages.texts().join(u' ')));
        return 1;
    }
    const Impostazioni imp = CaricaImpostazioni(negozio.dati().dataGenerale.recordset(), negozio.state);
    messages.clear();
    messages.answer(Messages::Answer::No);

    Elaborazione e(negozio.state, imp, messages);
    if (!set.isEmpty())
        e.CartellaSet = set;
    QElapsedTimer t;
    t.start();
    const auto esito = e.MakePages();
    const double secondi = t.elapsed() / 1000.0;
    if (esito != Elaborazione::Esito::Completata) {
        std::fprintf(stderr, "build: failed: %s\n", qPrintable(messages.texts().join(u' ')));
        return 1;
    }
    qint64 byte = 0, file = 0;
    for (QDirIterator it(negozio.state.CartellaPagine, QDir::Files); it.hasNext();) {
        it.next();
        byte += it.fileInfo().size();
        ++file;
    }
    std::printf("build_departments: %d departments\n", e.repartiFatti());
    std::printf("build_time: %.3f s\n", secondi);
    std::printf("build_pages_written: %lld files\n", static_cast<long long>(file));
    std::printf("build_output: %.1f MB\n", byte / 1048576.0);
    std::printf("build_throughput: %.1f MB/s\n", secondi > 0 ? byte / 1048576.0 / secondi : 0.0);
    std::printf("build_peak_memory: %ld KB\n", piccoMemoriaKB());
    return 0;
}
