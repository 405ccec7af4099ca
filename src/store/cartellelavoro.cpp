#include "cartellelavoro.h"

#include "cartelle.h"
#include "datiprincipali.h"
#include "messages.h"
#include "negozio.h"

#include <QDir>
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
    // The opening holds the shop folder by its absolute path: so are these.
    return m_negozio.state.PercorsoNegozio + (c == Pagine ? QStringLiteral("/online") : QStringLiteral("/scripts"));
}

QString CartelleLavoro::rifiuto(Cartella c, const QString &percorso) const
{
    const QString nonSalvata = QStringLiteral(": l'impostazione non sarà salvata");
    const QFileInfo info(percorso);
    // A relative path is refused below whether or not it names a folder
    // from where the program runs.
    if (percorso.isEmpty() || (!QDir::isRelativePath(percorso) && !info.isDir()))
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
    QString errore;
    if (scelta != Scelta::Intatta && !registra(c, scelta == Scelta::Ripristino ? QString() : percorso, &errore)) {
        m_negozio.messages().warning(QStringLiteral("Impossibile registrare la cartella '") + percorso
                                     + QStringLiteral("' nelle impostazioni del negozio:\r\n") + errore);
        return false;
    }
    (c == Pagine ? m_negozio.state.CartellaPagine : m_negozio.state.CartellaScript) = percorso;
    return true;
}

bool CartelleLavoro::registra(Cartella c, const QString &valore, QString *errore)
{
    // The settings record is the main window's dataGenerale when there is
    // one, so that its fields show the new value.
    DataSource &dati = m_negozio.dati().dataGenerale;
    Recordset *generale = dati.isOpen() ? &dati.recordset() : nullptr;
    try {
        if (generale && generale->hasCurrent()) {
            generale->edit();
            generale->setValue(campo(c), valore);
            generale->update();
        } else {
            m_negozio.state.dbCatalogo->execute(QStringLiteral("UPDATE generale SET %1 = ?").arg(campo(c)), {valore});
        }
    } catch (const std::exception &e) {
        // The caller says what the failure means for the merchant.
        if (generale)
            generale->cancelUpdate();
        *errore = testoErrore(e);
        return false;
    }
    return true;
}

void CartelleLavoro::carica()
{
    const Recordset &generale = m_negozio.dati().dataGenerale.recordset();
    for (const Cartella c : {Pagine, Script}) {
        QString cartella = generale.text(campo(c));
        const QString motivo = cartella.isEmpty() ? QString() : CartellaRiservata(cartella, m_negozio.state.PercorsoNegozio);
        if (!motivo.isEmpty()) {
            m_negozio.messages().warning(
                (c == Pagine ? QStringLiteral("La cartella delle pagine del negozio '")
                             : QStringLiteral("La cartella degli script del negozio '"))
                + cartella + QStringLiteral("' indicata nelle impostazioni non può essere usata: ") + motivo
                + QStringLiteral(". Al suo posto sarà usata la cartella '") + predefinita(c)
                + QStringLiteral("'; per sceglierne un'altra usare \"Cambia le cartelle di lavoro\"."));
            // Said again at the next opening when the record cannot be
            // written (a shop on a read-only disk): the folder in use is
            // the default one all the same.
            if (QString errore; !registra(c, QString(), &errore))
                qWarning("%s: the refused folder stays in the settings record: %s", qPrintable(campo(c)),
                         qPrintable(errore));
            cartella.clear();
        }
        (c == Pagine ? m_negozio.state.CartellaPagine : m_negozio.state.CartellaScript) =
            cartella.isEmpty() ? predefinita(c) : cartella;
    }
}
