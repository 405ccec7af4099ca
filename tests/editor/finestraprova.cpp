#include "finestraprova.h"

#include "alberocategorie.h"
#include "cartelle.h"
#include "programfolder.h"
#include "shell.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabBar>
#include <QToolButton>
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

namespace {

// Opens the window on f's shop as the program does.
void apri(FinestraDiProva &f)
{
    scriviServerPath(f.shop);
    Shell::setApertura([p = &f](const QString &d) {
        p->aperti << d;
        return false;
    });
    f.avvio = std::make_unique<Avvio>(f.messages);
    f.avvio->mostraMain();
    f.w = f.avvio->finestra();
    if (f.w)
        QTest::qWaitForWindowExposed(f.w);
}

} // namespace

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
    apri(*f);
    return f;
}

std::unique_ptr<FinestraDiProva> apriImpostazioni(const QVariantMap &generale, const QString &copia)
{
    auto f = std::make_unique<FinestraDiProva>();
    if (copia.isEmpty()) {
        f->shop = f->program.newShop();
    } else {
        f->shop = f->program.path() + QStringLiteral("/copia");
        CopiaCartella(copia, f->shop);
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
    apri(*f);
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

QString salvaSchermata(QWidget *w, const QString &nome)
{
    const QString cartella = QCoreApplication::applicationDirPath() + QStringLiteral("/../tests/editor/output");
    QDir().mkpath(cartella);
    const QString file = cartella + u'/' + nome + QStringLiteral(".png");
    // The layouts follow the panels just shown, each nested one in its turn.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    w->grab().save(file);
    return file;
}

namespace {

// The widgets of a panel that the merchant reads or uses.
QList<QWidget *> controlli(QWidget *pannello)
{
    QList<QWidget *> r;
    for (QWidget *w : pannello->findChildren<QWidget *>()) {
        if (!w->isVisible() || !(qobject_cast<QLabel *>(w) || qobject_cast<QLineEdit *>(w)
                                 || qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QComboBox *>(w)
                                 || qobject_cast<QAbstractButton *>(w)))
            continue;
        bool interno = false;  // the inner parts of a list or a tab strip
        for (QWidget *p = w->parentWidget(); p && p != pannello; p = p->parentWidget())
            interno = interno || qobject_cast<QComboBox *>(p) || qobject_cast<QTabBar *>(p)
                || qobject_cast<QLineEdit *>(p) || qobject_cast<QPlainTextEdit *>(p);
        if (!interno && !w->objectName().startsWith(QLatin1String("qt_")))
            r << w;
    }
    return r;
}

QString nome(const QWidget *w)
{
    if (const auto *l = qobject_cast<const QLabel *>(w))
        return QStringLiteral("label '%1'").arg(l->text());
    if (const auto *b = qobject_cast<const QAbstractButton *>(w); b && w->objectName().isEmpty())
        return QStringLiteral("button '%1'").arg(b->text());
    return w->objectName();
}

// What a control must lie in: the content of the scrolled area holding it,
// else the window.
QWidget *contenitore(QWidget *w)
{
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (auto *s = qobject_cast<QScrollArea *>(p); s && s->widget() && s->widget()->isAncestorOf(w))
            return s->widget();
    return w->window();
}

} // namespace

void verificaImpaginazione(QWidget *pannello)
{
    const QList<QWidget *> c = controlli(pannello);
    QVERIFY(c.size() > 5);
    QWidget *finestra = pannello->window();
    QList<QRect> aree;
    for (QWidget *w : c) {
        if (qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w))
            QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(nome(w) + QStringLiteral(" is cut")));
        if (const auto *e = qobject_cast<const QLineEdit *>(w); e && e->echoMode() == QLineEdit::Normal) {
            // The text's room: the field less its frame and margins.
            const int spazio = e->width() - 8;
            const int testo = e->fontMetrics().horizontalAdvance(e->text());
            // A number or a text shown and not typed is read whole.
            const bool intero = (e->alignment() & Qt::AlignRight) || e->isReadOnly();
            QVERIFY2(spazio >= (intero ? testo : std::min(testo, e->fontMetrics().averageCharWidth() * 20)),
                     qPrintable(nome(w) + QStringLiteral(" is too narrow for '") + e->text() + u'\''));
        }
        QWidget *dentro = contenitore(w);
        const QRect area(w->mapTo(dentro, QPoint(0, 0)), w->size());
        QVERIFY2(dentro->rect().contains(area), qPrintable(nome(w) + QStringLiteral(" is outside ") + nome(dentro)));
        aree << QRect(w->mapTo(finestra, QPoint(0, 0)), w->size());
    }
    for (int i = 0; i < c.size(); ++i)
        for (int j = i + 1; j < c.size(); ++j)
            if (!c[i]->isAncestorOf(c[j]) && !c[j]->isAncestorOf(c[i]))
                QVERIFY2(!aree[i].intersects(aree[j]), qPrintable(nome(c[i]) + QStringLiteral(" overlaps ") + nome(c[j])));
}
