// vetrasto-bench search [SHOP]: the article search on a large catalogue
// (50,000 synthetic articles, or the shop given), a text in the titles,
// plain and as a whole word.
// vetrasto-bench import [CATEGORIES ARTICLES]: an import from Zendaro of
// that many categories and articles per category (20 x 250 by default) into
// an empty shop through the catalogue operations, then the same import
// again, which adds nothing.
#include "catalogo.h"
#include "catalogschema.h"
#include "importazd.h"
#include "ricercaarticoli.h"
#include "settings.h"
#include "sintetico.h"
#include "sorgenteprova.h"
#include "testshop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

double mediana(int volte, const std::function<void()> &opera)
{
    std::vector<double> ms;
    for (int i = 0; i < volte; ++i) {
        QElapsedTimer t;
        t.start();
        opera();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int benchSearch(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    QString shop = argc > 2 ? QString::fromLocal8Bit(argv[2]) : tmp.path() + QStringLiteral("/negozio");
    if (argc <= 2) {
        CatalogSchema::createEmptyShop(shop);
        negozioSintetico(shop, 50000, false);
    }
    auto db = Database::open(shop + QStringLiteral("/catalog.mdb"));
    const qint64 articoli = db->scalar(QStringLiteral("SELECT COUNT(*) FROM articoli")).toLongLong();
    size_t trovati = 0;
    const double semplice = mediana(5, [&] {
        trovati = RicercaArticoli::cerca(*db, QStringLiteral("titolo"), QStringLiteral("articolo 1?"), false).size();
    });
    const double parola = mediana(5, [&] {
        RicercaArticoli::cerca(*db, QStringLiteral("titolo"), QStringLiteral("articolo"), true);
    });
    std::printf("search_articles: %lld articles\nsearch_found: %zu articles\n", articoli, trovati);
    std::printf("search_plain: %.1f ms\nsearch_whole_word: %.1f ms\n", semplice, parola);
    return 0;
}

int benchImport(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int categorie = argc > 3 ? std::atoi(argv[2]) : 20;
    const int perCategoria = argc > 3 ? std::atoi(argv[3]) : 250;
    TestProgramFolder program;
    NegozioDiProva t;
    if (t.apri(program.newShop()) != Negozio::Aperto)
        return 1;
    SettingsStore::set(QStringLiteral("Zendaro"), QStringLiteral("AppPath"), QStringLiteral("AppPath"), program.path());

    TabellaProva cat{{"Id", "Nome"}, {}};
    TabellaProva art{{"Id", "IdCategoria", "Codice", "Descrizione", "iva", "Vendita1"}, {}};
    int id = 0;
    for (int c = 1; c <= categorie; ++c) {
        cat.righe.push_back({c, QStringLiteral("Categoria %1").arg(c)});
        for (int a = 0; a < perCategoria; ++a, ++id)
            art.righe.push_back({id, c, QStringLiteral("Z%1").arg(id), QStringLiteral("Articolo %1").arg(id), 22,
                                 QVariant::fromValue(Currency::fromUnits(id % 100 + 1))});
    }
    const ApriSorgente apri = SorgenteProva::apri({{QStringLiteral("Categoria"), cat}, {QStringLiteral("Articoli"), art}});
    Catalogo catalogo(t.negozio);
    QElapsedTimer timer;
    timer.start();
    ImportazioneZendaro(t.negozio, catalogo).ImportaZD(QStringLiteral("1111"), apri);
    const double prima = timer.nsecsElapsed() / 1e6;
    timer.restart();
    ImportazioneZendaro(t.negozio, catalogo).ImportaZD(QStringLiteral("1111"), apri);
    const double seconda = timer.nsecsElapsed() / 1e6;
    const qint64 importati = t.negozio.state.dbCatalogo->scalar(QStringLiteral("SELECT COUNT(*) FROM articoli")).toLongLong();
    std::printf("import_articles: %lld articles\nimport_first: %.0f ms\nimport_again: %.0f ms\n", importati, prima, seconda);
    return importati == qint64(id) ? 0 : 1;
}
