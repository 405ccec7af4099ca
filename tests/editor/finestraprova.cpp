#include "finestraprova.h"

#include "alberocategorie.h"
#include "boxmessages.h"
#include "cartelle.h"
#include "programfolder.h"
#include "shell.h"

#include <QToolButton>
#include <QtTest>
#include <stdexcept>

FinestraDiProva::~FinestraDiProva()
{
    Shell::impostaApertura({});
    if (w) {
        w->close();
        delete w;
    }
}

void scriviServerPath(const QString &cartella)
{
    scrivi(ProgramFolder::serverPathFile(), (cartella + QStringLiteral("\r\n")).toUtf8());
}

void avvia(FinestraDiProva &f)
{
    scriviServerPath(f.shop);
    Shell::impostaApertura([p = &f](const QString &d) {
        p->aperti << d;
        return false;
    });
    f.avvio = std::make_unique<Avvio>(f.messaggi());
    f.avvio->mostraMain();
    f.w = f.avvio->finestra();
    if (f.w && !QTest::qWaitForWindowExposed(f.w))
        throw std::runtime_error("the main window was not shown");
}

std::unique_ptr<FinestraDiProva> apriFinestra(int reparti, int articoli, int pieni)
{
    auto f = std::make_unique<FinestraDiProva>();
    f->shop = f->program.newShop();
    {
        auto db = Database::open(f->shop + QStringLiteral("/catalog.mdb"));
        riempiCatalogo(*db, reparti, articoli);
        for (int r = pieni + 1; r <= reparti; ++r)
            db->execute(QStringLiteral("DELETE FROM articoli WHERE catID=?"),
                        {QStringLiteral("cat%1").arg(r, 3, 10, QLatin1Char('0'))});
        db->close();
    }
    avvia(*f);
    return f;
}

std::unique_ptr<FinestraDiProva> apriImpostazioni(const QVariantMap &generale, const QString &copia, bool scatole)
{
    auto f = std::make_unique<FinestraDiProva>();
    if (scatole)
        f->scatole = std::make_unique<BoxMessages>();
    if (copia.isEmpty()) {
        f->shop = f->program.newShop();
    } else {
        f->shop = f->program.path() + QStringLiteral("/copia");
        if (!CopiaCartella(copia, f->shop))
            throw std::runtime_error("cannot copy the shop " + copia.toStdString());
    }
    {
        auto db = Database::open(f->shop + QStringLiteral("/catalog.mdb"));
        Recordset g(db, QStringLiteral("SELECT * FROM generale"));
        g.moveFirst();
        g.edit();
        for (auto it = generale.begin(); it != generale.end(); ++it)
            g.setValue(it.key(), it.value());
        g.update();
        db->close();
    }
    avvia(*f);
    return f;
}

QVariant FinestraDiProva::generale(const QString &campo)
{
    return Recordset(negozio().state.dbCatalogo, QStringLiteral("SELECT * FROM generale")).value(campo);
}

bool clicNodo(frmMain *w, const QString &testo)
{
    AlberoCategorie *t = w->tvwCategorie();
    const QList<QTreeWidgetItem *> items = t->findItems(testo, Qt::MatchExactly | Qt::MatchRecursive);
    if (items.size() != 1)
        return false;
    t->scrollToItem(items[0]);
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(items[0]).center());
    return true;
}

bool clicPulsante(frmMain *w, int n)
{
    auto *b = w->findChild<QToolButton *>(QStringLiteral("cmdButton%1").arg(n));
    if (!b || !b->isVisible() || !b->isEnabled())
        return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}
