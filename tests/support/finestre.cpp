#include "finestre.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTimer>

QString cartellaUscita()
{
    const QString data = qEnvironmentVariable("VETRASTO_TEST_OUTPUT");
    if (!data.isEmpty())
        return data;
    const QString area = QFileInfo(qEnvironmentVariable("VETRASTO_TEST_DATA")).fileName();
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../tests/") + area
                           + QStringLiteral("/output"));
}

bool salvaSchermata(QWidget *w, const QString &nome)
{
    VERIFICA2(w, "no widget to picture");
    const QString cartella = cartellaUscita();
    VERIFICA(QDir().mkpath(cartella));
    // The layouts follow the panels just shown, each nested one in its turn.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    const QString file = cartella + u'/' + nome + QStringLiteral(".png");
    VERIFICA2(w->grab().save(file), qPrintable(file));
    return true;
}

namespace {

// Whether the widget is part of a compound control (a list's line, a tab
// strip's scroll buttons, a spin box's field, a grid's header), checked as
// the whole, or one of Qt's own inner widgets (a message box's text is
// read: it is the merchant's).
bool interno(const QWidget *w, const QWidget *pannello)
{
    for (const QWidget *p = w->parentWidget(); p && p != pannello; p = p->parentWidget())
        if (qobject_cast<const QComboBox *>(p) || qobject_cast<const QTabBar *>(p) || qobject_cast<const QLineEdit *>(p)
            || qobject_cast<const QAbstractSpinBox *>(p)
            || (qobject_cast<const QAbstractScrollArea *>(p) && !qobject_cast<const QScrollArea *>(p)))
            return true;
    return w->objectName().startsWith(QLatin1String("qt_")) && !w->objectName().startsWith(QLatin1String("qt_msgbox"));
}

// The widgets of a panel that the merchant reads or uses.
QList<QWidget *> controlli(QWidget *pannello)
{
    QList<QWidget *> r;
    for (QWidget *w : pannello->findChildren<QWidget *>()) {
        const bool controllo = qobject_cast<QLabel *>(w) || qobject_cast<QLineEdit *>(w)
            || qobject_cast<QAbstractScrollArea *>(w) || qobject_cast<QComboBox *>(w)
            || qobject_cast<QAbstractButton *>(w) || qobject_cast<QAbstractSpinBox *>(w)
            || qobject_cast<QProgressBar *>(w) || qobject_cast<QTabBar *>(w);
        if (controllo && w->isVisible() && !interno(w, pannello) && !qobject_cast<QScrollArea *>(w))
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
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
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

// What of the container shows on the screen: the scrolled area's viewport,
// else the window, in global coordinates.
QRect mostrato(QWidget *dentro)
{
    QWidget *vista = dentro->isWindow() ? dentro : dentro->parentWidget();
    return {vista->mapToGlobal(QPoint(0, 0)), vista->size()};
}

// The control's text shown whole: a caption as wide and tall as it asks
// (a wrapped one as tall as its width needs), a field as tall as a line of
// its font needs, and a line field wide enough for its text (a number or
// a text shown and not typed read whole, a text typed for at least 20
// characters).
bool testoIntero(QWidget *w)
{
    const auto *l = qobject_cast<const QLabel *>(w);
    if (l && l->wordWrap() && !l->text().isEmpty())
        VERIFICA2(w->height() >= w->heightForWidth(w->width()), qPrintable(nome(w) + QStringLiteral(" is cut")));
    else if (l || (qobject_cast<QAbstractButton *>(w) && !static_cast<QAbstractButton *>(w)->text().isEmpty()))
        VERIFICA2(w->width() >= w->sizeHint().width() && w->height() >= w->minimumSizeHint().height(),
                  qPrintable(nome(w) + QStringLiteral(" is cut")));
    if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w))
        VERIFICA2(w->height() >= w->minimumSizeHint().height(),
                  qPrintable(nome(w) + QStringLiteral(" is shorter than its text")));
    if (const auto *a = qobject_cast<const QAbstractScrollArea *>(w))
        VERIFICA2(a->viewport()->height() >= a->fontMetrics().height(),
                  qPrintable(nome(w) + QStringLiteral(" is shorter than a line of text")));
    if (const auto *e = qobject_cast<const QLineEdit *>(w); e && e->echoMode() == QLineEdit::Normal) {
        // The text's room: the field less its frame and margins.
        const int spazio = e->width() - 8;
        const int testo = e->fontMetrics().horizontalAdvance(e->text());
        const bool tutto = (e->alignment() & Qt::AlignRight) || e->isReadOnly();
        VERIFICA2(spazio >= (tutto ? testo : std::min(testo, e->fontMetrics().averageCharWidth() * 20)),
                  qPrintable(nome(w) + QStringLiteral(" is too narrow for '") + e->text() + u'\''));
    }
    return true;
}

// The control reachable: inside every widget that holds it up to its
// container (nothing clips it), inside the container, and the part of the
// container that shows inside the screen's available area.
bool raggiungibile(QWidget *w)
{
    QWidget *dentro = contenitore(w);
    for (QWidget *p = w->parentWidget(); p && p != dentro; p = p->parentWidget())
        VERIFICA2(p->rect().contains(QRect(w->mapTo(p, QPoint(0, 0)), w->size())),
                  qPrintable(nome(w) + QStringLiteral(" is cut by ") + nome(p)));
    VERIFICA2(dentro->rect().contains(QRect(w->mapTo(dentro, QPoint(0, 0)), w->size())),
              qPrintable(nome(w) + QStringLiteral(" is outside ") + nome(dentro)));
    const QRect schermo = w->screen()->availableGeometry();
    const QRect visto = dentro == w->window() ? QRect(w->mapToGlobal(QPoint(0, 0)), w->size()) : mostrato(dentro);
    VERIFICA2(schermo.contains(visto), qPrintable(nome(w) + QStringLiteral(" is off the screen")));
    return true;
}

} // namespace

bool verificaImpaginazione(QWidget *pannello)
{
    VERIFICA(pannello && pannello->isVisible());
    QWidget *finestra = pannello->window();
    const QRect schermo = finestra->screen()->availableGeometry();
    VERIFICA2(schermo.contains(finestra->frameGeometry()),
              qPrintable(QStringLiteral("%1 (%2,%3 %4x%5 with its frame) does not fit the screen's %6x%7")
                             .arg(nome(finestra))
                             .arg(finestra->frameGeometry().x())
                             .arg(finestra->frameGeometry().y())
                             .arg(finestra->frameGeometry().width())
                             .arg(finestra->frameGeometry().height())
                             .arg(schermo.width())
                             .arg(schermo.height())));
    const QList<QWidget *> c = controlli(pannello);
    VERIFICA(!c.isEmpty());
    QList<QRect> aree;
    for (QWidget *w : c) {
        if (!testoIntero(w) || !raggiungibile(w))
            return false;
        aree << QRect(w->mapTo(finestra, QPoint(0, 0)), w->size());
    }
    for (int i = 0; i < c.size(); ++i)
        for (int j = i + 1; j < c.size(); ++j)
            if (!c[i]->isAncestorOf(c[j]) && !c[j]->isAncestorOf(c[i]) && contenitore(c[i]) == contenitore(c[j]))
                VERIFICA2(!aree[i].intersects(aree[j]),
                          qPrintable(nome(c[i]) + QStringLiteral(" overlaps ") + nome(c[j])));
    return true;
}

bool clic(QWidget *w)
{
    VERIFICA2(w, "no control to click");
    VERIFICA2(w->isVisible() && w->isEnabled(), qPrintable(w->objectName()));
    if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)) {
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
        return true;
    }
    if (auto *lista = qobject_cast<QComboBox *>(w); lista && lista->lineEdit())
        w = lista->lineEdit();
    else if (auto *righe = qobject_cast<QPlainTextEdit *>(w))
        w = righe->viewport();
    QTest::mouseClick(w, Qt::LeftButton);
    return true;
}

void digita(QWidget *w, const QString &testo)
{
    for (const QChar c : testo) {
        if (c == u'\n') {
            QTest::keyClick(w, Qt::Key_Return);
        } else if (c.unicode() >= 32 && c.unicode() < 127) {
            QTest::keyClick(w, char(c.unicode()));
        } else {
            QKeyEvent giu(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QKeyEvent su(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &giu);
            QApplication::sendEvent(w, &su);
        }
    }
}

bool riscrivi(QWidget *campo, const QString &testo)
{
    VERIFICA2(campo, "no field to type into");
    if (auto *lista = qobject_cast<QComboBox *>(campo); lista && lista->lineEdit())
        campo = lista->lineEdit();
    VERIFICA2(campo->isVisible() && campo->isEnabled(), qPrintable(campo->objectName()));
    // The field taken with a click at its text's start, the old text selected
    // with keys that carry no text, deleted, and the new one typed.
    if (auto *righe = qobject_cast<QPlainTextEdit *>(campo)) {
        QTest::mouseClick(righe->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClick(campo, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(campo, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    } else {
        QTest::mouseClick(campo, Qt::LeftButton, {}, QPoint(5, campo->height() / 2));
        QTest::keyClick(campo, Qt::Key_End);
        QTest::keyClick(campo, Qt::Key_Home, Qt::ShiftModifier);
    }
    QTest::keyClick(campo, Qt::Key_Delete);
    digita(campo, testo);
    return true;
}

bool scegliConFrecce(QComboBox *lista, const QString &testo)
{
    VERIFICA2(lista, "no list to choose in");
    VERIFICA2(lista->isVisible() && lista->isEnabled(), qPrintable(lista->objectName()));
    const int voce = lista->findText(testo);
    VERIFICA2(voce >= 0, qPrintable(lista->objectName() + QStringLiteral(" has no '") + testo + u'\''));
    // The list opened with a click on its arrow, the entry reached with the
    // arrow keys from the one shown, and taken with Return.
    QStyleOptionComboBox opzioni;
    opzioni.initFrom(lista);
    opzioni.editable = lista->isEditable();
    const QRect freccia = lista->style()->subControlRect(QStyle::CC_ComboBox, &opzioni, QStyle::SC_ComboBoxArrow, lista);
    QTest::mouseClick(lista, Qt::LeftButton, {}, freccia.center());
    VERIFICA2(QApplication::activePopupWidget(), qPrintable(lista->objectName() + QStringLiteral(" did not open")));
    QWidget *vista = lista->view();
    for (int k = lista->currentIndex(); k < voce; ++k)
        QTest::keyClick(vista, Qt::Key_Down);
    for (int k = lista->currentIndex(); k > voce; --k)
        QTest::keyClick(vista, Qt::Key_Up);
    QTest::keyClick(vista, Qt::Key_Return);
    CONFRONTA(lista->currentText(), testo);
    return true;
}

namespace {

QString senzaTasto(QString t)
{
    return t.remove(u'&').section(u'\t', 0, 0).trimmed();
}

QAction *voce(const QList<QAction *> &azioni, const QString &didascalia)
{
    for (QAction *a : azioni)
        if (a->isVisible() && senzaTasto(a->text()) == didascalia)
            return a;
    return nullptr;
}

} // namespace

bool sceltaDaMenu(QWidget *finestra, const QStringList &voci)
{
    auto *barra = finestra ? finestra->findChild<QMenuBar *>() : nullptr;
    VERIFICA2(barra && !voci.isEmpty(), "no menu bar");
    QAction *a = voce(barra->actions(), voci[0]);
    VERIFICA2(a && a->isEnabled(), qPrintable(voci[0]));
    QTest::mouseClick(barra, Qt::LeftButton, {}, barra->actionGeometry(a).center());
    for (qsizetype i = 1; i < voci.size(); ++i) {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        VERIFICA2(menu, qPrintable(voci[i - 1] + QStringLiteral(" did not open")));
        a = voce(menu->actions(), voci[i]);
        VERIFICA2(a && a->isEnabled(), qPrintable(voci[i]));
        const QPoint dove = menu->actionGeometry(a).center();
        QTest::mouseMove(menu, dove);
        QTest::mouseClick(menu, Qt::LeftButton, {}, dove);
    }
    return true;
}

void alProssimoModale(QObject &guardia, std::function<bool(QWidget *)> azione)
{
    alProssimoModale(guardia, QString(), std::move(azione));
}

void alProssimoModale(QObject &guardia, const QString &nome, std::function<bool(QWidget *)> azione)
{
    auto *attesa = new QTimer(&guardia);
    attesa->setInterval(10);
    QObject::connect(attesa, &QTimer::timeout, &guardia, [attesa, nome, azione = std::move(azione)] {
        QPointer<QWidget> d = QApplication::activeModalWidget();
        if (!d || !(nome.isEmpty() || d->objectName() == nome || d->inherits(qPrintable(nome))))
            return;
        attesa->stop();
        if (!azione(d) && d)
            d->close();
        attesa->deleteLater();
    });
    attesa->start();
}
