#include "immaginicatalogo.h"

#include "caricaimmagine.h"
#include "datiprincipali.h"
#include "finestraprincipale.h"
#include "recordset.h"

namespace {

QString suffisso(int n)
{
    return QString::number(n);  // format "0"
}

const char *radice(FamigliaImmagine f)
{
    switch (f) {
    case FamigliaImmagine::Articolo: return "Articolo";
    case FamigliaImmagine::Reparto: return "Categoria";
    case FamigliaImmagine::Negozio: return "Negozio";
    }
    return "";
}

}  // namespace

void ImpostaImmagine(Recordset &rs, int n, SceltaImmagineModale &scelta)
{
    if (!rs.isOpen() || !rs.hasCurrent())
        return;
    const QString s = suffisso(n);
    const QString attuale = rs.text(QStringLiteral("immagine") + s);
    const RisultatoScelta r = scelta.scegli(attuale);
    if (r.nome.isEmpty())
        return;
    rs.edit();
    rs.setValue(QStringLiteral("immagine") + s, r.nome);
    rs.setValue(QStringLiteral("imgX") + s, r.misura.width());
    rs.setValue(QStringLiteral("imgY") + s, r.misura.height());
    rs.update();
}

QString nomeComandoElimina(FamigliaImmagine famiglia, int n)
{
    switch (famiglia) {
    case FamigliaImmagine::Articolo: return QStringLiteral("- immagine") + suffisso(n);
    case FamigliaImmagine::Reparto: return QStringLiteral("- immagine cat") + suffisso(n);
    case FamigliaImmagine::Negozio: return QStringLiteral("- immagine neg") + suffisso(n);
    }
    return {};
}

QString nomeControllo(FamigliaImmagine famiglia, int n)
{
    return QStringLiteral("img") + QLatin1String(radice(famiglia)) + suffisso(n);
}

QString nomeCornice(FamigliaImmagine famiglia, int n)
{
    switch (famiglia) {
    case FamigliaImmagine::Articolo: return QStringLiteral("picImmagineArticolo") + suffisso(n);
    case FamigliaImmagine::Reparto: return QStringLiteral("picSfondoImmCat") + suffisso(n);
    case FamigliaImmagine::Negozio: return QStringLiteral("picSfondoImmNeg") + suffisso(n);
    }
    return {};
}

DataSource &sorgenteImmagine(DatiPrincipali &dati, FamigliaImmagine famiglia)
{
    switch (famiglia) {
    case FamigliaImmagine::Articolo: return dati.dataArticoli;
    case FamigliaImmagine::Reparto: return dati.dataCategorie;
    case FamigliaImmagine::Negozio: break;
    }
    return dati.dataGenerale;
}

int scostamento(int cornice, int immagine)
{
    return immagine < cornice ? (cornice - immagine) / 2 : 0;
}

ImmagineInCornice preparaImmagine(const Recordset &rs, int n, const QString &cartellaNegozio, QSize cornice)
{
    ImmagineInCornice r;
    const QString campo = QStringLiteral("immagine") + suffisso(n);
    if (cartellaNegozio.isEmpty() || !rs.isOpen() || !rs.hasCurrent() || !rs.hasField(campo))
        return r;
    const QString nome = rs.text(campo);
    if (nome.isEmpty())
        return r;
    r.file = cartellaNegozio + QStringLiteral("/work/") + nome;
    InfoImmagine info;
    if (!CaricaImmagine::informazioni(r.file, info, nullptr))
        return r;
    // Only the part that the frame shows is kept (a larger picture sits at 0).
    PixelBGR pixel;
    if (!CaricaImmagine::decodifica(r.file, pixel, nullptr, {}, cornice))
        return r;
    QImage img(pixel.width, pixel.height, QImage::Format_BGR888);
    if (img.isNull())
        return r;
    for (int y = 0; y < pixel.height; ++y)
        std::copy_n(pixel.row(y), pixel.stride(), img.scanLine(y));
    r.immagine = img;
    r.misura = QSize(info.width, info.height);
    r.posizione = QPoint(scostamento(cornice.width(), info.width), scostamento(cornice.height(), info.height));
    r.visibile = true;
    return r;
}

ImmagineInCornice MostraImmagine(FinestraPrincipale &finestra, FamigliaImmagine famiglia, int n,
                                 const QString &cartellaNegozio, QSize cornice)
{
    const DataSource &sorgente = sorgenteImmagine(finestra.dati(), famiglia);
    ImmagineInCornice r = preparaImmagine(sorgente.recordset(), n, cartellaNegozio, cornice);
    finestra.AbilitaComando(nomeComandoElimina(famiglia, n), r.visibile);
    return r;
}
