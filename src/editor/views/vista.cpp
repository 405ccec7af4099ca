#include "vista.h"

#include "comandi.h"
#include "corniceimmagine.h"
#include "database.h"
#include "griglia.h"

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
#include <QScrollArea>
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

} // namespace

Vista::Vista(Negozio &negozio, RegistroComandi &comandi, QWidget *parent)
    : QWidget(parent), m_negozio(negozio), m_comandi(comandi)
{
}

QToolButton *Vista::pulsante(int numero, QWidget *parent)
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
    return QStringLiteral("Impossibile salvare \"%1\": %2.\r\nIl campo torna al valore salvato.").arg(nome, perche);
}

Vista::Elenco Vista::elenco(const QString &nome, const QString &nomeGriglia, DataSource &sorgente,
                            const QList<std::pair<QString, QString>> &colonne, std::initializer_list<int> comandi,
                            const QString &maschera)
{
    Elenco e;
    e.pannello = new QWidget(this);
    e.pannello->setObjectName(nome);
    e.titolo = intestazione(QString(), e.pannello);
    e.griglia = new QTableView(e.pannello);
    e.griglia->setObjectName(nomeGriglia);
    QList<ModelloGriglia::Colonna> c;
    for (const auto &[campo, intestazione] : colonne)
        c.push_back({campo, intestazione});
    e.modello = new ModelloGriglia(sorgente, c, this);
    e.modello->collega(e.griglia);
    e.griglia->verticalHeader()->hide();
    e.griglia->horizontalHeader()->setStretchLastSection(true);
    m_comandi.registraControllo(maschera, e.griglia);
    auto *pulsanti = new QHBoxLayout;
    for (int n : comandi)
        pulsanti->addWidget(pulsante(n, e.pannello));
    pulsanti->addStretch(1);
    auto *colonna = new QVBoxLayout(e.pannello);
    colonna->setContentsMargins(0, 0, 0, 0);
    colonna->addWidget(e.titolo);
    colonna->addLayout(pulsanti);
    colonna->addWidget(e.griglia, 1);
    return e;
}

QLabel *Vista::intestazione(const QString &testo, QWidget *parent)
{
    auto *l = new QLabel(testo, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

QVBoxLayout *Vista::bloccoImmagine(FamigliaImmagine famiglia, int n, std::pair<int, int> impostaElimina,
                                   QWidget *parent, CorniceImmagine **cornice, QLabel **didascalia)
{
    auto *blocco = new QVBoxLayout;
    auto *etichetta = new QLabel(CorniceImmagine::didascalia(famiglia, n), parent);
    blocco->addWidget(etichetta);
    *cornice = new CorniceImmagine(famiglia, n, m_negozio, m_comandi, parent);
    blocco->addWidget(*cornice);
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
        e->setMaximumWidth(110);
    }
    return e;
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
