#include "vista.h"

#include "comandi.h"
#include "corniceimmagine.h"
#include "database.h"
#include "formatonegozio.h"
#include "griglia.h"
#include "messages.h"
#include "negozio.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Discards the keys and the wheel of the object it watches.
class FiltroSoloMouse : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const int k = static_cast<QKeyEvent *>(e)->key();
            return k != Qt::Key_Tab && k != Qt::Key_Backtab;
        }
        case QEvent::Wheel: return true;
        default: return false;
        }
    }
};

// The scrolled part of a details panel: the fields, and the pictures beside
// them, or below them when the panel is too narrow for both side by side.
class AreaDettagli : public QScrollArea {
public:
    AreaDettagli(QLayout *campi, QLayout *laterale, QWidget *parent) : QScrollArea(parent)
    {
        setWidgetResizable(true);
        setFrameShape(QFrame::NoFrame);
        auto *contenuto = new QWidget;
        const auto colonna = [contenuto](QLayout *parte) {
            auto *w = new QWidget(contenuto);
            auto *l = new QVBoxLayout(w);
            l->setContentsMargins(0, 0, 0, 0);
            l->addLayout(parte);
            l->addStretch(1);
            return w;
        };
        m_campi = colonna(campi);
        // The fields keep room for a title or a link to be read whole.
        m_campi->setMinimumWidth(m_campi->fontMetrics().averageCharWidth() * 50);
        m_laterale = colonna(laterale);
        m_affiancati = new QBoxLayout(QBoxLayout::LeftToRight, contenuto);
        m_affiancati->setContentsMargins(0, 0, 0, 0);
        m_affiancati->setSpacing(12);
        m_affiancati->addWidget(m_campi, 1);
        m_affiancati->addWidget(m_laterale, 0, Qt::AlignLeft | Qt::AlignTop);
        setWidget(contenuto);
    }

    // As tall as the content, so that the panel scrolls only when the window
    // is too short for it.
    QSize sizeHint() const override
    {
        const QSize s = widget()->sizeHint();
        return {s.width(), s.height() + 2 * frameWidth()};
    }
    QSize minimumSizeHint() const override
    {
        return {QScrollArea::minimumSizeHint().width(), fontMetrics().height() * 8};
    }

protected:
    void resizeEvent(QResizeEvent *e) override
    {
        // Measured without the scroll bar, so that its coming and going
        // does not move the pictures back and forth.
        const int larghezza = e->size().width() - verticalScrollBar()->sizeHint().width();
        const int campi = std::max(m_campi->minimumWidth(), m_campi->minimumSizeHint().width());
        const auto verso = larghezza >= campi + m_affiancati->spacing() + m_laterale->sizeHint().width()
                               ? QBoxLayout::LeftToRight
                               : QBoxLayout::TopToBottom;
        if (verso != m_affiancati->direction()) {
            m_affiancati->setDirection(verso);
            updateGeometry();
        }
        QScrollArea::resizeEvent(e);
    }

private:
    QWidget *m_campi;
    QWidget *m_laterale;
    QBoxLayout *m_affiancati;
};

} // namespace

Vista::Vista(Negozio &negozio, RegistroComandi &comandi, QWidget *parent)
    : QWidget(parent), m_negozio(negozio), m_comandi(comandi)
{
}

QToolButton *Vista::pulsante(Cmd::Numero numero, QWidget *parent)
{
    auto *b = new QToolButton(parent ? parent : this);
    b->setObjectName(QStringLiteral("cmdButton%1").arg(numero));
    b->setDefaultAction(m_comandi.azione(numero));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setAutoRaise(true);
    b->setIconSize(QSize(22, 22));
    return b;
}

QString Vista::testoRifiuto(const DataSource &sorgente, int numero, const QString &descrizione,
                            const QString &campo) const
{
    QString nome = didascalia(sorgente, campo);
    if (nome.isEmpty())
        nome = campo;
    const ColumnInfo *colonna = sorgente.recordset().isOpen() ? sorgente.recordset().column(campo) : nullptr;
    QString perche;
    switch (numero) {
    case DbErr::FieldTooSmall:
        perche = colonna && colonna->size > 0
            ? QStringLiteral("il testo è troppo lungo (al massimo %1 caratteri)").arg(colonna->size)
            : QStringLiteral("il testo è troppo lungo");
        break;
    case DbErr::NumericOverflow: perche = QStringLiteral("il numero è troppo grande"); break;
    case DbErr::ConversionError: perche = QStringLiteral("il valore non è un numero valido"); break;
    case DbErr::EmptyNotAllowed: perche = QStringLiteral("il campo non può essere vuoto"); break;
    case DbErr::NotUpdatable: perche = QStringLiteral("il negozio è in sola lettura"); break;
    default: perche = QStringLiteral("il valore non è stato accettato (%1)").arg(descrizione); break;
    }
    return QStringLiteral("Il formato di alcuni dati non è valido\r\n%1: %2; il campo torna al valore salvato.")
        .arg(nome, perche);
}

void Vista::mostraRifiuto(const DataSource &sorgente, int numero, const QString &descrizione,
                          const QString &campo) const
{
    m_negozio.messages().show(testoRifiuto(sorgente, numero, descrizione, campo), Messages::Icon::None,
                              Messages::Buttons::Ok);
}

Vista::Elenco Vista::elenco(const QString &nome, const QString &nomeGriglia, DataSource &sorgente,
                            const QList<std::pair<QString, QString>> &colonne, const QString &maschera)
{
    Elenco e;
    e.pannello = new QWidget(this);
    e.pannello->setObjectName(nome);
    e.titolo = intestazione(QString(), e.pannello);
    e.griglia = new QTableView(e.pannello);
    e.griglia->setObjectName(nomeGriglia);
    m_grigliaElenco = e.griglia;
    QList<ModelloGriglia::Colonna> c;
    for (const auto &[campo, intestazione] : colonne)
        c.push_back({campo, intestazione});
    e.modello = new ModelloGriglia(sorgente, c, this);
    // Amounts as the site shows them, without the currency.
    e.modello->setTestoImporto([this](Currency importo) { return ImportoPrezzo(importo, m_negozio.state); });
    e.modello->collega(e.griglia);
    connect(e.modello, &ModelloGriglia::rigaNonRaggiunta, this, [this](int, const QString &descrizione) {
        m_negozio.messages().warning(QStringLiteral("Impossibile passare alla riga scelta:\r\n") + descrizione);
    });
    e.griglia->verticalHeader()->hide();
    e.griglia->horizontalHeader()->setStretchLastSection(true);
    // A few rows stay in sight when the details take the rest of a small window.
    e.griglia->setMinimumHeight(e.griglia->horizontalHeader()->sizeHint().height()
                                + 6 * e.griglia->verticalHeader()->defaultSectionSize() + 2 * e.griglia->frameWidth());
    m_comandi.registraControllo(maschera, e.griglia);
    auto *pulsanti = new QHBoxLayout;
    for (const Cmd::Numero n : RegistroComandi::pannello(nome))
        pulsanti->addWidget(pulsante(n, e.pannello));
    pulsanti->addStretch(1);
    auto *colonna = new QVBoxLayout(e.pannello);
    colonna->setContentsMargins(0, 0, 0, 0);
    colonna->addWidget(e.titolo);
    colonna->addLayout(pulsanti);
    colonna->addWidget(e.griglia, 1);
    // The list yields its height first: it keeps its few rows, the details
    // below it take what they ask for, and the list the rest.
    e.pannello->setMinimumHeight(e.pannello->minimumSizeHint().height());
    e.pannello->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    return e;
}

void Vista::spostaRiga(int passo)
{
    QTableView *g = m_grigliaElenco;
    if (!g || !g->model())
        return;
    const int riga = g->currentIndex().row() + passo;
    if (riga >= 0 && riga < g->model()->rowCount())
        g->setCurrentIndex(g->model()->index(riga, std::max(0, g->currentIndex().column())));
}

QLabel *Vista::intestazione(const QString &testo, QWidget *parent)
{
    auto *l = new QLabel(testo, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

void Vista::intitolaReparto(QLabel *intestazione, const QString &senza, const QString &prefisso) const
{
    const Recordset &rs = m_negozio.dati().dataCategorie.recordset();
    const QString titolo = rs.isOpen() && rs.hasCurrent() ? rs.text(QStringLiteral("titolo")) : QString();
    intestazione->setText(titolo.isEmpty() ? senza : prefisso + titolo);
}

QVBoxLayout *Vista::bloccoImmagine(FamigliaImmagine famiglia, int n, std::pair<Cmd::Numero, Cmd::Numero> impostaElimina,
                                   QWidget *parent, QLabel **didascalia)
{
    auto *blocco = new QVBoxLayout;
    auto *etichetta = new QLabel(CorniceImmagine::didascalia(famiglia, n), parent);
    blocco->addWidget(etichetta);
    blocco->addWidget(new CorniceImmagine(famiglia, n, m_negozio, m_comandi, parent));
    auto *pulsanti = new QHBoxLayout;
    pulsanti->addWidget(pulsante(impostaElimina.first, parent));
    pulsanti->addWidget(pulsante(impostaElimina.second, parent));
    pulsanti->addStretch(1);
    blocco->addLayout(pulsanti);
    if (didascalia)
        *didascalia = etichetta;
    return blocco;
}

QLineEdit *Vista::campoTesto(const QString &nome, bool numerico)
{
    auto *e = new QLineEdit;
    e->setObjectName(nome);
    if (numerico) {
        e->setAlignment(Qt::AlignRight);
        const int largo = e->fontMetrics().horizontalAdvance(QStringLiteral("00000000,00")) + 12;
        e->setMinimumWidth(largo);
        e->setMaximumWidth(std::max(110, largo));
    }
    return e;
}

QLabel *Vista::etichetta(const QString &testo, QWidget *campo)
{
    auto *l = new QLabel(testo);
    l->setBuddy(campo);
    return l;
}

QPlainTextEdit *Vista::campoRighe(const QString &nome)
{
    auto *t = new QPlainTextEdit;
    t->setObjectName(nome);
    t->setTabChangesFocus(true);
    return t;
}

QCheckBox *Vista::casella(const QString &nome, const QString &testo)
{
    auto *c = new QCheckBox(testo);
    c->setObjectName(nome);
    return c;
}

QGroupBox *Vista::cornice(const QString &titolo, const QString &nome)
{
    auto *g = new QGroupBox(titolo);
    g->setObjectName(nome);
    return g;
}

QString Vista::testoLegato(const QWidget *campo) const
{
    const CampoCollegato *c = m_binder.campo(campo);
    return c ? c->valore().toString() : QString();
}

void Vista::dueColonne(std::initializer_list<QWidget *> sinistra, std::initializer_list<QWidget *> destra)
{
    auto *contenuto = new QWidget;
    auto *colonne = new QHBoxLayout(contenuto);
    colonne->setContentsMargins(0, 0, 0, 0);
    for (const auto &cornici : {sinistra, destra}) {
        auto *colonna = new QVBoxLayout;
        for (QWidget *c : cornici)
            colonna->addWidget(c);
        colonna->addStretch(1);
        colonne->addLayout(colonna, 1);
    }
    auto *scorrimento = new QScrollArea(this);
    scorrimento->setWidgetResizable(true);
    scorrimento->setFrameShape(QFrame::NoFrame);
    scorrimento->setWidget(contenuto);
    auto *tutto = new QVBoxLayout(this);
    tutto->setContentsMargins(0, 0, 0, 0);
    tutto->addWidget(scorrimento);
}

QWidget *Vista::dettagli(const QString &nome, QLabel *titolo, QLayout *campi, QLayout *laterale)
{
    auto *pannello = new QWidget(this);
    pannello->setObjectName(nome);
    auto *colonna = new QVBoxLayout(pannello);
    colonna->setContentsMargins(0, 0, 0, 0);
    titolo->setParent(pannello);
    colonna->addWidget(titolo);
    colonna->addWidget(new AreaDettagli(campi, laterale, pannello), 1);
    return pannello;
}

void Vista::elencoSopraDettagli(QWidget *elenco, QWidget *dettagli)
{
    auto *colonna = new QVBoxLayout(this);
    colonna->setContentsMargins(0, 0, 0, 0);
    colonna->addWidget(elenco, 1);
    colonna->addWidget(dettagli, 0);
}

void Vista::soloMouse(QComboBox *lista)
{
    lista->installEventFilter(new FiltroSoloMouse(lista));
}

QString Vista::didascalia(const DataSource &sorgente, const QString &colonna) const
{
    const QWidget *campo = m_binder.widget(sorgente, colonna);
    if (!campo)
        return {};
    QString testo;
    if (const auto *b = qobject_cast<const QAbstractButton *>(campo)) {
        testo = b->text();
    } else {
        for (const QLabel *l : findChildren<QLabel *>())
            if (l->buddy() == campo)
                testo = l->text();
        if (testo.isEmpty())
            testo = campo->accessibleName();
    }
    testo.remove(u'&');
    testo = testo.trimmed();
    if (testo.endsWith(u':'))
        testo.chop(1);
    return testo;
}
