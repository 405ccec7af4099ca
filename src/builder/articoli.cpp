#include "articoli.h"

#include "controlloprezzi.h"
#include "formato.h"
#include "frammenti.h"
#include "numeri.h"
#include "prezzi.h"
#include "testoletto.h"

namespace {

QString testoCampo(const QVariant &v)
{
    return v.isNull() || !v.isValid() ? QString() : v.toString();
}

} // namespace

void ContestoArticoli::impostaCampi(std::shared_ptr<const CampiTabella> tabella)
{
    static const char *const nomi[] = {
        "codice", "titolo", "cart_articolo", "sottotitolo", "immagine1", "immagine2", "immagine3", "novita", "offerta",
        "iva", "listino", "cart_prezzo", "prezzo", "cart_iva", "cambio", "cart_peso", "descrizione", "note",
        "giacenza", "opzione1", "opzione2", "opzione3", "cart_opzione1", "cart_opzione2", "cart_opzione3",
        "nomeopzione1", "nomeopzione2", "nomeopzione3", "contatore", "java_acquista"};
    static_assert(std::size(nomi) == size_t(CampoArticolo::numero));
    campi = std::move(tabella);
    for (size_t i = 0; i < indici.size(); ++i)
        indici[i] = campi->indice(QLatin1StringView(nomi[i]));
}

QString ChiamataPopup(const QString &file, const QVariant &larghezza, const QVariant &altezza)
{
    const qint64 x = MisuraNota(larghezza) ? CLng(larghezza.toDouble()) : 600;
    const qint64 y = MisuraNota(altezza) ? CLng(altezza.toDouble()) : 350;
    // The call stands in an onClick attribute: a JavaScript string first,
    // then an attribute value.
    return ValoreAttributo(QStringLiteral("javascript:PopupImage('") + CodificaCaratteri(file) + QStringLiteral("',") +
                           QString::number(x) + u',' + QString::number(y) + QStringLiteral("); return false;"));
}

VoceArticolo ScriviArticolo(const ContestoArticoli &c, const Reparto &reparto, const Articolo &a,
                            const QString &filePagina, const QString &urlPagina, int maxArticoli, int numero)
{
    const Impostazioni &imp = *c.imp;
    VoceArticolo voce;
    voce.riga = Riga(c.campi);
    Riga &riga = voce.riga;
    auto scrivi = [&](CampoArticolo campo, const QString &valore) { riga.imposta(c.indici[size_t(campo)], valore); };

    // Articles are numbered from 1: the patterns "#####", "####0" and
    // "#####0" all write the number in plain digits.
    Q_ASSERT(numero >= 1);
    const QString numeroTesto = QString::number(numero);

    // Flags, link and code.
    const bool inelenco = a.inelenco;
    const bool esterno = a.linkesterno;
    const QString &link = a.link;
    const QString &codice = a.codice;
    scrivi(CampoArticolo::codice, PutLink(codice, link, esterno));

    // The index text: code and title as the settings ask.
    QString testoElenco, cella;
    if (imp.chkElencoCodice == 1)
        testoElenco = imp.chkElencoTitolo == 1 ? codice + QStringLiteral("<BR>") : codice;

    // The entry opener of the department index and of the showcase.
    const QString apertura = QStringLiteral("<a href=\"") + ValoreAttributo(filePagina) +
                             (maxArticoli > 1 ? u'#' + numeroTesto : QString()) + QStringLiteral("\">");
    if (inelenco)
        cella = apertura;
    QStringList ricerca{CampoCSV(maxArticoli > 1 ? urlPagina + u'#' + numeroTesto : urlPagina), CampoCSV(codice)};

    // Title and subtitle.
    const QString &titolo = a.titolo;
    QString chiave = CampoRicerca(titolo);
    ricerca << CampoCSV(titolo);
    const QString titoloLink = PutLink(titolo, link, esterno);
    scrivi(CampoArticolo::titolo, titoloLink);
    if (imp.chkElencoTitolo == 1)
        testoElenco += titolo;
    const QString nomeCarrello = CartArticolo(c.codiceInCarrello ? codice : QString(), titolo);
    scrivi(CampoArticolo::cart_articolo, nomeCarrello);
    scrivi(CampoArticolo::sottotitolo, PutLink(a.sottotitolo, link, esterno));
    chiave += CampoRicerca(a.sottotitolo);
    ricerca << CampoCSV(a.sottotitolo);

    // Pictures: "Immagine 1", the pop-up, "Immagine 2", "Immagine piccola".
    const QString tag1 = TagImmagine(a.immagine[0], a.imgX[0], a.imgY[0]);
    QString immagine1 = PutLink(tag1, link, esterno);
    const QString grande = testoCampo(a.immagine[1]);
    if (a.popup && !grande.isEmpty())
        immagine1 = PutOnClick(tag1, ChiamataPopup(grande, a.imgX[1], a.imgY[1]));
    scrivi(CampoArticolo::immagine1, immagine1);
    const QString tag2 = TagImmagine(a.immagine[1], a.imgX[1], a.imgY[1]);
    scrivi(CampoArticolo::immagine2, a.popup ? QString() : PutLink(tag2, link, esterno));
    const QString tag3 = TagImmagine(a.immagine[2], a.imgX[2], a.imgY[2]);
    scrivi(CampoArticolo::immagine3, PutLink(tag3, link, esterno));

    // The index entries are closed.
    voce.voceElenco = apertura + (imp.chkElencoFoto == 1 ? tag3 + QStringLiteral("<BR>") : QString()) + testoElenco +
                      QStringLiteral("</a><BR>&nbsp;<BR>");
    if (inelenco)
        cella += tag3 + QStringLiteral("</a>");

    // The search row's picture column: the thumbnail at its address.
    const QString piccola = testoCampo(a.immagine[2]);
    ricerca << (piccola.isEmpty() ? QString()
                                  : CampoCSV(TagImmagine(c.urlNegozio + u'/' + piccola, a.imgX[2], a.imgY[2])));

    // Badges.
    scrivi(CampoArticolo::novita, a.novita ? c.badgeNovita : QString());
    const QString badge = a.offerta && imp.chkVisOfferta == 1 ? c.badgeOfferta : QString();

    // Prices, with the department's VAT and discount.
    DatiPrezzo dati;
    dati.prezzo = a.prezzo;
    dati.offertaprezzo = a.offertaprezzo;
    dati.offerta = a.offerta;
    dati.iva = reparto.iva;
    dati.sconto = reparto.sconto;
    if (c.scontoNegozio)
        dati.scontoNegozio = *c.scontoNegozio;
    dati.ivaCompresa = c.ivaCompresa;
    dati.visSconto = imp.chkVisSconto == 1;
    dati.cambio = imp.chkCambio == 1;
    dati.badge = badge;
    const Prezzo prezzo = CalcolaPrezzo(dati, *c.stato);
    scrivi(CampoArticolo::offerta, prezzo.offerta);
    scrivi(CampoArticolo::iva, prezzo.iva);
    scrivi(CampoArticolo::listino, prezzo.listino);
    scrivi(CampoArticolo::cart_prezzo, prezzo.cart_prezzo);
    scrivi(CampoArticolo::prezzo, prezzo.prezzo);
    scrivi(CampoArticolo::cart_iva, prezzo.cart_iva);
    scrivi(CampoArticolo::cambio, prezzo.cambio);

    // Weight and texts.
    const QString cartPeso = PesoInvariante(a.peso);
    scrivi(CampoArticolo::cart_peso, cartPeso);
    scrivi(CampoArticolo::descrizione, TestoHTML(a.descrizione));
    chiave += CampoRicerca(a.descrizione);
    scrivi(CampoArticolo::note, TestoHTML(a.note));
    chiave += CampoRicerca(a.note);
    ricerca << chiave;
    scrivi(CampoArticolo::giacenza, TestoValore(a.giacenza));

    // Variants.
    QString cartOpzione[3];
    for (int n = 1; n <= 3; ++n) {
        const qint32 set = NumeroSetVarianti(a.opzione[size_t(n - 1)]);
        const QString menu = CreaOpzione(*c.varianti, *c.stato, set, numero, n, prezzo.fattoreVarianti,
                                         prezzo.aliquota, c.ivaCompresa, &voce.ordine.varianti[size_t(n - 1)]);
        const auto campo = [n](CampoArticolo primo) { return CampoArticolo(int(primo) + n - 1); };
        scrivi(campo(CampoArticolo::opzione1), menu);
        cartOpzione[n - 1] =
            menu.isEmpty() ? QString() : QStringLiteral("op") + QString::number(n) + numeroTesto;
        scrivi(campo(CampoArticolo::cart_opzione1), cartOpzione[n - 1]);
        scrivi(campo(CampoArticolo::nomeopzione1), CreaNomeOpzione(*c.varianti, set));
    }

    // Number and purchase call. The call is left open on purpose: the page
    // model writes it inside a double-quoted href, whose closing quote the
    // call's own ending supplies before the onMouseOver attribute. Its last
    // argument, the article's number, keys the line in the order script's
    // price list.
    const QString &contatore = numeroTesto;
    scrivi(CampoArticolo::contatore, contatore);
    // The call stands in an href: the name, escaped for the script string,
    // is escaped for the attribute too, so that a character reference of the
    // merchant's ("&#39;") reaches the script as written, not as a quote.
    scrivi(CampoArticolo::java_acquista, QStringLiteral("javascript:window.status='';Acquista('") + ValoreAttributo(nomeCarrello) +
                                QStringLiteral("','") + prezzo.cart_prezzo + QStringLiteral("','") + prezzo.cart_iva +
                                QStringLiteral("',document.itemsform.qt") + contatore + QStringLiteral(".value,'") +
                                cartOpzione[0] + QStringLiteral("','") + cartOpzione[1] + QStringLiteral("','") +
                                cartOpzione[2] + QStringLiteral("','") + cartPeso + QStringLiteral("','") +
                                QString::number(a.ID) + QStringLiteral("')") +
                                QStringLiteral("\" onMouseOver=\"window.status=''; return true"));

    // The showcase cell.
    if (inelenco) {
        voce.inVetrina = true;
        voce.cellaVetrina = cella + QStringLiteral("<BR>") + titoloLink + QStringLiteral("<BR>") + prezzo.prezzo;
    }

    if (const QString motivo = PrezzoFuoriMisura(prezzo, voce.ordine.varianti, *c.stato); !motivo.isEmpty())
        voce.prezzoFuoriMisura = NomeArticolo(a, reparto) + QStringLiteral(": ") + motivo;

    // The order script's price list: what the purchase call hands the cart.
    voce.ordine.chiave = a.ID;
    voce.ordine.codice = TestoLetto(codice);
    voce.ordine.articolo = nomeCarrello;
    voce.ordine.prezzo = prezzo.importo;
    voce.ordine.aliquota = c.ivaCompresa ? Currency() : prezzo.aliquota;
    voce.ordine.peso = a.peso.isNull() || !a.peso.isValid() ? 0.0f : float(a.peso.toDouble());

    // The search row, one CSV line.
    voce.rigaRicerca = ricerca.join(u',') + QStringLiteral("\r\n");
    return voce;
}
