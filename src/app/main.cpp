// Vetrasto: keeps the catalogue of an online shop and builds its site.
#include "avvio.h"
#include "messages.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vetrasto"));
    QApplication::setOrganizationName(QStringLiteral("Vetrasto"));
    BoxMessages messages;
    Avvio avvio(messages);
    QTimer::singleShot(0, [&avvio] { avvio.mostraMain(); });
    return app.exec();
}
