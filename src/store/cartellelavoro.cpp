#include "cartellelavoro.h"

#include "cartelle.h"
#include "datiprincipali.h"
#include "messages.h"
#include "negozio.h"

#include <QFileInfo>

namespace {

constexpr int LunghezzaMassima = 255;  // generale.siteonline and sitescript

} // namespace

CartelleLavoro::CartelleLavoro(Negozio &negozio) : m_negozio(negozio) {}

QString CartelleLavoro::campo(Cartella c)
{
    return c == Pagine ? QStringLiteral("siteonline") : QStringLiteral("sitescript");
}

QString CartelleLavoro::attuale(Cartella c) const
{
    return c == Pagine ? m_negozio.state.CartellaPagine : m_negozio.state.CartellaScript;
}

QString CartelleLavoro::predefinita(Cartella c) const
{
    return m_negozio.state.PercorsoNegozio + (c == Pagine ? QStringLiteral("/online") : QStringLiteral("/scripts"));
}

QString CartelleLavoro::rifiuto(Cartella c, const QString &percorso) const
{
    const QString nonSalvata = QStringLiteral(": l'impostazione non sarà salvata");
    const QFileInfo info(percorso);
    if (percorso.isEmpty() || !info.isDir())
        return QStringLiteral("La cartella '") + percorso + QStringLiteral("' non esiste") + nonSalvata;
    if (percorso.size() > LunghezzaMassima)
        return QStringLiteral("Il percorso della cartella '") + percorso + QStringLiteral("' è troppo lungo (al massimo %1 caratteri)")
                   .arg(LunghezzaMassima)
            + nonSalvata;

    const QString motivo = CartellaRiservata(percorso, m_negozio.state.PercorsoNegozio);
    if (motivo.isEmpty())
        return {};
    return QStringLiteral("La cartella '") + percorso
        + (c == Pagine ? QStringLiteral("' non può accogliere le pagine del negozio: ")
                       : QStringLiteral("' non può accogliere gli script del negozio: "))
        + motivo + QStringLiteral(", e il comando \"Pulisci le cartelle di lavoro\" ne cancellerebbe il contenuto")
        + nonSalvata;
}

bool CartelleLavoro::conferma(Cartella c, const QString &testo, Scelta scelta)
{
    const QString percorso = testo.trimmed();
    const QString motivo = rifiuto(c, percorso);
    if (!motivo.isEmpty()) {
        m_negozio.messages().warning(motivo);
        return false;
    }
    if (scelta != Scelta::Intatta) {
        const QString registrato = scelta == Scelta::Ripristino ? QString() : percorso;
        // The settings record is the main window's dataGenerale when there is
        // one, so that its fields show the new value.
        DataSource &dati = m_negozio.dati().dataGenerale;
        Recordset *generale = dati.isOpen() ? &dati.recordset() : nullptr;
        try {
            if (generale && generale->hasCurrent()) {
                generale->edit();
                generale->setValue(campo(c), registrato);
                generale->update();
            } else {
                m_negozio.state.dbCatalogo->execute(QStringLiteral("UPDATE generale SET %1 = ?").arg(campo(c)),
                                                    {registrato});
            }
        } catch (const std::exception &) {
            if (generale)
                generale->cancelUpdate();
            m_negozio.messages().warning(QStringLiteral("Non è stato possibile registrare la cartella '") + percorso
                                         + QStringLiteral("' nelle impostazioni del negozio"));
            return false;
        }
    }
    (c == Pagine ? m_negozio.state.CartellaPagine : m_negozio.state.CartellaScript) = percorso;
    return true;
}
