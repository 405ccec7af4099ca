#include "frmopzioni.h"

#include "datiprincipali.h"
#include "messages.h"
#include "negozio.h"
#include "regole.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

frmOpzioni::frmOpzioni(Database &db, Messages &messages, std::function<void(const QString &)> aiuto, QWidget *parent,
                       QChar separatore)
    : DialogoAiuto(QStringLiteral("pagine\\varianti.htm"), std::move(aiuto), parent),
      m_separatore(separatore.isNull() ? Regole::separatoreDecimale() : separatore)
{
    m_editor = std::make_unique<EditorVarianti>(db, messages, m_separatore);
    // The database undid the whole transaction: the dialog closes as
    // cancelled, once the handler that wrote has returned.
    m_editor->sessioneAnnullata = [this] { QTimer::singleShot(0, this, &frmOpzioni::reject); };
    setObjectName(QStringLiteral("frmOpzioni"));
    setWindowTitle(QStringLiteral("Vetrasto - Varianti articolo"));
    QGroupBox *varianti = creaElenco();
    QGroupBox *dettaglio = creaDettaglio();
    cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"));
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));

    auto *corpo = new QHBoxLayout;
    corpo->addWidget(varianti, 1);
    corpo->addWidget(dettaglio, 3);
    auto *tutto = new QVBoxLayout(this);
    tutto->addLayout(corpo);
    tutto->addLayout(rigaPulsanti({cmdOK, cmdAnnulla}));
    cmdOK->setDefault(true);
    collega();
    riempiElenco();
}

QGroupBox *frmOpzioni::creaElenco()
{
    auto *varianti = new QGroupBox(QStringLiteral("Varianti"));
    DBGrid1 = new QListWidget;
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setMinimumWidth(200);
    cmdNuova = new QPushButton(QStringLiteral("Nuova"));
    cmdDuplica = new QPushButton(QStringLiteral("Duplica"));
    cmdElimina = new QPushButton(QStringLiteral("Elimina"));
    cmdNuova->setObjectName(QStringLiteral("cmdNuova"));
    cmdDuplica->setObjectName(QStringLiteral("cmdDuplica"));
    cmdElimina->setObjectName(QStringLiteral("cmdElimina"));
    auto *pulsantiElenco = new QHBoxLayout;
    for (QPushButton *b : {cmdNuova, cmdDuplica, cmdElimina}) {
        b->setAutoDefault(false);
        pulsantiElenco->addWidget(b);
    }
    auto *sinistra = new QVBoxLayout(varianti);
    sinistra->addWidget(DBGrid1);
    sinistra->addLayout(pulsantiElenco);
    return varianti;
}

QGroupBox *frmOpzioni::creaDettaglio()
{
    auto *dettaglio = new QGroupBox(QStringLiteral("Dettaglio variante"));
    auto *griglia = new QGridLayout(dettaglio);
    griglia->setVerticalSpacing(2);
    const QStringList titoli{QStringLiteral("Descrizione"), QStringLiteral("Variaz. prezzo"),
                             QStringLiteral("Variaz. peso"), QStringLiteral("(Sel.)")};
    for (int c = 0; c < titoli.size(); ++c)
        griglia->addWidget(new QLabel(titoli[c]), 0, c + 1);
    m_gruppo = new QButtonGroup(this);
    auto *prezzi = new QRegularExpressionValidator(QRegularExpression(EditorVarianti::filtroPrezzo(m_separatore)), this);
    auto *pesi = new QRegularExpressionValidator(QRegularExpression(EditorVarianti::filtroPeso(m_separatore)), this);
    for (int k = 0; k < EditorVarianti::NumeroVarianti; ++k) {
        griglia->addWidget(new QLabel(QString::number(k + 1)), k + 1, 0, Qt::AlignRight);
        txtOpzione[k] = new QLineEdit;
        txtOpzione[k]->setObjectName(QStringLiteral("txtOpzione%1").arg(k));
        txtOpzione[k]->setMaxLength(EditorVarianti::LunghezzaTesto);
        txtOpzione[k]->setMinimumWidth(220);
        txtOpzionePrezzo[k] = new QLineEdit;
        txtOpzionePrezzo[k]->setObjectName(QStringLiteral("txtOpzionePrezzo%1").arg(k));
        txtOpzionePrezzo[k]->setValidator(prezzi);
        txtOpzionePeso[k] = new QLineEdit;
        txtOpzionePeso[k]->setObjectName(QStringLiteral("txtOpzionePeso%1").arg(k));
        txtOpzionePeso[k]->setValidator(pesi);
        for (QLineEdit *n : {txtOpzionePrezzo[k], txtOpzionePeso[k]}) {
            n->setAlignment(Qt::AlignRight);
            n->setMaximumWidth(100);
            n->installEventFilter(this);
        }
        optSelezionato[k] = new QRadioButton;
        optSelezionato[k]->setObjectName(QStringLiteral("optSelezionato%1").arg(k));
        m_gruppo->addButton(optSelezionato[k], k);
        griglia->addWidget(txtOpzione[k], k + 1, 1);
        griglia->addWidget(txtOpzionePrezzo[k], k + 1, 2);
        griglia->addWidget(txtOpzionePeso[k], k + 1, 3);
        griglia->addWidget(optSelezionato[k], k + 1, 4, Qt::AlignCenter);
        // A negative weight pasted in counts as its absolute value.
        connect(txtOpzionePeso[k], &QLineEdit::textChanged, this, [this, k](const QString &t) {
            if (t.startsWith(u'-'))
                txtOpzionePeso[k]->setText(t.mid(1));
        });
    }
    return dettaglio;
}

void frmOpzioni::collega()
{
    connect(DBGrid1, &QListWidget::currentRowChanged, this, [this](int riga) {
        if (m_caricamento || riga < 0)
            return;
        if (!m_editor->vaiA(riga, campi())) {
            // The set shown stays current, and the list marks it: at once,
            // and again once the click or key that asked for the move has
            // done its own marking of the row it reached.
            segnaCorrente();
            QTimer::singleShot(0, this, &frmOpzioni::segnaCorrente);
            return;
        }
        mostraCorrente();
    });
    connect(DBGrid1, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (m_caricamento)
            return;
        const int riga = DBGrid1->row(item);
        m_editor->rinomina(riga, item->text());
        QSignalBlocker b(DBGrid1);
        item->setText(m_editor->nome(riga));
    });
    connect(cmdNuova, &QPushButton::clicked, this, [this] {
        if (m_editor->nuova(campi()))
            riempiElenco();
    });
    connect(cmdDuplica, &QPushButton::clicked, this, [this] {
        if (m_editor->duplica(campi()))
            riempiElenco();
    });
    connect(cmdElimina, &QPushButton::clicked, this, [this] {
        if (m_editor->elimina())
            riempiElenco();
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmOpzioni::ok);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmOpzioni::reject);
}

frmOpzioni::~frmOpzioni() = default;

void frmOpzioni::mostra(const QString &testoId)
{
    m_editor->mostra(testoId);
    riempiElenco();
}

void frmOpzioni::riempiElenco()
{
    m_caricamento = true;
    DBGrid1->clear();
    for (int i = 0; i < m_editor->conta(); ++i) {
        auto *item = new QListWidgetItem(m_editor->nome(i), DBGrid1);
        if (m_editor->id(i) > EditorVarianti::Nessuna)
            item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    DBGrid1->setCurrentRow(m_editor->corrente());
    m_caricamento = false;
    mostraCorrente();
}

void frmOpzioni::segnaCorrente()
{
    const int riga = m_editor->corrente();
    if (riga < 0 || riga >= DBGrid1->count())
        return;
    const QSignalBlocker b(DBGrid1);
    DBGrid1->setCurrentRow(riga, QItemSelectionModel::ClearAndSelect);
}

void frmOpzioni::mostraCorrente()
{
    const EditorVarianti::Dettaglio d = m_editor->dettaglio();
    const bool modificabile = m_editor->modificabile();
    for (int k = 0; k < EditorVarianti::NumeroVarianti; ++k) {
        txtOpzione[k]->setText(d.varianti[k].descrizione);
        txtOpzionePrezzo[k]->setText(d.varianti[k].prezzo);
        txtOpzionePeso[k]->setText(d.varianti[k].peso);
        for (QWidget *w : {static_cast<QWidget *>(txtOpzione[k]), static_cast<QWidget *>(txtOpzionePrezzo[k]),
                           static_cast<QWidget *>(txtOpzionePeso[k]), static_cast<QWidget *>(optSelezionato[k])})
            w->setEnabled(modificabile);
    }
    if (d.selezionato >= 0) {
        optSelezionato[d.selezionato]->setChecked(true);
    } else {
        // No preselection stored: no button ticked.
        m_gruppo->setExclusive(false);
        for (QRadioButton *o : optSelezionato)
            o->setChecked(false);
        m_gruppo->setExclusive(true);
    }
    cmdDuplica->setEnabled(modificabile);
    cmdElimina->setEnabled(modificabile);
}

EditorVarianti::Dettaglio frmOpzioni::campi() const
{
    EditorVarianti::Dettaglio d;
    for (int k = 0; k < EditorVarianti::NumeroVarianti; ++k) {
        d.varianti[k] = {txtOpzione[k]->text(), txtOpzionePrezzo[k]->text(), txtOpzionePeso[k]->text()};
        if (optSelezionato[k]->isChecked())
            d.selezionato = k;
    }
    return d;
}

void frmOpzioni::ok()
{
    if (!m_editor->conferma(campi()))
        return;
    m_scelta = m_editor->idCorrente();
    m_tag = QStringLiteral("OK");
    accept();
}

void frmOpzioni::reject()
{
    m_tag.clear();
    m_editor->annulla();
    QDialog::reject();
}

void frmOpzioni::closeEvent(QCloseEvent *e)
{
    reject();
    e->ignore();
}

bool frmOpzioni::eventFilter(QObject *o, QEvent *e)
{
    // A typed "." becomes the decimal separator.
    if (e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->text() == QLatin1String(".") && m_separatore != u'.') {
            auto *campo = static_cast<QLineEdit *>(o);
            QKeyEvent sostituto(QEvent::KeyPress, 0, k->modifiers(), QString(m_separatore));
            QCoreApplication::sendEvent(campo, &sostituto);
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

bool frmOpzioni::DefinisciVariante(Negozio &negozio, int n, QWidget *parent, std::function<void(const QString &)> aiuto)
{
    Recordset &articoli = negozio.dati().dataArticoli.recordset();
    if (!articoli.isOpen() || !articoli.hasCurrent() || n < 1 || n > 3)
        return false;
    const QVariant attuale = articoli.value(QStringLiteral("opzione%1").arg(n));
    frmOpzioni f(*negozio.state.dbCatalogo, negozio.messages(), std::move(aiuto), parent);
    f.mostra(attuale.isValid() && !attuale.isNull() ? attuale.toString() : QStringLiteral(" "));
    f.exec();
    if (f.tag().isEmpty())
        return false;
    try {
        AssegnaVariante(articoli, n, f.scelta());
    } catch (const DbError &e) {
        if (articoli.editing())
            articoli.cancelUpdate();
        negozio.messages().warning(QStringLiteral("Impossibile assegnare la variante all'articolo.\r\n") + e.description);
        return false;
    }
    return true;
}
