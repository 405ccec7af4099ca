// vetrasto-bench catalogue [SHOP]: moves and insertions of articles in a
// large department. Without a shop folder it makes a shop of 50,000 articles
// in ten departments of 5,000 in a temporary folder. Prints the median and
// the slowest of several runs of each operation.
#include "catalogo.h"
#include "catalogschema.h"
#include "scriptedmessages.h"
#include "messages.h"
#include "negozio.h"
#include "programfolder.h"
#include "settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void riempi(const QString &folder, int reparti, int articoli)
{
    auto db = Database::open(folder + QStringLiteral("/catalog.mdb"));
    db->beginTrans();
    db->execute(QStringLiteral("DELETE FROM categorie"));
    for (int r = 1; r <= reparti; ++r) {
        const QString id = Catalogo::idReparto(r);
        db->execute(QStringLiteral("INSERT INTO categorie (contatore, ID, genitore, livello, ordinamento, pagina, "
                                   "template, titolo) VALUES (?, ?, '###', 1, ?, ?, 'modello1', ?)"),
                    {r, id, r, id, QStringLiteral("Reparto %1").arg(r)});
        for (int a = 1; a <= articoli; ++a)
            db->execute(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice, titolo, descrizione, prezzo) "
                                       "VALUES (?, ?, ?, ?, ?, ?)"),
                        {id, a, QStringLiteral("A%1-%2").arg(r).arg(a), QStringLiteral("Articolo %1").arg(a),
                         QStringLiteral("Descrizione dell'articolo %1 del reparto %2").arg(a).arg(r),
                         qlonglong(a) * 10000});
    }
    db->commitTrans();
    db->close();
}

struct Misura {
    double mediana = 0, massimo = 0;
};

Misura misura(int volte, const std::function<void()> &prepara, const std::function<void()> &opera)
{
    std::vector<double> ms;
    for (int i = 0; i < volte; ++i) {
        prepara();
        QElapsedTimer t;
        t.start();
        opera();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

void stampa(const char *nome, const Misura &m)
{
    std::printf("%s: %.1f ms\n%s_max: %.1f ms\n", nome, m.mediana, nome, m.massimo);
}

} // namespace

int benchCatalogue(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    QString shop;
    QString reparto = Catalogo::idReparto(5);
    if (argc > 2) {
        shop = QString::fromLocal8Bit(argv[2]);
        reparto.clear();
    } else {
        shop = tmp.path() + QStringLiteral("/negozio");
        CatalogSchema::createEmptyShop(shop);
        riempi(shop, 10, 5000);
    }
    ProgramFolder::setPath(tmp.path());
    SettingsStore::setLocation(tmp.path() + QStringLiteral("/settings"));

    ScriptedMessages messages;
    Negozio negozio(messages);
    negozio.state.PercorsoNegozio = shop;
    if (negozio.CaricaNegozio() != Negozio::Aperto) {
        std::fprintf(stderr, "catalogue: the shop could not be opened\n");
        return 1;
    }
    DatiPrincipali &d = negozio.dati();
    Database &db = *negozio.state.dbCatalogo;
    if (reparto.isEmpty())  // a given shop: its department with the most articles
        reparto = db.scalar(QStringLiteral("SELECT catID FROM articoli GROUP BY catID ORDER BY COUNT(*) DESC LIMIT 1"))
                      .toString();
    d.selezionaNodo(reparto);
    Recordset &a = d.dataArticoli.recordset();
    const int n = a.recordCount();
    std::printf("catalogue_shop_articles: %lld articles\ncatalogue_department_articles: %d articles\n",
                static_cast<long long>(negozio.state.TotaleArticoli), n);
    if (n < 3) {
        std::fprintf(stderr, "catalogue: the department has too few articles\n");
        return 1;
    }
    Catalogo cat(negozio);
    auto metaLista = [&] {
        a.moveFirst();
        for (int i = 0; i < a.recordCount() / 2; ++i)
            a.moveNext();
    };
    const int volte = 9;

    stampa("catalogue_move_article",
           misura(volte, metaLista, [&] {
               BusyFlag busy(negozio.state.InAggiornamento);  // as the dispatcher holds it
               cat.SpostaRecord(Catalogo::Articoli, 1);
           }));
    // Values 100, 105, ... leave room: no follower is renumbered. Each run
    // inserts after a different row, away from the earlier insertions.
    int giro = 0;
    auto rigaLibera = [&] {
        a.moveFirst();
        for (int i = 0; i < 100 + 400 * giro; ++i)
            a.moveNext();
        ++giro;
    };
    stampa("catalogue_insert_article", misura(volte, rigaLibera, [&] { cat.AggiungiArticoloDopo(); }));
    // Consecutive values: every follower of the first row is renumbered.
    auto consecutivi = [&] {
        db.execute(QStringLiteral("UPDATE articoli SET ordinamento = (SELECT COUNT(*) FROM articoli b WHERE "
                                  "b.catID = articoli.catID AND (b.ordinamento < articoli.ordinamento OR "
                                  "(b.ordinamento = articoli.ordinamento AND b.ID <= articoli.ID))) WHERE catID=?"),
                   {reparto});
        d.selezionaNodo(reparto);
        a.moveFirst();
    };
    stampa("catalogue_insert_article_renumbering", misura(3, consecutivi, [&] { cat.AggiungiArticoloDopo(); }));
    stampa("catalogue_move_department",
           misura(volte, [&] { d.selezionaNodo(reparto); }, [&] { cat.SpostaRecord(Catalogo::Reparti, 1); }));
    return 0;
}
