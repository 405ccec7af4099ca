#include "campinegozio.h"

#include "articoli.h"
#include "formato.h"
#include "frammenti.h"
#include "numeri.h"

namespace {

const QString crlf = QStringLiteral("\r\n");

} // namespace

MinimoNonValido::MinimoNonValido()
    : DbError(ErroreMinimo,
              QStringLiteral("Il campo 'Ordine minimo' della vista Sito è vuoto o non contiene un numero: "
                             "scrivervi l'importo minimo di un ordine (0 se non c'è un minimo) e costruire di "
                             "nuovo il negozio."),
              QStringLiteral("minimo"))
{
}

QString TagLogo(const QString &nome, qint64 larghezza, qint64 altezza)
{
    const auto misura = [](qint64 v) { return v > 0 ? QVariant(v) : QVariant(); };
    return TagImmagine(nome, misura(larghezza), misura(altezza));
}

void CampiNegozio(Riga &pagina, const DatiNegozio &d)
{
    const Impostazioni &imp = *d.imp;
    const ShopState &stato = *d.stato;
    TabelleScript &tabelle = *d.tabelle;
    const DatabasePtr &catalogo = stato.dbCatalogo;
    auto metti = [&pagina](const char *campo, const QString &valore) { pagina.imposta(QLatin1String(campo), valore); };
    static const char *const testi[] = {"home1", "home2", "condizioni", "recesso", "datipers", "testo1", "testo2"};
    for (int i = 0; i < 7; ++i)
        metti(testi[i], TestoHTML(imp.txtTesti[size_t(i)]));

    metti("paesi", tabelle.paesi(catalogo));
    metti("pagamento", tabelle.pagamenti(catalogo));
    metti("java_zona", QString::number(tabelle.tipoSel(catalogo)));
    QString v1, v2, v3;
    tabelle.MakeImporti(catalogo, stato, v1, v2, v3);
    metti("java_importi", v1);
    metti("java_permessi", v2);
    metti("java_iva", v3);
    tabelle.MakeImportiPeso(catalogo, stato, v1, v2);
    metti("java_importi_peso", v1);
    metti("java_tipopeso", v2);

    if (!imp.minimo)
        throw MinimoNonValido();
    metti("java_minimo", Str(*imp.minimo));
    // Values the models write into attributes (form actions, mailto links,
    // meta tags, the gateways' return addresses) are attribute values; the
    // character references the merchant wrote in them stay references.
    metti("CGIsearch", AttributoConRiferimenti(imp.txtCGIsearch));
    metti("CGIordine", AttributoConRiferimenti(imp.txtCGIOrdine));
    metti("email", AttributoConRiferimenti(imp.txtEmail));
    // The FTP account never reaches a generated page.
    metti("username", QString());
    metti("password", QString());
    metti("negozio", imp.txtTitolo);
    metti("java_valuta", TabelleScript::JavaValuta(stato));
    metti("email_ordini", imp.txtEmailOrdini);
    metti("perl_path", imp.cboPerl);
    metti("java_ivacompresa", d.ivaCompresa ? QStringLiteral("1") : QStringLiteral("0"));
    metti("merchantid", imp.txtMID);
    const QString url = URLNegozio(imp);
    metti("urlback", AttributoConRiferimenti(url + QStringLiteral("/payerr.htm")));
    metti("urldone", AttributoConRiferimenti(url + QStringLiteral("/payok.htm")));
    metti("foldercgi", imp.txtFolderCGI.trimmed());
    metti("perl_sendmail", imp.cboSendmail);
    metti("perl_shopURL", url);
    // The perl_* values reach a Perl script as data (RigaPerPerl), never as
    // code: they are the settings themselves, not escaped for a Perl string.
    metti("perl_shopname", imp.txtTitolo);
    metti("perl_email", imp.txtEmailOrdini);
    metti("valuta", stato.PrefissoValuta1);
    metti("perl_mailend", imp.txtFirma);
    metti("firma", imp.txtFirma);
    metti("java_search", QStringLiteral("return SubmitSearchForm(1)"));
    metti("java_daticliente", QStringLiteral("CaricaDati()"));
    metti("java_ANDORsearch", imp.txtRicerca == QLatin1String("1") ? QStringLiteral("any") : QStringLiteral("all"));
    metti("java_sepsearch", imp.chkRicerca == 1 ? QStringLiteral("var sleft = \"#\"; var sright = \"#\";")
                                                : QStringLiteral("var sleft = \",#.*\"; var sright = \"\";"));
    metti("java_carrello", QStringLiteral("<script language=\"JavaScript\">") + crlf + QStringLiteral("<!--") + crlf +
                               QStringLiteral("MostraCarrello();") + crlf + QStringLiteral("//-->") + crlf +
                               QStringLiteral("</script>"));
    metti("IDnegozio", d.IDnegozio);
    metti("ric_pagina", QStringLiteral("$arg1"));
    metti("ric_codice", QStringLiteral("$arg2"));
    metti("ric_titolo", QStringLiteral("$arg3"));
    metti("ric_sottotitolo", QStringLiteral("$arg4"));
    metti("ric_foto", QStringLiteral("$arg5"));
    metti("logo1", TagLogo(imp.lblLogo[0], imp.imgX[0], imp.imgY[0]));
    metti("logo2", TagLogo(imp.lblLogo[1], imp.imgX[1], imp.imgY[1]));
    metti("meta_keywords", AttributoConRiferimenti(imp.txtKeywords[0]));
    metti("meta_description", AttributoConRiferimenti(imp.txtKeywords[1]));
    for (int i = 0; i < 4; ++i)
        pagina.imposta(QStringLiteral("colore%1").arg(i), (*d.colori)[size_t(i)]);
}
