#include "vista.h"

#include "comandi.h"
#include "database.h"

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

QString Vista::testoRifiuto(int numero, const QString &descrizione, const QString &campo)
{
    QString perche;
    switch (numero) {
    case DbErr::FieldTooSmall: perche = QStringLiteral("il testo è troppo lungo per il campo"); break;
    case DbErr::ConversionError: perche = QStringLiteral("il valore non è valido per il campo"); break;
    case DbErr::EmptyNotAllowed: perche = QStringLiteral("il campo non può essere vuoto:"); break;
    default: perche = QStringLiteral("il valore non è stato accettato nel campo"); break;
    }
    return QStringLiteral("Impossibile salvare la modifica: %1 \"%2\".\r\nIl campo torna al valore salvato.\r\n(%3)")
        .arg(perche, campo, descrizione);
}

QLabel *Vista::intestazione(const QString &testo, QWidget *parent)
{
    auto *l = new QLabel(testo, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}
