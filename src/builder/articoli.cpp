// The article rows of a department page: for each article the work row's
// texts, links, pictures and badges, its prices, its variants and purchase
// call, and what outlives the page: its entry in the department index, its
// entry and cell in the home page's showcase, and its row of the search data
// file.
#include "articoli.h"

#include "elabora.h"
#include "formato.h"
#include "frammenti.h"
#include "numeri.h"
#include "prezzi.h"
#include "recordset.h"

namespace {

bool vero(const QVariant &v)
{
    return v.isValid() && !v.isNull() && v.toBool();
}

// A size field that counts: not Null and not 0.
bool misura(const QVariant &v)
{
    return v.isValid() && !v.isNull() && v.toLongLong() != 0;
}

// The picture tag with its source given whole (an address or a file name).
QString tagImmagine(const QString &src, const QVariant &larghezza, const QVariant &altezza)
{
    const QString apertura = QStringLiteral("<img border=\"0\" src=\"") + ValoreAttributo(src) + u'"';
    if (misura(larghezza) && misura(altezza))
        return apertura + QStringLiteral(" width=\"") + Format(larghezza, QStringLiteral("#####")) +
               QStringLiteral("\" height=\"") + Format(altezza, QStringLiteral("#####")) + QStringLiteral("\">");
    return apertura + u'>';
}

} // namespace

QString TagImmagine(const QVariant &file, const QVariant &larghezza, const QVariant &altezza)
{
    const QString f = file.isNull() ? QString() : file.toString();
    return f.isEmpty() ? QString() : tagImmagine(f, larghezza, altezza);
}

QString ChiamataPopup(const QString &file, const QVariant &larghezza, const QVariant &altezza)
{
    const qint64 x = misura(larghezza) ? CLng(larghezza.toDouble()) : 600;
    const qint64 y = misura(altezza) ? CLng(altezza.toDouble()) : 350;
    // The call stands in an onClick attribute: a JavaScript string first,
    // then an attribute value.
    return ValoreAttributo(QStringLiteral("javascript:PopupImage('") + CodificaCaratteri(file) + QStringLiteral("',") +
                           QString::number(x) + u',' + QString::number(y) + QStringLiteral("); return false;"));
}

void Elaborazione::ScriviArticoli(const Reparto &reparto, const Recordset &articolo, Recordset &riga, int numero)
{
    auto campo = [&](const char *nome) { return articolo.value(QLatin1String(nome)); };
    auto testo = [&](const char *nome) { return articolo.text(QLatin1String(nome)); };
    auto scrivi = [&](const char *nome, const QString &valore) { riga.setValue(QLatin1String(nome), valore); };

    NumeroArticolo = numero;
    const QString numeroTesto = Format(NumeroArticolo, QStringLiteral("#####0"));

    // Flags, link and code.
    const bool inelenco = vero(campo("inelenco"));
    const bool esterno = vero(campo("linkesterno"));
    const QString link = testo("link");
    const QString codice = testo("codice");
    scrivi("codice", PutLink(codice, link, esterno));

    // The index text: code and title as the settings ask.
    QString testoElenco, cella;
    if (m_imp.chkElencoCodice == 1)
        testoElenco = m_imp.chkElencoTitolo == 1 ? codice + QStringLiteral("<BR>") : codice;

    // The entry opener of the department index and of the showcase.
    const QString apertura = MaxArticoli > 1
                                 ? QStringLiteral("<a href=\"") + FilePagina + u'#' + numeroTesto + QStringLiteral("\">")
                                 : QStringLiteral("<a href=\"") + FilePagina + QStringLiteral("\">");
    ElencoReparto += apertura;
    if (inelenco) {
        ElencoVetrina += apertura;
        cella = apertura;
    }
    QStringList ricerca{CampoCSV(MaxArticoli > 1 ? URLPagina + u'#' + numeroTesto : URLPagina), CampoCSV(codice)};

    // Title and subtitle.
    const QString titolo = testo("titolo");
    QString chiave = CampoRicerca(titolo);
    ricerca << CampoCSV(titolo);
    const QString titoloLink = PutLink(titolo, link, esterno);
    scrivi("titolo", titoloLink);
    if (m_imp.chkElencoTitolo == 1)
        testoElenco += titolo;
    scrivi("cart_articolo", CartArticolo(CodiceInCarrello ? codice : QString(), titolo));
    const QString sottotitolo = testo("sottotitolo");
    scrivi("sottotitolo", PutLink(sottotitolo, link, esterno));
    chiave += CampoRicerca(sottotitolo);
    ricerca << CampoCSV(sottotitolo);

    // Pictures: "Immagine 1", the pop-up, "Immagine 2", "Immagine piccola".
    const bool popup = vero(campo("popup"));
    const QString tag1 = TagImmagine(campo("immagine0"), campo("imgX0"), campo("imgY0"));
    QString immagine1 = PutLink(tag1, link, esterno);
    const QString grande = testo("immagine1");
    if (popup && !grande.isEmpty())
        immagine1 = PutOnClick(tag1, ChiamataPopup(grande, campo("imgX1"), campo("imgY1")));
    scrivi("immagine1", immagine1);
    const QString tag2 = TagImmagine(campo("immagine1"), campo("imgX1"), campo("imgY1"));
    scrivi("immagine2", popup ? QString() : PutLink(tag2, link, esterno));
    const QString tag3 = TagImmagine(campo("immagine2"), campo("imgX2"), campo("imgY2"));
    scrivi("immagine3", PutLink(tag3, link, esterno));

    // The index entries are closed.
    const QString fineVoce = (m_imp.chkElencoFoto == 1 ? tag3 + QStringLiteral("<BR>") : QString()) + testoElenco +
                             QStringLiteral("</a><BR>&nbsp;<BR>");
    ElencoReparto += fineVoce;
    if (inelenco) {
        cella += tag3 + QStringLiteral("</a>");
        ElencoVetrina += fineVoce;
    }

    // The search row's picture column: the thumbnail at its address.
    const QString piccola = testo("immagine2");
    ricerca << (piccola.isEmpty() ? QString()
                                  : CampoCSV(tagImmagine(URLNegozio(m_imp) + u'/' + piccola, campo("imgX2"),
                                                         campo("imgY2"))));

    // Badges.
    scrivi("novita", vero(campo("novita")) ? CreaTagImg(CartellaSet, QStringLiteral("vtas_novita.gif")) : QString());
    const QString badge = vero(campo("offerta")) && m_imp.chkVisOfferta == 1
                              ? CreaTagImg(CartellaSet, QStringLiteral("vtas_offerta.gif"))
                              : QString();

    // Prices, with the department's VAT and discount read once per department.
    if (m_repartoPrezzi != reparto.ID) {
        Recordset rep(m_stato.dbCatalogo, QStringLiteral("SELECT iva, sconto FROM categorie WHERE ID=?"), {reparto.ID});
        m_ivaReparto = rep.eof() ? QVariant() : rep.value(QStringLiteral("iva"));
        m_scontoReparto = rep.eof() ? QVariant() : rep.value(QStringLiteral("sconto"));
        m_repartoPrezzi = reparto.ID;
    }
    DatiPrezzo dati;
    dati.prezzo = campo("prezzo");
    dati.offertaprezzo = campo("offertaprezzo");
    dati.offerta = vero(campo("offerta"));
    dati.iva = m_ivaReparto;
    dati.sconto = m_scontoReparto;
    if (const auto s = NumeroDaTesto(m_imp.txtScontoNegozio); s && *s >= 0 && *s <= 100)
        dati.scontoNegozio = CCur(*s);
    dati.ivaCompresa = IvaCompresa;
    dati.visSconto = m_imp.chkVisSconto == 1;
    dati.cambio = m_imp.chkCambio == 1;
    dati.badge = badge;
    const Prezzo prezzo = CalcolaPrezzo(dati, m_stato);
    scrivi("offerta", prezzo.offerta);
    scrivi("iva", prezzo.iva);
    scrivi("listino", prezzo.listino);
    scrivi("cart_prezzo", prezzo.cart_prezzo);
    scrivi("prezzo", prezzo.prezzo);
    scrivi("cart_iva", prezzo.cart_iva);
    scrivi("cambio", prezzo.cambio);

    // Weight in the invariant form the page script reads; texts. The field
    // is a Single, which the recordset hands over as a double: it is written
    // with a Single's seven digits (0.1, not 0.100000001490116).
    const QVariant peso = campo("peso");
    const QString cartPeso = peso.isNull() ? QStringLiteral("0") : Str(float(peso.toDouble())).trimmed();
    scrivi("cart_peso", cartPeso);
    const QString descrizione = testo("descrizione"), note = testo("note");
    scrivi("descrizione", TestoHTML(descrizione));
    chiave += CampoRicerca(descrizione);
    scrivi("note", TestoHTML(note));
    chiave += CampoRicerca(note);
    ricerca << chiave;
    scrivi("giacenza", TestoValore(campo("giacenza")));

    // Variants.
    QString cartOpzione[3];
    for (int n = 1; n <= 3; ++n) {
        const QVariant v = campo(n == 1 ? "opzione1" : n == 2 ? "opzione2" : "opzione3");
        const qint32 set = v.isNull() ? 1 : CLng(v.toDouble());
        const QString menu = CreaOpzione(m_stato.dbCatalogo, m_stato, set, NumeroArticolo, n, prezzo.fattoreVarianti,
                                         prezzo.aliquota, IvaCompresa);
        const QString k = QString::number(n);
        riga.setValue(QStringLiteral("opzione") + k, menu);
        cartOpzione[n - 1] = menu.isEmpty() ? QString()
                                            : QStringLiteral("op") + k + Format(NumeroArticolo, QStringLiteral("####0"));
        riga.setValue(QStringLiteral("cart_opzione") + k, cartOpzione[n - 1]);
        riga.setValue(QStringLiteral("nomeopzione") + k, CreaNomeOpzione(m_stato.dbCatalogo, set));
    }

    // Number and purchase call. The call is left open on purpose: the page
    // model writes it inside a double-quoted href, whose closing quote the
    // call's own ending supplies before the onMouseOver attribute.
    const QString contatore = Format(NumeroArticolo, QStringLiteral("#####"));
    scrivi("contatore", contatore);
    scrivi("java_acquista", QStringLiteral("javascript:window.status='';Acquista('") +
                                CartArticolo(CodiceInCarrello ? codice : QString(), titolo) + QStringLiteral("','") +
                                prezzo.cart_prezzo + QStringLiteral("','") + prezzo.cart_iva +
                                QStringLiteral("',document.itemsform.qt") + contatore + QStringLiteral(".value,'") +
                                cartOpzione[0] + QStringLiteral("','") + cartOpzione[1] + QStringLiteral("','") +
                                cartOpzione[2] + QStringLiteral("','") + cartPeso + QStringLiteral("')") +
                                QStringLiteral("\" onMouseOver=\"window.status=''; return true"));

    // The showcase cell.
    if (inelenco) {
        ++NumeroCelle;
        CelleVetrina.resize(NumeroCelle + 1);
        CelleVetrina[NumeroCelle] = cella + QStringLiteral("<BR>") + titoloLink + QStringLiteral("<BR>") + prezzo.prezzo;
    }

    // The search row, one CSV line.
    if (m_ricerca.isOpen())
        m_ricerca.write((ricerca.join(u',') + QStringLiteral("\r\n")).toUtf8());
}
