// Vetrasto: keeps the catalogue of an online shop and builds its site.
#include "frmmain.h"
#include "messages.h"
#include "negozio.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

namespace {

// Shows a fresh main window and runs its load; a restart (another shop
// chosen) replaces the window once its own code has finished running.
class Avvio {
public:
    Avvio() : m_negozio(m_messages)
    {
        m_negozio.setRiavvio([this] {
            if (m_finestra) {
                m_finestra->hide();
                m_finestra->deleteLater();
            }
            m_riavvioInCorso = true;
            QTimer::singleShot(0, [this] { mostraMain(); });
        });
    }

    void mostraMain()
    {
        m_riavvioInCorso = false;
        m_finestra = new frmMain(m_negozio);
        m_finestra->setAttribute(Qt::WA_DeleteOnClose);
        m_messages.setOwner(m_finestra);
        QPointer<frmMain> self = m_finestra;
        const int result = m_finestra->carica();
        if (!self || m_riavvioInCorso)
            return;
        if (result == Negozio::NonAperto) {
            self->deleteLater();
            QCoreApplication::quit();
            return;
        }
        self->show();
    }

private:
    BoxMessages m_messages;
    Negozio m_negozio;
    QPointer<frmMain> m_finestra;
    bool m_riavvioInCorso = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vetrasto"));
    QApplication::setOrganizationName(QStringLiteral("Vetrasto"));
    Avvio avvio;
    QTimer::singleShot(0, [&avvio] { avvio.mostraMain(); });
    return app.exec();
}
