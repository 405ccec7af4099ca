// Vetrasto: keeps the catalogue of an online shop and builds its site.
#include "avvio.h"
#include "boxmessages.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    preparaProgramma();
    BoxMessages messages;
    Avvio avvio(messages);
    avvio.avvia();
    return app.exec();
}
