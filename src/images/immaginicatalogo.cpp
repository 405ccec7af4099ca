#include "immaginicatalogo.h"

#include "caricaimmagine.h"
#include "recordset.h"

namespace {

QString suffisso(int n)
{
    return QString::number(n);  // format "0"
}

}  // namespace

bool ImpostaImmagine(Recordset &rs, int n, SceltaImmagineModale &scelta)
{
    if (!rs.isOpen() || !rs.hasCurrent())
        return false;
    const QString s = suffisso(n);
    const QString attuale = rs.text(QStringLiteral("immagine") + s);
    const RisultatoScelta r = scelta.scegli(attuale);
    if (r.nome.isEmpty())
        return false;
    rs.edit();
    rs.setValue(QStringLiteral("immagine") + s, r.nome);
    rs.setValue(QStringLiteral("imgX") + s, r.misura.width());
    rs.setValue(QStringLiteral("imgY") + s, r.misura.height());
    rs.update();
    return true;
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
