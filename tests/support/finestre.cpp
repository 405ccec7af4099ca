#include "finestre.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
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

bool verificaImpaginazione(QWidget *pannello)
{
    VERIFICA(pannello);
    const QList<QWidget *> c = controlli(pannello);
    VERIFICA(c.size() > 5);
    QWidget *finestra = pannello->window();
    QList<QRect> aree;
    for (QWidget *w : c) {
        if (qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w))
            VERIFICA2(w->width() >= w->sizeHint().width(), qPrintable(nome(w) + QStringLiteral(" is cut")));
        if (const auto *e = qobject_cast<const QLineEdit *>(w); e && e->echoMode() == QLineEdit::Normal) {
            // The text's room: the field less its frame and margins.
            const int spazio = e->width() - 8;
            const int testo = e->fontMetrics().horizontalAdvance(e->text());
            // A number or a text shown and not typed is read whole.
            const bool intero = (e->alignment() & Qt::AlignRight) || e->isReadOnly();
            VERIFICA2(spazio >= (intero ? testo : std::min(testo, e->fontMetrics().averageCharWidth() * 20)),
                      qPrintable(nome(w) + QStringLiteral(" is too narrow for '") + e->text() + u'\''));
        }
        QWidget *dentro = contenitore(w);
        const QRect area(w->mapTo(dentro, QPoint(0, 0)), w->size());
        VERIFICA2(dentro->rect().contains(area), qPrintable(nome(w) + QStringLiteral(" is outside ") + nome(dentro)));
        aree << QRect(w->mapTo(finestra, QPoint(0, 0)), w->size());
    }
    for (int i = 0; i < c.size(); ++i)
        for (int j = i + 1; j < c.size(); ++j)
            if (!c[i]->isAncestorOf(c[j]) && !c[j]->isAncestorOf(c[i]))
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

void alProssimoModale(QObject &guardia, std::function<bool(QWidget *)> azione)
{
    auto *attesa = new QTimer(&guardia);
    attesa->setInterval(10);
    QObject::connect(attesa, &QTimer::timeout, &guardia, [attesa, azione = std::move(azione)] {
        if (QPointer<QWidget> d = QApplication::activeModalWidget()) {
            attesa->stop();
            if (!azione(d) && d)
                d->close();
            attesa->deleteLater();
        }
    });
    attesa->start();
}
