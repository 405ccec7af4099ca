#include "frmimportazd.h"

#include "importazd.h"
#include "lettoremdb.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

frmImportaZD::frmImportaZD(QWidget *parent) : Dialogo(parent)
{
    setObjectName(QStringLiteral("frmImportaZD"));
    setWindowTitle(QStringLiteral("Vetrasto - Importazione da Zendaro"));

    auto *dati = new QGroupBox(QStringLiteral("Dati importati"));
    chkContrassegna = new QCheckBox(QStringLiteral("Contrassegna i dati importati con  \" * \"  (asterisco)"));
    chkContrassegna->setObjectName(QStringLiteral("chkContrassegna"));
    chkContrassegna->setChecked(true);
    (new QVBoxLayout(dati))->addWidget(chkContrassegna);

    auto *prezzi = new QGroupBox(QStringLiteral("Prezzi"));
    cboPrezzo = new QComboBox;
    cboPrezzo->setObjectName(QStringLiteral("cboPrezzo"));
    cboPrezzo->addItems({QStringLiteral("prezzo 1"), QStringLiteral("prezzo 2"), QStringLiteral("prezzo 3"), QStringLiteral("prezzo 4")});
    cboOfferta = new QComboBox;
    cboOfferta->setObjectName(QStringLiteral("cboOfferta"));
    cboOfferta->addItems({QStringLiteral("(nessuno)"), QStringLiteral("prezzo 1"), QStringLiteral("prezzo 2"),
                          QStringLiteral("prezzo 3"), QStringLiteral("prezzo 4")});
    chkIva = new QCheckBox(QStringLiteral("Importa i prezzi IVA compresa"));
    chkIva->setObjectName(QStringLiteral("chkIva"));
    auto *colonna = new QVBoxLayout(prezzi);
    colonna->addWidget(new QLabel(QStringLiteral("Importa il prezzo degli articoli dal campo:")));
    colonna->addWidget(cboPrezzo);
    colonna->addWidget(new QLabel(QStringLiteral("Importa il prezzo offerta degli articoli dal campo:")));
    colonna->addWidget(cboOfferta);
    colonna->addWidget(chkIva);

    cmdOK = new QPushButton(QStringLiteral("OK"));

    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"));
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
    cmdOK->setDefault(true);
    cmdAnnulla->setAutoDefault(false);
    auto *pulsanti = new QHBoxLayout;
    pulsanti->addStretch();
    pulsanti->addWidget(cmdOK);
    pulsanti->addWidget(cmdAnnulla);

    auto *tutto = new QVBoxLayout(this);
    tutto->addWidget(dati);
    tutto->addWidget(prezzi);
    tutto->addLayout(pulsanti);

    connect(cmdOK, &QPushButton::clicked, this, [this] {
        ImportazioneZendaro::Opzioni o;
        o.contrassegna = chkContrassegna->isChecked();
        o.prezzo = cboPrezzo->currentIndex() + 1;
        o.offerta = cboOfferta->currentIndex();
        o.iva = chkIva->isChecked();
        m_tag = o.testo();
        accept();
    });
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmImportaZD::reject);
}

void frmImportaZD::Importa(Negozio &negozio, Catalogo &catalogo, QWidget *parent)
{
    QString opzioni;
    {
        frmImportaZD f(parent);
        f.exec();
        opzioni = f.tag();
    }
    if (opzioni.isEmpty())
        return;
    QProgressDialog avanzamento(QStringLiteral("Importazione da Zendaro in corso..."), QString(), 0, 0, parent);
    avanzamento.setWindowTitle(QStringLiteral("Vetrasto"));
    // Modal, so that each step lets the windows paint (the progress and the
    // tree growing) while the merchant's input waits for the end.
    avanzamento.setWindowModality(Qt::ApplicationModal);
    avanzamento.setMinimumDuration(0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ImportazioneZendaro importazione(negozio, catalogo);
    importazione.avanzamento = [&](int fatti, int totale) {
        avanzamento.setMaximum(totale);
        avanzamento.setValue(fatti);
    };
    importazione.ImportaZD(opzioni, LettoreMdb::apri);
    avanzamento.reset();
    QApplication::restoreOverrideCursor();
}
