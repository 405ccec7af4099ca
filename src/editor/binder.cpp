#include "binder.h"

#include "currency.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QTimer>

namespace {

// A stored value as a field shows it: numbers in the merchant's notation
// (Single fields with their seven digits), Null as nothing.
QString testoDaValore(const QVariant &v, const ColumnInfo *colonna)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (v.metaType() == QMetaType::fromType<Currency>())
        return Regole::testoNumero(v.value<Currency>().toDouble());
    if (colonna && colonna->type == FieldType::Single)
        return Regole::testoSingolo(float(v.toDouble()));
    if (v.metaType().id() == QMetaType::Double)
        return Regole::testoNumero(v.toDouble());
    return v.toString();
}

// A key that is a shortcut of the field (Ctrl+A, Ctrl+C, Ctrl+X, Ctrl+Z, ...),
// not a character: Ctrl or Meta held, without Alt (Ctrl+Alt may type a
// character on some keyboards).
bool scorciatoia(const QKeyEvent &tasto)
{
    const Qt::KeyboardModifiers m = tasto.modifiers();
    return (m & (Qt::ControlModifier | Qt::MetaModifier)) && !(m & Qt::AltModifier);
}

// The "Paste" entry of a line's or a text's own right-click menu: named so
// by Qt, or captioned as Qt captions it in the language loaded.
QAction *azioneIncolla(const QMenu &menu)
{
    if (auto *a = menu.findChild<QAction *>(QStringLiteral("edit-paste")))
        return a;
    const QString linea = QCoreApplication::translate("QLineEdit", "&Paste");
    const QString testo = QCoreApplication::translate("QWidgetTextControl", "&Paste");
    for (QAction *a : menu.actions()) {
        const QString t = a->text().section(u'\t', 0, 0);
        if (t == linea || t == testo)
            return a;
    }
    return nullptr;
}

} // namespace

// One binding: the widget, its column and rule, and whether it holds an edit
// not yet written.
class Binder::Legame : public QObject, public CampoCollegato {
public:
    Legame(QWidget *widget, DataSource &sorgente, const QString &colonna, RegolaCampo regola)
        : m_widget(widget), m_sorgente(sorgente), m_colonna(colonna), m_regola(std::move(regola))
    {
        widget->installEventFilter(this);
    }

    // The widget that takes the typing (the field, or an editable list's
    // line). A field with a key filter takes pasted text through the filter
    // too, from the keys, its own menu and the mouse's middle button; a drop
    // would bypass it, so it takes none.
    void filtraIncollati(QWidget *editor)
    {
        if (!m_regola.tasti)
            return;
        // A text of several lines takes the mouse on its page, and places
        // its menu there.
        auto *area = qobject_cast<QAbstractScrollArea *>(editor);
        QWidget *pagina = area ? area->viewport() : editor;
        editor->setAcceptDrops(false);
        pagina->setAcceptDrops(false);
        editor->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(editor, &QWidget::customContextMenuRequested, this, [this, pagina](const QPoint &punto) {
            QMenu *menu = menuStandard();
            if (!menu)
                return;
            menu->setAttribute(Qt::WA_DeleteOnClose);
            if (QAction *incolla = azioneIncolla(*menu)) {
                disconnect(incolla, &QAction::triggered, nullptr, nullptr);
                connect(incolla, &QAction::triggered, this, [this] { incollaFiltrato(QClipboard::Clipboard); });
            }
            menu->popup(pagina->mapToGlobal(punto));
        });
    }
    ~Legame() override { m_sorgente.scollega(this); }

    QWidget *widget() const { return m_widget; }
    DataSource &sorgente() const { return m_sorgente; }
    QString campo() const override { return m_colonna; }
    bool modificato() const override { return m_modificato; }
    void segnaScritto() override
    {
        // A field written shows the value as stored ("010" as 10), as a
        // loaded row would; its text is left alone while it already reads so.
        const bool scritto = m_modificato;
        m_modificato = false;
        const Recordset &rs = m_sorgente.recordset();
        if (scritto && m_widget && rs.isOpen() && rs.hasCurrent() && rs.hasField(m_colonna))
            mostraSalvato(rs.value(m_colonna));
    }

    void carica(const QVariant &valore) override
    {
        if (!m_widget)
            return;
        m_caricando = true;
        mostra(valore);
        m_caricando = false;
    }

    QVariant valore() const override
    {
        const QString t = testo();
        if (m_regola.numerico) {
            if (t.trimmed().isEmpty())
                return {};
            if (const auto n = Regole::numero(t))
                return *n;
        }
        return t;
    }

protected:
    virtual QString testo() const = 0;
    virtual void impostaTesto(const QString &t) = 0;
    virtual void inserisci(const QString &t) = 0;
    virtual void selezionaTutto() {}
    // The text as typing sees it less the selection, and where typing lands.
    virtual std::pair<QString, int> attornoAlCursore() const { return {testo(), int(testo().size())}; }
    // The field's own right-click menu (nullptr when it has none).
    virtual QMenu *menuStandard() const { return nullptr; }

    // Text pasted from the clipboard, or from the selection (the middle
    // button), goes through the key filter as if typed; a paste the filter
    // keeps nothing of leaves the field as it is.
    void incollaFiltrato(QClipboard::Mode modo)
    {
        const auto [resto, posizione] = attornoAlCursore();
        const QString t = Regole::incollato(m_regola.tasti, resto, posizione, QApplication::clipboard()->text(modo));
        if (!t.isEmpty())
            inserisci(t);
    }
    virtual void mostra(const QVariant &valore) { impostaTesto(testoSalvato(valore)); }
    virtual void mostraSalvato(const QVariant &valore)
    {
        const QString t = testoSalvato(valore);
        if (t != testo())
            carica(valore);
    }
    QString testoSalvato(const QVariant &valore) const
    {
        if (m_regola.testoValore && valore.isValid() && !valore.isNull())
            return m_regola.testoValore(valore);
        return testoDaValore(valore, m_sorgente.recordset().isOpen() ? m_sorgente.recordset().column(m_colonna)
                                                                     : nullptr);
    }

    // The field's text changed, by the merchant, by code or by a loaded record.
    void cambiato()
    {
        if (!m_caricando)
            m_modificato = true;
        if (m_regola.cambio) {
            const QString t = testo();
            const QString nuovo = m_regola.cambio(t, !m_caricando);
            if (nuovo != t)
                impostaTesto(nuovo);  // raises the change again, as an edit would
        }
        if (m_regola.scrivi == RegolaCampo::Scrittura::AlCambio && !m_caricando)
            m_sorgente.scriviModifiche(this);
    }

    void lasciato()
    {
        QString t = testo();
        if (m_regola.uscita)
            t = m_regola.uscita(t);
        if (m_regola.lunghezzaMassima > 0)
            t = t.left(m_regola.lunghezzaMassima);
        if (t != testo())
            impostaTesto(t);
        if (m_regola.scrivi == RegolaCampo::Scrittura::AllUscita)
            m_sorgente.scriviModifiche(this);
    }

    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o != m_widget)
            return false;
        switch (e->type()) {
        case QEvent::KeyPress: {
            if (!m_regola.tasti)
                return false;
            const auto *tasto = static_cast<QKeyEvent *>(e);
            if (tasto->matches(QKeySequence::Paste)) {
                incollaFiltrato(QClipboard::Clipboard);
                return true;
            }
            // Tab and Shift+Tab move the focus on, the shortcuts edit: no key
            // filter takes them.
            if (tasto->key() == Qt::Key_Tab || tasto->key() == Qt::Key_Backtab || scorciatoia(*tasto))
                return false;
            const QString typed = tasto->text();
            if (typed.size() != 1)
                return false;
            const Regole::Tasto t = m_regola.tasti(testo(), typed.at(0));
            switch (t.azione) {
            case Regole::Tasto::Passa: return false;
            case Regole::Tasto::Scarta: return true;
            case Regole::Tasto::Inserisci: inserisci(t.testo); return true;
            case Regole::Tasto::Accoda: impostaTesto(testo() + t.testo); return true;
            }
            return false;
        }
        case QEvent::FocusIn:
            if (m_regola.selezionaTutto) {
                QPointer<QObject> self(this);
                QTimer::singleShot(0, this, [this, self] {
                    if (self && m_widget)
                        selezionaTutto();
                });
            }
            return false;
        case QEvent::FocusOut:
            lasciato();
            return false;
        case QEvent::MouseButtonRelease:
            // The middle button pastes the selection where X11 keeps one.
            if (m_regola.tasti && static_cast<QMouseEvent *>(e)->button() == Qt::MiddleButton
                && QApplication::clipboard()->supportsSelection() && m_widget->isEnabled()) {
                incollaFiltrato(QClipboard::Selection);
                return true;
            }
            return false;
        default:
            return false;
        }
    }

    QPointer<QWidget> m_widget;
    DataSource &m_sorgente;
    QString m_colonna;
    RegolaCampo m_regola;
    bool m_modificato = false;
    bool m_caricando = false;
};

namespace {

// A line's text less its selection, and where typing lands in it.
std::pair<QString, int> attorno(const QLineEdit *linea)
{
    if (!linea)
        return {};
    if (!linea->hasSelectedText())
        return {linea->text(), linea->cursorPosition()};
    return {linea->text().remove(linea->selectionStart(), linea->selectionLength()), linea->selectionStart()};
}

class LegameLinea : public Binder::Legame {
public:
    LegameLinea(QLineEdit *w, DataSource &s, const QString &c, RegolaCampo r) : Legame(w, s, c, std::move(r)), m_w(w)
    {
        QObject::connect(w, &QLineEdit::textChanged, this, [this] { cambiato(); });
        filtraIncollati(w);
    }

protected:
    QString testo() const override { return m_w ? m_w->text() : QString(); }
    void impostaTesto(const QString &t) override { m_w->setText(t); }
    void inserisci(const QString &t) override { m_w->insert(t); }
    void selezionaTutto() override { m_w->selectAll(); }
    std::pair<QString, int> attornoAlCursore() const override { return attorno(m_w); }
    QMenu *menuStandard() const override { return m_w->createStandardContextMenu(); }

private:
    QPointer<QLineEdit> m_w;
};

class LegameTesto : public Binder::Legame {
public:
    LegameTesto(QPlainTextEdit *w, DataSource &s, const QString &c, RegolaCampo r)
        : Legame(w, s, c, std::move(r)), m_w(w)
    {
        QObject::connect(w, &QPlainTextEdit::textChanged, this, [this] { cambiato(); });
        // The mouse's events reach the text's page, not the field.
        w->viewport()->installEventFilter(this);
        filtraIncollati(w);
    }

protected:
    QString testo() const override
    {
        // Line ends are stored as the shop's texts hold them: CR LF.
        return m_w ? m_w->toPlainText().replace(u'\n', QStringLiteral("\r\n")) : QString();
    }
    void impostaTesto(const QString &t) override
    {
        QString plain = t;
        plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (plain != m_w->toPlainText())
            m_w->setPlainText(plain);
    }
    void inserisci(const QString &t) override { m_w->insertPlainText(t); }
    void selezionaTutto() override { m_w->selectAll(); }
    std::pair<QString, int> attornoAlCursore() const override
    {
        const QTextCursor c = m_w->textCursor();
        return {m_w->toPlainText().remove(c.selectionStart(), c.selectionEnd() - c.selectionStart()),
                c.selectionStart()};
    }
    QMenu *menuStandard() const override { return m_w->createStandardContextMenu(); }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (m_w && o == m_w->viewport()) {
            // The middle button's click lands where it points.
            if (e->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(e)->button() == Qt::MiddleButton)
                m_w->setTextCursor(m_w->cursorForPosition(static_cast<QMouseEvent *>(e)->position().toPoint()));
            return Legame::eventFilter(m_w, e);
        }
        return Legame::eventFilter(o, e);
    }

private:
    QPointer<QPlainTextEdit> m_w;
};

class LegameCasella : public Binder::Legame {
public:
    LegameCasella(QCheckBox *w, DataSource &s, const QString &c, RegolaCampo r)
        : Legame(w, s, c, std::move(r)), m_w(w)
    {
        QObject::connect(w, &QCheckBox::toggled, this, [this] { cambiato(); });
    }
    QVariant valore() const override { return m_w && m_w->isChecked(); }

protected:
    QString testo() const override { return m_w && m_w->isChecked() ? QStringLiteral("1") : QStringLiteral("0"); }
    void impostaTesto(const QString &t) override { m_w->setChecked(t == QLatin1String("1")); }
    void inserisci(const QString &) override {}
    void mostraSalvato(const QVariant &) override {}  // the box is what it stores
    void mostra(const QVariant &valore) override
    {
        // Any stored value other than 0, Null and False ticks the box.
        m_w->setChecked(valore.isValid() && !valore.isNull() && valore.toLongLong() != 0);
    }

private:
    QPointer<QCheckBox> m_w;
};

class LegameLista : public Binder::Legame {
public:
    LegameLista(QComboBox *w, DataSource &s, const QString &c, RegolaCampo r) : Legame(w, s, c, std::move(r)), m_w(w)
    {
        QObject::connect(w, &QComboBox::currentTextChanged, this, [this] { cambiato(); });
        if (QLineEdit *linea = w->lineEdit()) {
            linea->installEventFilter(this);
            filtraIncollati(linea);
        }
    }

protected:
    QString testo() const override { return m_w ? m_w->currentText() : QString(); }
    void impostaTesto(const QString &t) override
    {
        if (m_w->isEditable()) {
            m_w->setEditText(t);
            return;
        }
        const int i = m_w->findText(t);
        m_w->setCurrentIndex(i);
    }
    void inserisci(const QString &t) override
    {
        if (m_w->lineEdit())
            m_w->lineEdit()->insert(t);
    }
    std::pair<QString, int> attornoAlCursore() const override { return attorno(m_w->lineEdit()); }
    QMenu *menuStandard() const override
    {
        return m_w->lineEdit() ? m_w->lineEdit()->createStandardContextMenu() : nullptr;
    }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        // The editable list's line takes the keys and the focus.
        if (m_w && o == m_w->lineEdit())
            return Legame::eventFilter(m_w, e);
        return Legame::eventFilter(o, e);
    }

private:
    QPointer<QComboBox> m_w;
};

} // namespace

Binder::Binder(QObject *parent) : QObject(parent) {}

Binder::~Binder() = default;

void Binder::lega(QLineEdit *campo, DataSource &sorgente, const QString &colonna, RegolaCampo regola)
{
    m_legami.push_back(std::make_unique<LegameLinea>(campo, sorgente, colonna, std::move(regola)));
    sorgente.collega(m_legami.back().get());
}

void Binder::lega(QPlainTextEdit *campo, DataSource &sorgente, const QString &colonna, RegolaCampo regola)
{
    m_legami.push_back(std::make_unique<LegameTesto>(campo, sorgente, colonna, std::move(regola)));
    sorgente.collega(m_legami.back().get());
}

void Binder::lega(QCheckBox *campo, DataSource &sorgente, const QString &colonna, RegolaCampo regola)
{
    m_legami.push_back(std::make_unique<LegameCasella>(campo, sorgente, colonna, std::move(regola)));
    sorgente.collega(m_legami.back().get());
}

void Binder::lega(QComboBox *campo, DataSource &sorgente, const QString &colonna, RegolaCampo regola)
{
    m_legami.push_back(std::make_unique<LegameLista>(campo, sorgente, colonna, std::move(regola)));
    sorgente.collega(m_legami.back().get());
}

CampoCollegato *Binder::campo(const QWidget *widget) const
{
    for (const auto &l : m_legami)
        if (l->widget() == widget)
            return l.get();
    return nullptr;
}

QWidget *Binder::widget(const DataSource &sorgente, const QString &colonna) const
{
    for (const auto &l : m_legami)
        if (&l->sorgente() == &sorgente && l->campo().compare(colonna, Qt::CaseInsensitive) == 0)
            return l->widget();
    return nullptr;
}
