#include "corniceimmagine.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPixmap>

CorniceImmagine::CorniceImmagine(FamigliaImmagine famiglia, int n, QWidget *parent)
    : QFrame(parent), m_famiglia(famiglia), m_n(n)
{
    setObjectName(nomeCornice(famiglia, n));
    setFixedSize(Lato, Lato);
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    m_immagine = new QLabel(this);
    m_immagine->setObjectName(nomeControllo(famiglia, n));
    m_immagine->hide();
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

void CorniceImmagine::aggiorna(FinestraPrincipale &finestra, const QString &cartellaNegozio)
{
    mostra(MostraImmagine(finestra, m_famiglia, m_n, cartellaNegozio, size()));
}

QList<CorniceImmagine *> CorniceImmagine::aggiungi(QWidget *pagina, FamigliaImmagine famiglia)
{
    QList<CorniceImmagine *> cornici;
    auto *colonna = qobject_cast<QBoxLayout *>(pagina->layout());
    if (!colonna) {
        delete pagina->layout();
        colonna = new QVBoxLayout(pagina);
    }
    auto *riga = new QHBoxLayout;
    const int quante = famiglia == FamigliaImmagine::Articolo ? 3 : 2;
    for (int n = 0; n < quante; ++n) {
        auto *blocco = new QVBoxLayout;
        blocco->addWidget(new QLabel(didascalia(famiglia, n)));
        auto *c = new CorniceImmagine(famiglia, n);
        blocco->addWidget(c);
        riga->addLayout(blocco);
        cornici << c;
    }
    riga->addStretch(1);
    colonna->insertLayout(0, riga);
    colonna->addStretch(1);
    return cornici;
}
