#include "avvio.h"

#include "boxmessages.h"
#include "traduzioni.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>

void preparaProgramma()
{
    QApplication::setApplicationName(QStringLiteral("Vetrasto"));
    QApplication::setOrganizationName(QStringLiteral("Vetrasto"));
    // Numbers in the fields are read and written in the Italian notation.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    installaTraduzioni();
    installaScelte();
}

Avvio::Avvio(Messages &messages) : m_messages(messages), m_negozio(messages)
{
    QObject::connect(&m_negozio, &Negozio::riavvioRichiesto, [this] {
        if (m_finestra) {
            m_finestra->salvaPosto();
            m_finestra->hide();
            m_finestra->deleteLater();
        }
        m_riavvioInCorso = true;
        QTimer::singleShot(0, [this] { mostraMain(); });
    });
}

void Avvio::avvia()
{
    m_splash = new frmAbout(m_negozio.state.AvvioCompletato);
    m_splash->setAttribute(Qt::WA_DeleteOnClose);
    m_splash->avvia = [this] { mostraMain(); };
    m_splash->show();
}

void Avvio::mostraMain()
{
    m_riavvioInCorso = false;
    m_finestra = new frmMain(m_negozio);
    m_finestra->setAttribute(Qt::WA_DeleteOnClose);
    if (auto *box = dynamic_cast<BoxMessages *>(&m_messages))
        box->setOwner(m_finestra);
    QPointer<frmMain> self = m_finestra;
    const int result = m_finestra->carica();
    if (!self || m_riavvioInCorso)
        return;
    if (result == Negozio::NonAperto) {
        self->deleteLater();
        m_finito = true;
        if (m_splash)
            m_splash->deleteLater();
        QCoreApplication::quit();  // no window is left
        return;
    }
    QObject::connect(self, &frmMain::avvioCompletato, self, [this] {
        if (m_splash)
            m_splash->deleteLater();
    });
    self->show();
}
