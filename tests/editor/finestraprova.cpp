#include "finestraprova.h"

#include "alberocategorie.h"
#include "programfolder.h"
#include "shell.h"

#include <QDir>
#include <QtTest>

FinestraDiProva::~FinestraDiProva()
{
    Shell::setApertura({});
    if (w) {
        w->close();
        delete w;
    }
}

void scriviServerPath(const QString &cartella)
{
    scrivi(ProgramFolder::serverPathFile(), (cartella + QStringLiteral("\r\n")).toUtf8());
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
    scriviServerPath(f->shop);
    Shell::setApertura([p = f.get()](const QString &d) {
        p->aperti << d;
        return false;
    });
    f->avvio = std::make_unique<Avvio>(f->messages);
    f->avvio->mostraMain();
    f->w = f->avvio->finestra();
    if (f->w)
        QTest::qWaitForWindowExposed(f->w);
    return f;
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

QString salvaSchermata(QWidget *w, const QString &nome)
{
    const QString cartella = QCoreApplication::applicationDirPath() + QStringLiteral("/../tests/editor/output");
    QDir().mkpath(cartella);
    const QString file = cartella + u'/' + nome + QStringLiteral(".png");
    w->grab().save(file);
    return file;
}
