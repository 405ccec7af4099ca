#include "binder.h"

#include "currency.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
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

// A key that is a shortcut of the field (Ctrl+A, Ctrl+C, Ctrl+V, Ctrl+X,
// Ctrl+Z, ...), not a character: Ctrl or Meta held, without Alt (Ctrl+Alt may
// type a character on some keyboards).
bool scorciatoia(const QKeyEvent &tasto)
{
    const Qt::KeyboardModifiers m = tasto.modifiers();
    return (m & (Qt::ControlModifier | Qt::MetaModifier)) && !(m & Qt::AltModifier);
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

    bool trattenuto() const override
    {
        return m_widget && m_widget->hasFocus() && oltreLaColonna();
    }

    void concludi() override { correggiAllUscita(); }

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
                return m_regola.obbligatorio ? QVariant(QStringLiteral("")) : QVariant();
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

    bool oltreLaColonna() const { return m_regola.lunghezzaColonna > 0 && testo().size() > m_regola.lunghezzaColonna; }

    // The text the field is to hold once left.
    void correggiAllUscita()
    {
        QString t = testo();
        if (m_regola.uscita)
            t = m_regola.uscita(t);
        if (m_regola.lunghezzaMassima > 0)
            t = t.left(m_regola.lunghezzaMassima);
        if (t != testo())
            impostaTesto(t);
    }

    void lasciato()
    {
        // An edit held back while it was typed is written as the field is left.
        const bool trattenuto = m_modificato && oltreLaColonna();
        correggiAllUscita();
        if (m_regola.scrivi == RegolaCampo::Scrittura::AllUscita || trattenuto)
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
            // The filter sees typed characters only: Tab and Shift+Tab move the
            // focus on, the shortcuts edit, and a paste (Ctrl+V, Shift+Ins, the
            // field's menu, the middle button) puts its text in as it is, for
            // the rules on change, on leaving and on writing to correct.
            const auto *tasto = static_cast<QKeyEvent *>(e);
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
            // The focus back from the field's own menu (or another popup)
            // is no new visit: the text keeps its selection.
            if (static_cast<QFocusEvent *>(e)->reason() == Qt::PopupFocusReason)
                return false;
            m_menuAperto = false;
            if (m_regola.selezionaTutto) {
                // After the click that brought the focus has placed the cursor.
                m_selezionePendente = true;
                QPointer<QObject> self(this);
                QTimer::singleShot(0, this, [this, self] {
                    if (self && m_widget && m_selezionePendente) {
                        m_selezionePendente = false;
                        selezionaTutto();
                    }
                });
            }
            return false;
        case QEvent::ContextMenu:
            // A right click that brings the focus opens the field's menu at
            // once: the text is selected before the menu is made, so that
            // its cut and copy entries are on for it.
            if (m_selezionePendente) {
                m_selezionePendente = false;
                selezionaTutto();
            }
            m_menuAperto = true;
            return false;
        case QEvent::FocusOut: {
            // The field's own menu takes the focus while it is open: the
            // field is not left, and its text is not corrected nor written
            // under the menu's entries. Any other reason leaves it.
            const bool menu = m_menuAperto && static_cast<QFocusEvent *>(e)->reason() == Qt::PopupFocusReason;
            m_menuAperto = false;
            if (!menu)
                lasciato();
            return false;
        }
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
    bool m_selezionePendente = false;  // the focus came, its select-all is still to run
    bool m_menuAperto = false;  // the field's own menu is opening
};

namespace {

class LegameLinea : public Binder::Legame {
public:
    LegameLinea(QLineEdit *w, DataSource &s, const QString &c, RegolaCampo r) : Legame(w, s, c, std::move(r)), m_w(w)
    {
        QObject::connect(w, &QLineEdit::textChanged, this, [this] { cambiato(); });
    }

protected:
    QString testo() const override { return m_w ? m_w->text() : QString(); }
    void impostaTesto(const QString &t) override { m_w->setText(t); }
    void inserisci(const QString &t) override { m_w->insert(t); }
    void selezionaTutto() override { m_w->selectAll(); }

private:
    QPointer<QLineEdit> m_w;
};

class LegameTesto : public Binder::Legame {
public:
    LegameTesto(QPlainTextEdit *w, DataSource &s, const QString &c, RegolaCampo r)
        : Legame(w, s, c, std::move(r)), m_w(w)
    {
        QObject::connect(w, &QPlainTextEdit::textChanged, this, [this] { cambiato(); });
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
        if (QLineEdit *linea = w->lineEdit())
            linea->installEventFilter(this);
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
