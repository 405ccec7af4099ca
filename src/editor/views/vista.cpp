#include "vista.h"

#include "comandi.h"

#include <QAction>
#include <QLabel>
#include <QToolButton>

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

QLabel *Vista::intestazione(const QString &testo, QWidget *parent)
{
    auto *l = new QLabel(testo, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}
