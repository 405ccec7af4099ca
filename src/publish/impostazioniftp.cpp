#include "impostazioniftp.h"

#include "ftp.h"
#include "numeri.h"
#include "testofile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::optional<std::vector<RigaImpostazione>> RigaImpostazione::leggi(const QString &percorso)
{
    const auto letto = TestoFile::leggi(percorso);
    if (!letto)
        return std::nullopt;
    std::vector<RigaImpostazione> righe;
    for (QString riga : letto->testo.split(u'\n')) {
        if (riga.endsWith(u'\r'))
            riga.chop(1);
        righe.push_back({riga.left(5).toUpper(), riga.mid(5).trimmed()});
    }
    return righe;
}

bool RigaImpostazione::scrivi(const QString &percorso, const std::vector<RigaImpostazione> &righe, bool riservato,
                              QString *errore)
{
    QByteArray testo;
    for (const RigaImpostazione &r : righe)
        testo += (r.chiave + u' ' + r.valore).toUtf8() + "\r\n";
    QSaveFile f(percorso);
    bool ok = f.open(QIODevice::WriteOnly);
    if (ok && riservato)
        ok = f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ok = ok && f.write(testo) == testo.size();
    ok = ok && f.commit();
    if (!ok && errore)
        *errore = QStringLiteral("Impossibile scrivere il file '%1': %2").arg(percorso, f.errorString());
    return ok;
}

double ValoreNumerico(const QString &valore)
{
    return Val(valore);
}

const std::array<const char *, 4> SceltaTrasferimento::estensioniGruppi = {
    ".htm.html.shtm.shtml.css.js", ".gif.jpg.jpeg.png.bmp", ".mdb.csv", ".pl.asp"};

QString SceltaTrasferimento::tipo() const
{
    if (!perEstensione)
        return QStringLiteral("ALL.");
    QString t;
    for (size_t i = 0; i < gruppi.size(); ++i)
        if (gruppi[i])
            t += QLatin1String(estensioniGruppi[i]);
    return t + u'.';
}

void SceltaTrasferimento::leggi(const QString &percorso)
{
    const auto righe = RigaImpostazione::leggi(percorso);
    if (!righe)
        return;
    static const char *marche[] = {".htm", ".gif", ".csv", ".asp"};
    for (const RigaImpostazione &r : *righe) {
        if (r.chiave == QLatin1String("MODE:")) {
            soloModificati = ValoreNumerico(r.valore) != 0;
        } else if (r.chiave == QLatin1String("SHOP:")) {
            soloNegozio = ValoreNumerico(r.valore) != 0;
        } else if (r.chiave == QLatin1String("TYPE:")) {
            perEstensione = r.valore != QLatin1String("ALL.");
            for (size_t i = 0; i < gruppi.size(); ++i)
                gruppi[i] = !perEstensione || r.valore.contains(QLatin1String(marche[i]));
        }
    }
}

bool SceltaTrasferimento::salva(const QString &percorso, QString *errore) const
{
    // The default choice is no file at all; another replaces the file whole.
    if (predefinita()) {
        QFile::remove(percorso);
        return true;
    }
    return RigaImpostazione::scrivi(percorso,
                                    {{QStringLiteral("MODE:"), soloModificati ? QStringLiteral("1") : QStringLiteral("0")},
                                     {QStringLiteral("SHOP:"), soloNegozio ? QStringLiteral("1") : QStringLiteral("0")},
                                     {QStringLiteral("TYPE:"), tipo()}},
                                    false, errore);
}

Trasferimento Trasferimento::leggi(const QString &percorso)
{
    Trasferimento t;
    const auto righe = RigaImpostazione::leggi(percorso);
    if (!righe)
        return t;
    for (const RigaImpostazione &r : *righe) {
        if (r.chiave == QLatin1String("MODE:"))
            t.InviaTutti = ValoreNumerico(r.valore) == 0;
        else if (r.chiave == QLatin1String("SHOP:"))
            t.SoloNegozio = ValoreNumerico(r.valore) != 0;
        else if (r.chiave == QLatin1String("TYPE:"))
            t.EstensioniOK = r.valore;
    }
    return t;
}

bool Trasferimento::estensioneAmmessa(const QString &nomeFile) const
{
    if (EstensioniOK == QLatin1String("ALL."))
        return true;
    const int punto = nomeFile.lastIndexOf(u'.');
    if (punto < 0)
        return false;
    return EstensioniOK.contains(nomeFile.mid(punto).toLower() + u'.');
}

QString ImpostazioniFirewall::testoPorta(const QString &campo)
{
    return Format(Val(campo), QStringLiteral("#######"));
}

bool ImpostazioniFirewall::leggi(const QString &percorso)
{
    const auto righe = RigaImpostazione::leggi(percorso);
    if (!righe)
        return false;
    for (const RigaImpostazione &r : *righe) {
        const QString &k = r.chiave;
        if (k == QLatin1String("MODE:"))
            passiva = ValoreNumerico(r.valore) != 0;
        else if (k == QLatin1String("HOST:"))
            host = r.valore;
        else if (k == QLatin1String("TYPE:")) {
            const double t = ValoreNumerico(r.valore);
            if (t >= 0 && t <= 7 && t == int(t))
                tipo = int(t);
        } else if (k == QLatin1String("PORT:"))
            porta = IsNumeric(r.valore) ? testoPorta(r.valore) : QString();
        else if (k == QLatin1String("FPRT:"))
            portaFTP = IsNumeric(r.valore) ? testoPorta(r.valore) : QStringLiteral("21");
        else if (k == QLatin1String("USER:"))
            user = r.valore;
        else if (k == QLatin1String("PASS:"))
            password = r.valore;
    }
    return true;
}

bool ImpostazioniFirewall::salva(const QString &percorso, QString *errore) const
{
    return RigaImpostazione::scrivi(percorso,
                                    {{QStringLiteral("MODE:"), passiva ? QStringLiteral("1") : QStringLiteral("0")},
                                     {QStringLiteral("HOST:"), host.trimmed()},
                                     {QStringLiteral("TYPE:"), QString::number(tipo < 0 ? -1 : tipo)},
                                     {QStringLiteral("PORT:"), testoPorta(porta)},
                                     {QStringLiteral("FPRT:"), testoPorta(portaFTP)},
                                     {QStringLiteral("USER:"), user.trimmed()},
                                     {QStringLiteral("PASS:"), password.trimmed()}},
                                    true, errore);
}

void LeggiFirewall(const QString &percorso, ComponenteFtp &ftp)
{
    const auto righe = RigaImpostazione::leggi(percorso);
    if (!righe)
        return;
    // Line by line: a port beyond the 16 bits of a port number ends the
    // reading there, and what was set before it stays set. 0 names no port.
    for (const RigaImpostazione &r : *righe) {
        const QString &k = r.chiave;
        if (k == QLatin1String("MODE:")) {
            ftp.attiva = ValoreNumerico(r.valore) == 0;
        } else if (k == QLatin1String("HOST:")) {
            ftp.firewall.host = r.valore;
        } else if (k == QLatin1String("TYPE:")) {
            // No type, or one outside the list, is no firewall.
            const double t = ValoreNumerico(r.valore);
            ftp.firewall.tipo = t >= 0 && t <= 7 && t == int(t) ? int(t) : 0;
        } else if (k == QLatin1String("PORT:") || k == QLatin1String("FPRT:")) {
            int porta = 21;
            if (IsNumeric(r.valore)) {
                const double p = ArrotondaPari(Val(r.valore));
                if (p < 0 || p > 65535)
                    return;
                porta = int(p);
            }
            (k == QLatin1String("PORT:") ? ftp.firewall.porta : ftp.porta) = porta;
        } else if (k == QLatin1String("USER:")) {
            ftp.firewall.user = r.valore;
        } else if (k == QLatin1String("PASS:")) {
            ftp.firewall.password = r.valore;
        }
    }
}
