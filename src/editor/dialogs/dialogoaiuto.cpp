#include "dialogoaiuto.h"

#include "schermo.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

DialogoAiuto::DialogoAiuto(QString argomento, Aiuto aiuto, QWidget *parent)
    : Dialogo(parent), m_argomento(std::move(argomento)), m_aiuto(std::move(aiuto))
{
    cmdHelp = new QPushButton(QStringLiteral("?"));
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    cmdHelp->setAutoDefault(false);
    connect(cmdHelp, &QPushButton::clicked, this, &DialogoAiuto::MostraAiuto);
}

void DialogoAiuto::MostraAiuto()
{
    if (m_aiuto)
        m_aiuto(m_argomento);
}

QHBoxLayout *DialogoAiuto::rigaPulsanti(std::initializer_list<QPushButton *> pulsanti)
{
    auto *riga = new QHBoxLayout;
    riga->addWidget(cmdHelp);
    riga->addStretch();
    for (QPushButton *b : pulsanti) {
        b->setAutoDefault(false);
        riga->addWidget(b);
    }
    return riga;
}

QVBoxLayout *DialogoAiuto::corpoScorrevole(std::initializer_list<QPushButton *> pulsanti)
{
    auto *corpo = new QWidget(this);
    auto *colonna = new QVBoxLayout(corpo);
    colonna->setContentsMargins(0, 0, 0, 0);
    auto *tutto = new QVBoxLayout(this);
    tutto->addWidget(new AreaScorrevole(corpo, this), 1);
    tutto->addLayout(rigaPulsanti(pulsanti));
    return colonna;
}

void DialogoAiuto::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_F1) {
        MostraAiuto();
        return;
    }
    QDialog::keyPressEvent(e);
}
