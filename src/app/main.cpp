// Vetrasto: keeps the catalogue of an online shop and builds its site.
#include "avvio.h"
#include "boxmessages.h"
#include "traduzioni.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vetrasto"));
    QApplication::setOrganizationName(QStringLiteral("Vetrasto"));
    // Numbers in the fields are read and written in the Italian notation.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    installaTraduzioni();
    BoxMessages messages;
    installaScelte();
    Avvio avvio(messages);
    avvio.avvia();
    return app.exec();
}
