#include "dialogo.h"

#include "schermo.h"

#include <QShowEvent>

void Dialogo::showEvent(QShowEvent *e)
{
    if (!e->spontaneous())
        adattaAlloSchermo(this);
    QDialog::showEvent(e);
}
