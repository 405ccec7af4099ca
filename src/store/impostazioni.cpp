#include "impostazioni.h"

#include "numeri.h"
#include "recordset.h"
#include "testofile.h"

#include <cmath>

namespace {

// The code page the site code is computed in: Windows-1252, "?" for a
// character it cannot hold.
int codiceAnsi(QChar c)
{
    const int b = TestoFile::byteCp1252(c.unicode());
    return b >= 0 ? b : '?';
}

// The host as typed: trimmed, its scheme apart ("http://" dropped,
// "https://" kept), one final "/" dropped.
struct Host {
    QString schema;  // "http://" or "https://"
    QString nome;
};

Host leggiHost(const QString &txtURL)
{
    Host h{QStringLiteral("http://"), txtURL.trimmed()};
    if (h.nome.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        h.nome = h.nome.mid(7);
    } else if (h.nome.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        h.schema = QStringLiteral("https://");
        h.nome = h.nome.mid(8);
    }
    if (h.nome.endsWith(u'/'))
        h.nome.chop(1);
    return h;
}

QString cartellaURL(const QString &testo)
{
    QString f = testo.trimmed();
    if (f.endsWith(u'/'))
        f.chop(1);
    if (f.startsWith(u'/'))
        f.remove(0, 1);
    return f;
}

// The address without its scheme: host, and "/" and folder when there is one.
QString indirizzo(const Host &h, const QString &cartella)
{
    const QString f = cartellaURL(cartella);
    return f.isEmpty() ? h.nome : h.nome + u'/' + f;
}

QString testo(const Recordset &r, const char *campo)
{
    const QString nome = QString::fromLatin1(campo);
    return r.hasField(nome) ? r.text(nome) : QString();
}

// A text of several lines as its box shows it and reads it back: every
// line break (CR LF, a lone LF or a lone CR) becomes CR LF.
QString righe(const Recordset &r, const char *campo)
{
    QString t = testo(r, campo);
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\r', u'\n');
    return t.replace(QLatin1String("\n"), QLatin1String("\r\n"));
}

// A check box bound to a Boolean: 1 for any stored True (-1 included), 0
// for False and Null.
int casella(const Recordset &r, const char *campo)
{
    const QString nome = QString::fromLatin1(campo);
    if (!r.hasField(nome))
        return 0;
    const QVariant v = r.value(nome);
    if (!v.isValid() || v.isNull())
        return 0;
    if (v.userType() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    if (v.userType() == QMetaType::QString)
        return Val(v.toString()) != 0 ? 1 : 0;
    return v.toDouble() != 0 ? 1 : 0;
}

qint64 intero(const Recordset &r, const char *campo)
{
    const QString nome = QString::fromLatin1(campo);
    if (!r.hasField(nome))
        return 0;
    const QVariant v = r.value(nome);
    return v.isValid() && !v.isNull() ? v.toLongLong() : 0;
}

// The text a number field shows for a stored value ("" for Null). The field
// corrects a loaded value as it corrects a typed one: a negative number
// shows as its absolute value in single precision.
QString testoNumero(const Recordset &r, const char *campo, bool singola)
{
    const QString nome = QString::fromLatin1(campo);
    if (!r.hasField(nome))
        return {};
    const QVariant v = r.value(nome);
    if (!v.isValid() || v.isNull())
        return {};
    if (v.userType() == QMetaType::QString || !v.canConvert<double>())
        return TestoValore(v);
    const double d = v.userType() == qMetaTypeId<Currency>() ? v.value<Currency>().toDouble() : v.toDouble();
    if (d < 0)
        return TestoValore(QVariant(std::fabs(float(d))));
    if (singola)
        return TestoValore(QVariant(float(d)));
    return TestoValore(v);
}

// An amount of the record; empty for Null or a value that is no number.
std::optional<Currency> importo(const Recordset &r, const char *campo)
{
    const QString nome = QString::fromLatin1(campo);
    const QVariant v = r.hasField(nome) ? r.value(nome) : QVariant();
    if (!v.isValid() || v.isNull())
        return std::nullopt;
    if (v.userType() == qMetaTypeId<Currency>())
        return v.value<Currency>();
    // A money field yields an amount or, for a value that is none, its text.
    if (const ColumnInfo *c = r.column(nome); c && c->known && c->type == FieldType::Currency)
        return std::nullopt;
    if ((v.userType() == QMetaType::QString || v.userType() == QMetaType::QByteArray) && !NumeroDaTesto(v.toString()))
        return std::nullopt;
    return CCur(v);
}

// A list that offers the numbers 1 to n shows a stored value outside them
// as no choice.
QString scelta(const Recordset &r, const char *campo, int n)
{
    const QString t = testo(r, campo);
    bool ok = false;
    const int i = t.toInt(&ok);
    return ok && i >= 1 && i <= n && t == QString::number(i) ? t : QString();
}

// Drops the first folder of the web server's own layout from a remote path.
QString togliRadiceServer(const QString &s, const QStringList &radici)
{
    for (const QString &radice : radici) {
        if (s == radice)
            return {};
        if (s.startsWith(radice + u'/'))
            return s.mid(radice.size() + 1);
    }
    return s;
}

}  // namespace

QString URLNegozio(const Impostazioni &imp)
{
    const Host h = leggiHost(imp.txtURL);
    return h.schema + indirizzo(h, imp.txtCartella);
}

QString URLCGI(const Impostazioni &imp)
{
    const Host h = leggiHost(imp.txtURL);
    return h.schema + indirizzo(h, imp.txtCGI);
}

bool IndirizzoVuoto(const Impostazioni &imp)
{
    return leggiHost(imp.txtURL).nome.isEmpty();
}

QString CodiceSito(const Impostazioni &imp)
{
    const QString testo = indirizzo(leggiHost(imp.txtURL), imp.txtCartella);
    quint32 somma = 0;  // a 32-bit signed sum; unsigned arithmetic wraps the same way
    for (int i = 0; i < testo.size(); ++i)
        somma += quint32(codiceAnsi(testo[i])) * quint32(i + 1);
    return QString::number(somma, 16).toUpper();
}

Impostazioni Impostazioni::daRecord(const Recordset &g)
{
    Impostazioni i;
    if (!g.hasCurrent())
        return i;
    i.txtTitolo = testo(g, "titolo");
    i.txtEmail = testo(g, "email");
    const char *testi[7] = {"home1", "home2", "condizioni", "recesso", "datipers", "testo1", "testo2"};
    for (int k = 0; k < 7; ++k)
        i.txtTesti[size_t(k)] = righe(g, testi[k]);
    i.txtScontoNegozio = testoNumero(g, "sconto", true);
    if (const auto sconto = NumeroDaTesto(i.txtScontoNegozio); sconto && *sconto > 100)
        i.txtScontoNegozio = QStringLiteral("100");  // the shop-wide discount is at most 100
    i.lblLogo = {testo(g, "immagine0"), testo(g, "immagine1")};

    i.chkVisSconto = casella(g, "vis_sconto");
    i.chkVisOfferta = casella(g, "vis_offerta");
    i.txtFirma = righe(g, "firma_email");
    i.txtMID = testo(g, "merchantid");
    i.txtEmailOrdini = testo(g, "email_ordini");
    i.txtMinimo = testoNumero(g, "minimo", false);
    i.chkPercRep = casella(g, "vis_percrep");
    i.cboLivelli = scelta(g, "livelliaperti", 9);
    i.chkCodInCart = casella(g, "codincart");
    i.txtKeywords = {righe(g, "keywords"), righe(g, "content")};
    i.cboVetrina = scelta(g, "colonnevetrina", 6);
    i.chkElencoFoto = casella(g, "elenco_foto");
    i.chkElencoCodice = casella(g, "elenco_codice");
    i.chkElencoTitolo = casella(g, "elenco_titolo");
    i.txtRicerca = testo(g, "operatorericerca");
    i.chkRicerca = casella(g, "ricercaparole");
    i.chkCambio = casella(g, "usa_cambio");
    i.chkIvaCompresa = casella(g, "ivacompresa");
    i.txtNotazione = testo(g, "notazione");
    i.txtCambio = testoNumero(g, "cambio", false);
    i.chkDecimali = {casella(g, "decimali1"), casella(g, "decimali2")};
    i.txtValuta = {testo(g, "valuta1"), testo(g, "valuta2")};

    i.cboSendmail = testo(g, "sendmail");
    i.cboPerl = testo(g, "perl");
    i.txtSetting = {testo(g, "siteonline"), testo(g, "sitescript")};
    i.txtURL = testo(g, "URL");
    i.chkNT = casella(g, "serverNT");
    i.txtFolderFTP = testo(g, "folderFTP");
    i.txtFolderCGI = testo(g, "folderCGI");
    i.txtHost = testo(g, "hostname");
    i.txtUsername = testo(g, "username");
    i.txtPassword = testo(g, "password");
    // The shop and scripts folders are shown as stored: the remote folders
    // derive them only when the merchant changes one, never at loading.
    i.txtCartella = testo(g, "cartella");
    i.txtCGI = testo(g, "cartellaCGI");
    // Loading runs the address derivations, so the stored search and order
    // addresses are brought up to date.
    i.txtCGIsearch = testo(g, "CGIsearch");
    i.txtCGIOrdine = testo(g, "CGIordine");
    i.derivaIndirizzi();

    i.minimo = importo(g, "minimo");
    i.imgX = {intero(g, "imgX0"), intero(g, "imgX1")};
    i.imgY = {intero(g, "imgY0"), intero(g, "imgY1")};
    i.template_ = testo(g, "template");
    return i;
}

void Impostazioni::derivaIndirizzi()
{
    if (txtURL.isEmpty()) {
        txtURLNegozio.clear();
        txtCGIsearch.clear();
        txtCGIOrdine.clear();
        return;
    }
    const QString codice = CodiceSito(*this);
    txtURLNegozio = URLNegozio(*this) + QLatin1String("/index.htm");
    txtCGIsearch = URLCGI(*this) + QLatin1String("/vtsearch") + codice + QLatin1String(".pl");
    txtCGIOrdine = chkNT != 0 ? QStringLiteral("vtorder.asp")
                              : URLCGI(*this) + QLatin1String("/vtorder") + codice + QLatin1String(".pl");
}

QString Impostazioni::cartellaDaFolderFTP(const QString &folderFTP, bool serverNT)
{
    const QString s = folderFTP.trimmed();
    if (serverNT)
        return s;
    return togliRadiceServer(s, {QStringLiteral("www"), QStringLiteral("public_html"),
                                 QStringLiteral("usr/local/etc/httpd/htdocs"), QStringLiteral("usr/local/etc/httpd"),
                                 QStringLiteral("httpdocs")});
}

QString Impostazioni::cartellaDaFolderCGI(const QString &folderCGI, bool serverNT)
{
    QString s = folderCGI.trimmed();
    if (s.startsWith(u'/'))
        s.remove(0, 1);
    if (s.endsWith(u'/'))
        s.chop(1);
    if (serverNT)
        return s;
    return togliRadiceServer(s, {QStringLiteral("www"), QStringLiteral("public_html"),
                                 QStringLiteral("usr/local/etc/httpd/htdocs"), QStringLiteral("usr/local/etc/httpd")});
}

ValoriValuta ValoriValuta::daImpostazioni(const Impostazioni &imp, const ValoriValuta &prima)
{
    ValoriValuta v = prima;
    v.PrefissoValuta1 = imp.txtValuta[0].trimmed() + u' ';
    v.PrefissoValuta2 = imp.txtValuta[1].trimmed() + u' ';
    // A rate that is not a number (empty included) keeps the previous one.
    if (const auto cambio = NumeroDaTesto(imp.txtCambio))
        v.TassoCambio = std::abs(*cambio);
    // An empty notation raises no change: the separators stay as they were.
    if (!imp.txtNotazione.isEmpty()) {
        const double n = Val(imp.txtNotazione);
        if (n == 0) {
            v.SeparatoreDecimali = QStringLiteral(",");
            v.SeparatoreMigliaia = QStringLiteral(".");
        } else if (n == 1) {
            v.SeparatoreDecimali = QStringLiteral(".");
            v.SeparatoreMigliaia = QStringLiteral(",");
        }
    }
    v.FormatoDecimali1 = imp.chkDecimali[0] != 0 ? QStringLiteral("0.00") : QStringLiteral("0");
    v.FormatoDecimali2 = imp.chkDecimali[1] != 0 ? QStringLiteral("0.00") : QStringLiteral("0");
    return v;
}

ValoriValuta ValoriValuta::daImpostazioni(const Impostazioni &imp) { return daImpostazioni(imp, ValoriValuta{}); }

ValoriValuta ValoriValuta::daShopState(const ShopState &s)
{
    ValoriValuta v;
    v.PrefissoValuta1 = s.PrefissoValuta1;
    v.PrefissoValuta2 = s.PrefissoValuta2;
    v.TassoCambio = s.TassoCambio;
    v.SeparatoreMigliaia = s.SeparatoreMigliaia;
    v.SeparatoreDecimali = s.SeparatoreDecimali;
    v.FormatoDecimali1 = s.FormatoDecimali1;
    v.FormatoDecimali2 = s.FormatoDecimali2;
    return v;
}

void ValoriValuta::impostaIn(ShopState &s) const
{
    s.PrefissoValuta1 = PrefissoValuta1;
    s.PrefissoValuta2 = PrefissoValuta2;
    s.TassoCambio = TassoCambio;
    s.SeparatoreMigliaia = SeparatoreMigliaia;
    s.SeparatoreDecimali = SeparatoreDecimali;
    s.FormatoDecimali1 = FormatoDecimali1;
    s.FormatoDecimali2 = FormatoDecimali2;
}

Impostazioni CaricaImpostazioni(const Recordset &generale, ShopState &stato)
{
    const Impostazioni imp = Impostazioni::daRecord(generale);
    ValoriValuta::daImpostazioni(imp, ValoriValuta::daShopState(stato)).impostaIn(stato);
    return imp;
}
