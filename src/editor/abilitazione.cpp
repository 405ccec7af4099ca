#include "abilitazione.h"

#include "comandi.h"
#include "negozio.h"

#include <QStringList>

const QStringList &AbilitazioneComandi::nomiReparto()
{
    static const QStringList nomi = {
        QStringLiteral("+ categoria prima"), QStringLiteral("+ categoria dopo"), QStringLiteral("categoria su"),
        QStringLiteral("categoria giu"),     QStringLiteral("- categoria"),      QStringLiteral("copia categoria"),
        QStringLiteral("+ articolo prima"),  QStringLiteral("+ articolo dopo"),  QStringLiteral("+ immagine cat0"),
        QStringLiteral("+ immagine cat1"),   QStringLiteral("maschera categorie")};
    return nomi;
}

const QStringList &AbilitazioneComandi::nomiArticolo()
{
    static const QStringList nomi = {
        QStringLiteral("articolo su"), QStringLiteral("articolo giu"), QStringLiteral("- articolo"),
        QStringLiteral("copia articolo"), QStringLiteral("+ immagine0"), QStringLiteral("+ immagine1"),
        QStringLiteral("+ immagine2"), QStringLiteral("maschera articoli")};
    return nomi;
}

AbilitazioneComandi::AbilitazioneComandi(Negozio &negozio, RegistroComandi &comandi, QObject *parent)
    : QObject(parent), m_negozio(negozio), m_comandi(comandi)
{
    DatiPrincipali &d = negozio.dati();
    connect(&d, &DatiPrincipali::repartoCambiato, this, [this](bool corrente) {
        for (const QString &n : nomiReparto())
            m_comandi.AbilitaComando(n, corrente);
    });
    connect(&d, &DatiPrincipali::articoloCambiato, this, [this](bool corrente) {
        for (const QString &n : nomiArticolo())
            m_comandi.AbilitaComando(n, corrente);
    });
    connect(&d.tvwCategorie, &AlberoReparti::ricostruito, this,
            [this] { m_comandi.AbilitaComando(QStringLiteral("espansione"), m_negozio.dati().tvwCategorie.haReparti()); });
    connect(&negozio, &Negozio::appuntiCambiati, this, [this] {
        const Negozio::Appunti a = m_negozio.appunti();
        m_comandi.AbilitaComando(QStringLiteral("incolla articolo"), a.articoli);
        m_comandi.AbilitaComando(QStringLiteral("incolla categoria"), a.reparto);
    });
}
