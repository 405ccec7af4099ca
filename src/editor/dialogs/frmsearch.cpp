#include "frmsearch.h"

#include "messages.h"
#include "negozio.h"
#include "ricercaarticoli.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const char *const titoliCampi[5] = {"Codice", "Titolo", "Sottotitolo", "Descrizione", "Note"};

} // namespace

frmSearch::frmSearch(Negozio &negozio, std::function<void(const QString &)> aiuto, QWidget *parent)
    : DialogoAiuto(QStringLiteral("pagine\\ricerca.htm"), std::move(aiuto), parent), m_negozio(negozio)
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Vetrasto - Cerca articoli"));
    setModal(false);
    QGroupBox *ricerca = creaRicerca();
    QGroupBox *risultati = creaRisultati();
    cmdVisualizza = new QPushButton(QStringLiteral("Mostra"));
    cmdVisualizza->setObjectName(QStringLiteral("cmdVisualizza"));
    cmdVisualizza->setEnabled(false);
    cmdChiudi = new QPushButton(QStringLiteral("Chiudi"));
    cmdChiudi->setObjectName(QStringLiteral("cmdChiudi"));
    auto *pulsanti = rigaPulsanti({cmdVisualizza, cmdChiudi});

    auto *tutto = new QVBoxLayout(this);
    tutto->addWidget(ricerca);
    tutto->addWidget(risultati, 1);
    tutto->addLayout(pulsanti);
    resize(560, 480);

    connect(txtCerca, &QLineEdit::textChanged, this, &frmSearch::abilita);
    connect(cmdCerca, &QPushButton::clicked, this, &frmSearch::cerca);
    connect(cmdVisualizza, &QPushButton::clicked, this, &frmSearch::visualizza);
    connect(gridResult, &QTableWidget::cellDoubleClicked, this, &frmSearch::visualizza);
    connect(cmdChiudi, &QPushButton::clicked, this, &frmSearch::close);
}

QGroupBox *frmSearch::creaRicerca()
{
    auto *ricerca = new QGroupBox(QStringLiteral("Ricerca"));
    txtCerca = new QLineEdit;
    txtCerca->setObjectName(QStringLiteral("txtCerca"));
    // The letters, digits and blanks a merchant searches for, and the wildcards.
    txtCerca->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[ àèéìòùa-zA-Z0-9*?]*")), this));
    cmdCerca = new QPushButton(QStringLiteral("Cerca"));
    cmdCerca->setObjectName(QStringLiteral("cmdCerca"));
    cmdCerca->setDefault(true);
    cmdCerca->setEnabled(false);
    auto *testo = new QHBoxLayout;
    testo->addWidget(new QLabel(QStringLiteral("Testo:")));
    testo->addWidget(txtCerca, 1);
    testo->addWidget(cmdCerca);

    auto *campi = new QGroupBox(QStringLiteral("Cerca in:"));
    auto *scelte = new QHBoxLayout(campi);
    for (int i = 0; i < 5; ++i) {
        optCerca[i] = new QRadioButton(QString::fromLatin1(titoliCampi[i]));
        optCerca[i]->setObjectName(QStringLiteral("optCerca%1").arg(i + 5));
        scelte->addWidget(optCerca[i]);
        connect(optCerca[i], &QRadioButton::clicked, this, [this, i] {
            m_campo = RicercaArticoli::campi().at(i);
            abilita();
        });
    }
    chkParola = new QCheckBox(QStringLiteral("Cerca parola intera"));
    chkParola->setObjectName(QStringLiteral("chkParola"));
    auto *colonna = new QVBoxLayout(ricerca);
    colonna->addLayout(testo);
    colonna->addWidget(campi);
    colonna->addWidget(chkParola);
    return ricerca;
}

QGroupBox *frmSearch::creaRisultati()
{
    auto *risultati = new QGroupBox(QStringLiteral("Risultati"));
    gridResult = new QTableWidget(0, 3);
    gridResult->setObjectName(QStringLiteral("gridResult"));
    gridResult->setHorizontalHeaderLabels({QString::fromLatin1(titoliCampi[0]), QString::fromLatin1(titoliCampi[1]),
                                           QString::fromLatin1(titoliCampi[2])});
    gridResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridResult->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridResult->setSelectionMode(QAbstractItemView::SingleSelection);
    gridResult->verticalHeader()->hide();
    gridResult->horizontalHeader()->setStretchLastSection(true);
    gridResult->setColumnWidth(0, 110);
    gridResult->setColumnWidth(1, 230);
    lblNoResult = new QLabel(QStringLiteral("Nessun risultato trovato."));
    lblNoResult->setObjectName(QStringLiteral("lblNoResult"));
    lblNoResult->setAlignment(Qt::AlignCenter);
    lblNoResult->hide();
    auto *elenco = new QVBoxLayout(risultati);
    elenco->addWidget(gridResult);
    elenco->addWidget(lblNoResult);
    return risultati;
}

void frmSearch::mostra()
{
    if (!isVisible()) {
        txtCerca->clear();
        chkParola->setChecked(false);
        gridResult->setRowCount(0);
        gridResult->show();
        lblNoResult->hide();
        cmdVisualizza->setEnabled(false);
        const int i = RicercaArticoli::campi().indexOf(m_campo);
        if (i >= 0)
            optCerca[i]->setChecked(true);
        abilita();
        show();
    }
    raise();
    activateWindow();
    txtCerca->setFocus();
}

void frmSearch::abilita()
{
    cmdCerca->setEnabled(!m_campo.isEmpty() && !txtCerca->text().isEmpty());
}

void frmSearch::cerca()
{
    if (!cmdCerca->isEnabled() || !m_negozio.state.dbCatalogo)
        return;
    std::vector<RicercaArticoli::Risultato> trovati;
    try {
        trovati = RicercaArticoli::cerca(*m_negozio.state.dbCatalogo, m_campo, txtCerca->text(), chkParola->isChecked());
    } catch (const DbError &e) {
        m_negozio.messages().warning(QStringLiteral("La ricerca non è riuscita: il catalogo non può essere letto.\r\n") + e.description);
        return;
    }
    gridResult->setRowCount(0);
    gridResult->setRowCount(int(trovati.size()));
    for (int r = 0; r < int(trovati.size()); ++r) {
        const auto &a = trovati[r];
        const QString testi[3] = {a.codice, a.titolo, a.sottotitolo};
        for (int c = 0; c < 3; ++c) {
            auto *item = new QTableWidgetItem(testi[c]);
            item->setData(Qt::UserRole, a.id);
            gridResult->setItem(r, c, item);
        }
    }
    const bool vuoto = trovati.empty();
    cmdVisualizza->setEnabled(!vuoto);
    gridResult->setVisible(!vuoto);
    lblNoResult->setVisible(vuoto);
    if (!vuoto)
        gridResult->selectRow(0);
}

void frmSearch::visualizza()
{
    const int r = gridResult->currentRow();
    if (r < 0 || !gridResult->item(r, 0))
        return;
    const qint64 id = gridResult->item(r, 0)->data(Qt::UserRole).toLongLong();
    Negozio::EsitoArticolo esito;
    try {
        esito = m_negozio.VaiArticolo(id);
    } catch (const DbError &e) {
        m_negozio.messages().warning(QStringLiteral("L'articolo non può essere mostrato: il catalogo non può essere letto.\r\n")
                                     + e.description);
        return;
    }
    switch (esito) {
    case Negozio::EsitoArticolo::Mostrato:
        return;
    case Negozio::EsitoArticolo::SenzaReparto:
        // The article exists: it stays in the list.
        m_negozio.messages().warning(QStringLiteral("Impossibile mostrare l'articolo:\r\n"
                                                    "non appartiene a nessun reparto del negozio."));
        return;
    case Negozio::EsitoArticolo::Inesistente:
        break;
    }
    m_negozio.messages().warning(QStringLiteral("L'articolo non esiste più: è stato eliminato dopo la ricerca."));
    gridResult->removeRow(r);
    if (gridResult->rowCount() == 0) {
        cmdVisualizza->setEnabled(false);
        gridResult->hide();
        lblNoResult->show();
    }
}
