#include "frmconfigurapg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmConfiguraPG::frmConfiguraPG(Aiuto aiuto, QWidget *parent)
    : DialogoAiuto(QStringLiteral("pagine\\sistemi.htm"), std::move(aiuto), parent)
{
    setModal(true);
    setObjectName(QStringLiteral("frmConfiguraPG"));
    setWindowTitle(QStringLiteral("Vetrasto - Configurazione sistemi di pagamento"));
    auto *colonna = new QVBoxLayout(this);
    auto *carte = new QGroupBox(QStringLiteral("Carte di credito"), this);
    auto *gc = new QVBoxLayout(carte);
    auto *altri = new QGroupBox(QStringLiteral("Altri sistemi"), this);
    auto *ga = new QGridLayout(altri);
    const char *didascalie[] = {"Configura Telepay Light...", "Configura Banca Sella...",
                                "Configura Authorize.Net...", "Configura Planet Payment...",
                                "Configura Contrassegno...",  "Configura Pagamento anticipato..."};
    for (int i = 0; i < 6; ++i) {
        auto *b = new QPushButton(QLatin1String(didascalie[i]), this);
        b->setObjectName(QStringLiteral("cmdConfigura%1").arg(i));
        cmdConfigura[size_t(i)] = b;
        const Sistema s = TuttiISistemi()[size_t(i)];
        connect(b, &QPushButton::clicked, this, [this, s] {
            m_scelta = s;
            accept();
        });
        if (i < 4) {
            gc->addWidget(b);
        } else {
            ga->addWidget(new QLabel(datiSistema(s).nome, altri), i - 4, 0);
            ga->addWidget(b, i - 4, 1);
        }
    }
    ga->setColumnStretch(1, 1);
    colonna->addWidget(carte);
    colonna->addWidget(altri);
    cmdChiudi = new QPushButton(QStringLiteral("Chiudi"), this);
    cmdChiudi->setObjectName(QStringLiteral("cmdChiudi"));
    colonna->addLayout(rigaPulsanti({cmdChiudi}));
    connect(cmdChiudi, &QPushButton::clicked, this, &QDialog::reject);
    // Room for the captions beside the other systems' buttons.
    setMinimumWidth(420);
}
