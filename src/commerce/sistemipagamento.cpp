#include "sistemipagamento.h"

#include "testofile.h"

#include <QFileInfo>

namespace {

const QString crlf = QStringLiteral("\r\n");

const std::array<DatiSistema, 6> &tuttiIDati()
{
    static const std::array<DatiSistema, 6> d = {{
        {Sistema::Telepay, QStringLiteral("Telepay Light"), QStringLiteral("Vetrasto - Configurazione Telepay Light"),
         QStringLiteral("frmPG_Telepay"), {QStringLiteral("mid"), QStringLiteral("val"), QStringLiteral("url"),
                                          QStringLiteral("java")}},
        {Sistema::Sella, QStringLiteral("Banca Sella"), QStringLiteral("Vetrasto - Configurazione Banca Sella"),
         QStringLiteral("frmPG_Sella"), {QStringLiteral("mid"), QStringLiteral("val"), QStringLiteral("pwd")}},
        {Sistema::AuthorizeNet, QStringLiteral("AuthorizeNet"),
         QStringLiteral("Vetrasto - Configurazione Authorize.Net"), QStringLiteral("frmPG_AuthorizeNet"),
         {QStringLiteral("mid")}},
        {Sistema::PlanetPayment, QStringLiteral("Planet Payment"),
         QStringLiteral("Vetrasto - Configurazione Planet Payment"), QStringLiteral("frmPG_PlanetPayment"),
         {QStringLiteral("mid")}},
        {Sistema::Contrassegno, QStringLiteral("Contrassegno"), QStringLiteral("Vetrasto - Configurazione Contrassegno"),
         QStringLiteral("frmPG_Contrassegno"), {QStringLiteral("info")}},
        {Sistema::Anticipato, QStringLiteral("Pagamento anticipato"),
         QStringLiteral("Vetrasto - Configurazione Pagamento anticipato"), QStringLiteral("frmPG_Anticipato"),
         {QStringLiteral("info")}},
    }};
    return d;
}

} // namespace

const DatiSistema &datiSistema(Sistema s)
{
    return tuttiIDati()[size_t(s)];
}

const std::array<Sistema, 6> &TuttiISistemi()
{
    static const std::array<Sistema, 6> s = {Sistema::Telepay,      Sistema::Sella,        Sistema::AuthorizeNet,
                                             Sistema::PlanetPayment, Sistema::Contrassegno, Sistema::Anticipato};
    return s;
}

// ---- the shared reading and saving ------------------------------------------

ConfigurazioneSistema::ConfigurazioneSistema(const QString &cartellaNegozio, Sistema s)
    : m_cartellaNegozio(cartellaNegozio), m_sistema(s)
{
}

QString ConfigurazioneSistema::cartellaSistema() const
{
    return m_cartellaNegozio + QStringLiteral("/code/") + dati().nome;
}

QString ConfigurazioneSistema::fileConf() const
{
    return cartellaSistema() + QStringLiteral("/conf.ini");
}

QString ConfigurazioneSistema::fileModello() const
{
    return cartellaSistema() + QStringLiteral("/form.epg");
}

QString ConfigurazioneSistema::fileFrammento() const
{
    return m_cartellaNegozio + QStringLiteral("/code/") + dati().nome + QStringLiteral(".epg");
}

bool ConfigurazioneSistema::LeggiConf()
{
    m_buffer.clear();
    const auto righe = ConfIni::leggi(fileConf());
    if (!righe)
        return false;
    for (const RigaConf &r : *righe) {
        if (dati().chiavi.contains(r.chiave))
            applica(r.chiave, r.valore);
        else
            m_buffer += r.chiave + u'=' + r.valore + crlf;
    }
    return true;
}

QString ConfigurazioneSistema::testoConf() const
{
    QString t = testa();
    for (const QString &chiave : dati().chiavi)
        t += ConfIni::riga(chiave, valore(chiave));
    return t;
}

bool ConfigurazioneSistema::SalvaConf(QString *errore)
{
    const QString rifiuto = verifica();
    if (!rifiuto.isEmpty()) {
        if (errore)
            *errore = rifiuto;
        return false;
    }
    auto modelloMancante = [&](const QString &file) {
        if (errore)
            *errore = QStringLiteral("Impossibile salvare la configurazione di %1: il file modello '%2' manca o non "
                                     "si può leggere.\r\nNessun file è stato modificato.")
                          .arg(dati().nome, QFileInfo(file).fileName());
        return false;
    };

    std::vector<FileDaScrivere> uscite;
    uscite.push_back({fileConf(), testoConf().toUtf8()});

    const auto modello = TestoFile::leggi(fileModello());
    if (!modello)
        return modelloMancante(fileModello());
    QString frammento = modello->testo;
    for (const auto &[segnaposto, v] : segnaposti())
        frammento = RiempiSegnaposto(frammento, segnaposto, v);
    uscite.push_back({fileFrammento(), modello->codifica(frammento, true)});

    for (const ScriptServer &s : script()) {
        const QString file = cartellaSistema() + u'/' + s.modello;
        const auto testo = TestoFile::leggi(file);
        if (!testo)
            return modelloMancante(file);
        uscite.push_back({cartellaSistema() + u'/' + s.uscita,
                          testo->codifica(RiempiSegnaposto(testo->testo, s.segnaposto, s.valore))});
    }

    QString motivo;
    if (!ScriviInsieme(uscite, &motivo)) {
        if (errore)
            *errore = QStringLiteral("Impossibile salvare la configurazione di %1.\r\n%2\r\nNessun file è stato "
                                     "modificato.")
                          .arg(dati().nome, motivo);
        return false;
    }
    return true;
}

// ---- Telepay Light --------------------------------------------------------------

const QString &ConfTelepay::IndirizzoProva()
{
    static const QString s = QStringLiteral("http://telepay-test.example-banca.it/tltest/index.html");
    return s;
}

const QString &ConfTelepay::IndirizzoReale()
{
    static const QString s = QStringLiteral("https://telepay.example-banca.it/tl/index.html");
    return s;
}

QString ConfTelepay::codiceValuta() const
{
    switch (valuta) {
    case Valuta::Lire: return QStringLiteral("380");
    case Valuta::Euro: return QStringLiteral("978");
    case Valuta::Nessuna: break;
    }
    return {};
}

QString ConfTelepay::url() const
{
    return test ? IndirizzoProva() : IndirizzoReale();
}

QString ConfTelepay::java() const
{
    switch (valuta) {
    case Valuta::Lire: return QStringLiteral("importo = Math.round(importo1);");
    case Valuta::Euro: return QStringLiteral("importo = Math.round(importo1 * 100);");
    case Valuta::Nessuna: break;
    }
    return {};
}

void ConfTelepay::applica(const QString &chiave, const QString &v)
{
    if (chiave == QLatin1String("mid")) {
        mid = v;
    } else if (chiave == QLatin1String("val")) {
        // Empty means no currency; a code the gateway does not know changes nothing.
        if (v == QLatin1String("380"))
            valuta = Valuta::Lire;
        else if (v == QLatin1String("978"))
            valuta = Valuta::Euro;
        else if (v.isEmpty())
            valuta = Valuta::Nessuna;
    } else if (chiave == QLatin1String("url")) {
        test = v == IndirizzoProva();
    }
    // `java` is derived from the currency on every save.
}

QString ConfTelepay::valore(const QString &chiave) const
{
    if (chiave == QLatin1String("mid"))
        return mid;
    if (chiave == QLatin1String("val"))
        return codiceValuta();
    if (chiave == QLatin1String("url"))
        return url();
    return java();
}

std::vector<std::pair<QString, QString>> ConfTelepay::segnaposti() const
{
    return {{QStringLiteral("#mid"), PerAttributoHTML(ConfIni::unaRiga(mid))},
            {QStringLiteral("#val"), codiceValuta()},
            {QStringLiteral("#url"), PerAttributoHTML(url())},
            {QStringLiteral("#java"), java()}};
}

// ---- Banca Sella -----------------------------------------------------------------

QString ConfSella::TestaCrypt()
{
    return QStringLiteral("pl(default)=gestpaycrypt\r\nasp(Default)=gestpaycrypt\r\npl=s2scrypt\r\n");
}

QString ConfSella::TestaOTP()
{
    return QStringLiteral("pl=gestpayotp\r\npl=s2sotp\r\naction=gestpayotp\r\n");
}

QString ConfSella::codiceValuta() const
{
    switch (valuta) {
    case Valuta::Lire: return QStringLiteral("18");
    case Valuta::Euro: return QStringLiteral("242");
    case Valuta::Nessuna: break;
    }
    return {};
}

void ConfSella::proponiPwd()
{
    if (crypt || !pwd.isEmpty() || !mid.contains(QLatin1String("GESPAY")))
        return;
    // The number the text from the 7th character on begins with: leading
    // blanks skipped, digits read, no leading zeros; 0 when there are none.
    const QString resto = mid.mid(6);
    qsizetype i = 0;
    while (i < resto.size() && (resto[i] == u' ' || resto[i] == u'\t'))
        ++i;
    QString cifre;
    for (; i < resto.size() && resto[i] >= u'0' && resto[i] <= u'9'; ++i)
        cifre += resto[i];
    while (cifre.size() > 1 && cifre.startsWith(u'0'))
        cifre.remove(0, 1);
    pwd = QStringLiteral("GP") + (cifre.isEmpty() ? QStringLiteral("0") : cifre);
}

QString ConfSella::problemaPwd(const QString &pwd)
{
    const QString v = ConfIni::unaRiga(pwd);
    if (v.contains(u'/') || v.contains(u'\\') || v.contains(QChar(0)))
        return QStringLiteral("Il nome dei file password non può contenere \"/\" o \"\\\": indicare il nome dei "
                              "file ricevuti dalla banca, senza cartella e senza estensione.");
    return {};
}

void ConfSella::applica(const QString &chiave, const QString &v)
{
    if (chiave == QLatin1String("mid")) {
        mid = v;
    } else if (chiave == QLatin1String("pwd")) {
        pwd = v;
    } else if (chiave == QLatin1String("val")) {
        // Empty means no currency; a code the gateway does not know changes nothing.
        if (v == QLatin1String("18"))
            valuta = Valuta::Lire;
        else if (v == QLatin1String("242"))
            valuta = Valuta::Euro;
        else if (v.isEmpty())
            valuta = Valuta::Nessuna;
    }
}

QString ConfSella::valore(const QString &chiave) const
{
    if (chiave == QLatin1String("mid"))
        return mid;
    if (chiave == QLatin1String("val"))
        return codiceValuta();
    return pwd;
}

std::vector<std::pair<QString, QString>> ConfSella::segnaposti() const
{
    return {{QStringLiteral("#mid"), PerAttributoHTML(ConfIni::unaRiga(mid))}, {QStringLiteral("#val"), codiceValuta()}};
}

std::vector<ConfigurazioneSistema::ScriptServer> ConfSella::script() const
{
    if (crypt)
        return {};
    // The scripts hold the name in a quoted here-document, which Perl reads
    // as plain data: no character of it is code.
    const QString nome = ConfIni::unaRiga(pwd);
    return {{QStringLiteral("gestpayotp.new"), QStringLiteral("gestpayotp.pl"), QStringLiteral("#pwd"), nome},
            {QStringLiteral("s2sotp.new"), QStringLiteral("s2sotp.pl"), QStringLiteral("#pwd"), nome}};
}

QString ConfSella::verifica() const
{
    return crypt ? QString() : problemaPwd(pwd);
}

// ---- Authorize.Net, Planet Payment -------------------------------------------------

void ConfMerchantId::applica(const QString &chiave, const QString &v)
{
    if (chiave == QLatin1String("mid"))
        mid = v;
}

QString ConfMerchantId::valore(const QString &) const
{
    return mid;
}

std::vector<std::pair<QString, QString>> ConfMerchantId::segnaposti() const
{
    return {{QStringLiteral("#mid"), PerAttributoHTML(ConfIni::unaRiga(mid))}};
}

// ---- Contrassegno, Pagamento anticipato ---------------------------------------------

QString ConfInformativo::TogliACapo(const QString &testo)
{
    QString t = testo;
    t.replace(QLatin1String("\r\n"), QLatin1String("|"));
    t.replace(u'\r', u'|');
    t.replace(u'\n', u'|');
    return t;
}

QString ConfInformativo::RimettiACapo(const QString &testo)
{
    QString t = testo;
    return t.replace(u'|', QLatin1String("\r\n"));
}

void ConfInformativo::setInfo(const QString &testo)
{
    QString t = testo;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\r', u'\n');
    m_info = t.replace(QLatin1String("\n"), QLatin1String("\r\n"));
}

void ConfInformativo::applica(const QString &, const QString &v)
{
    m_info = RimettiACapo(v);
}

QString ConfInformativo::valore(const QString &) const
{
    return TogliACapo(m_info);
}

std::vector<std::pair<QString, QString>> ConfInformativo::segnaposti() const
{
    return {{QStringLiteral("#info"), TestoPerPagina(m_info)}};
}

std::unique_ptr<ConfigurazioneSistema> NuovaConfigurazione(const QString &cartellaNegozio, Sistema s)
{
    switch (s) {
    case Sistema::Telepay: return std::make_unique<ConfTelepay>(cartellaNegozio);
    case Sistema::Sella: return std::make_unique<ConfSella>(cartellaNegozio);
    case Sistema::AuthorizeNet:
    case Sistema::PlanetPayment: return std::make_unique<ConfMerchantId>(cartellaNegozio, s);
    case Sistema::Contrassegno:
    case Sistema::Anticipato: return std::make_unique<ConfInformativo>(cartellaNegozio, s);
    }
    return nullptr;
}
