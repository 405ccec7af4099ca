#include "frmavviso.h"

#include "aggiornasito.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

frmAvviso::frmAvviso(QWidget *parent) : Dialogo(parent)
{
    setObjectName(QStringLiteral("frmAvviso"));
    setWindowTitle(QStringLiteral("Aggiornamento del sito"));
    auto testo = [](const QString &t) {
        auto *l = new QLabel(t);
        l->setWordWrap(true);
        return l;
    };
    auto *icona = new QLabel;
    icona->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    icona->setAlignment(Qt::AlignTop);
    auto *testi = new QVBoxLayout;
    testi->addWidget(testo(QStringLiteral("Se sono state effettuate modifiche al negozio, prima di aggiornare il sito "
                                          "(trasferire i file sul server) è necessario costruire il negozio.")));
    testi->addWidget(testo(QStringLiteral("Le modifiche apportate al negozio, infatti, non avranno effetto finché il "
                                          "negozio non sarà ricostruito.")));
    auto *domanda = testo(QStringLiteral("Si desidera procedere con l'aggiornamento?"));
    QFont f = domanda->font();
    f.setBold(true);
    domanda->setFont(f);
    testi->addWidget(domanda);
    auto *sopra = new QHBoxLayout;
    sopra->addWidget(icona);
    sopra->addLayout(testi, 1);

    cmdSi = new QPushButton(QStringLiteral("Sì"));
    cmdSi->setObjectName(QStringLiteral("cmdSi"));
    cmdNo = new QPushButton(QStringLiteral("No"));
    cmdNo->setObjectName(QStringLiteral("cmdNo"));
    cmdSi->setDefault(true);
    auto *pulsanti = new QHBoxLayout;
    pulsanti->addStretch();
    pulsanti->addWidget(cmdSi);
    pulsanti->addWidget(cmdNo);
    pulsanti->addStretch();
    chkNoShow = new QCheckBox(QStringLiteral("Non mostrare più questo avviso in futuro"));
    chkNoShow->setObjectName(QStringLiteral("chkNoShow"));

    auto *tutto = new QVBoxLayout(this);
    tutto->addLayout(sopra);
    tutto->addSpacing(8);
    tutto->addLayout(pulsanti);
    tutto->addWidget(chkNoShow);
    setFixedWidth(440);

    connect(cmdSi, &QPushButton::clicked, this, [this] { rispondi(true); });
    connect(cmdNo, &QPushButton::clicked, this, [this] { rispondi(false); });
}

void frmAvviso::rispondi(bool si)
{
    if (si)
        m_tag = QStringLiteral("OK");
    if (chkNoShow->isChecked())
        NonMostrarePiuAvvisoAggiornamento();
    accept();
}

bool frmAvviso::Mostra(QWidget *parent)
{
    frmAvviso avviso(parent);
    avviso.exec();
    return avviso.tag() == QLatin1String("OK");
}
