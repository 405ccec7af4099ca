#include "corniceimmagine.h"

#include "comandi.h"
#include "negozio.h"

#include <QLabel>
#include <QPixmap>

namespace {

const char *radice(FamigliaImmagine f)
{
    switch (f) {
    case FamigliaImmagine::Articolo: return "Articolo";
    case FamigliaImmagine::Reparto: return "Categoria";
    case FamigliaImmagine::Negozio: return "Negozio";
    }
    return "";
}

QString nomeCornice(FamigliaImmagine famiglia, int n)
{
    switch (famiglia) {
    case FamigliaImmagine::Articolo: return QStringLiteral("picImmagineArticolo%1").arg(n);
    case FamigliaImmagine::Reparto: return QStringLiteral("picSfondoImmCat%1").arg(n);
    case FamigliaImmagine::Negozio: return QStringLiteral("picSfondoImmNeg%1").arg(n);
    }
    return {};
}

} // namespace

CorniceImmagine::CorniceImmagine(FamigliaImmagine famiglia, int n, Negozio &negozio, RegistroComandi &comandi,
                                 QWidget *parent)
    : QFrame(parent), m_famiglia(famiglia), m_n(n), m_negozio(negozio), m_comandi(comandi)
{
    setObjectName(nomeCornice(famiglia, n));
    setFixedSize(Lato, Lato);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    m_immagine = new QLabel(this);
    m_immagine->setObjectName(QStringLiteral("img%1%2").arg(QLatin1String(radice(famiglia))).arg(n));
    m_immagine->hide();

    DatiPrincipali &d = negozio.dati();
    switch (famiglia) {
    case FamigliaImmagine::Articolo: connect(&d, &DatiPrincipali::articoloCambiato, this, &CorniceImmagine::aggiorna); break;
    case FamigliaImmagine::Reparto: connect(&d, &DatiPrincipali::repartoCambiato, this, &CorniceImmagine::aggiorna); break;
    case FamigliaImmagine::Negozio: connect(&d, &DatiPrincipali::generaleCambiato, this, &CorniceImmagine::aggiorna); break;
    }
}

QString CorniceImmagine::nomeComandoElimina(FamigliaImmagine famiglia, int n)
{
    switch (famiglia) {
    case FamigliaImmagine::Articolo: return QStringLiteral("- immagine%1").arg(n);
    case FamigliaImmagine::Reparto: return QStringLiteral("- immagine cat%1").arg(n);
    case FamigliaImmagine::Negozio: return QStringLiteral("- immagine neg%1").arg(n);
    }
    return {};
}

QString CorniceImmagine::didascalia(FamigliaImmagine famiglia, int n)
{
    switch (famiglia) {
    case FamigliaImmagine::Articolo:
        return n == 2 ? QStringLiteral("Immagine piccola") : QStringLiteral("Immagine %1").arg(n + 1);
    case FamigliaImmagine::Reparto:
        return n == 1 ? QStringLiteral("Immagine pulsante") : QStringLiteral("Immagine");
    case FamigliaImmagine::Negozio:
        return n == 1 ? QStringLiteral("Logo del negozio (piccolo):") : QStringLiteral("Logo del negozio (normale):");
    }
    return {};
}

void CorniceImmagine::aggiorna()
{
    const ImmagineInCornice r = preparaImmagine(m_negozio.dati().sorgenteImmagine(m_famiglia).recordset(), m_n,
                                                m_negozio.state.PercorsoNegozio, size());
    mostra(r);
    m_comandi.AbilitaComando(nomeComandoElimina(m_famiglia, m_n), r.visibile);
}

void CorniceImmagine::mostra(const ImmagineInCornice &r)
{
    m_immagine->hide();
    if (!r.visibile) {
        m_immagine->setPixmap(QPixmap());
        return;
    }
    m_immagine->setPixmap(QPixmap::fromImage(r.immagine));
    m_immagine->setGeometry(QRect(r.posizione, r.immagine.size()));
    m_immagine->show();
}
