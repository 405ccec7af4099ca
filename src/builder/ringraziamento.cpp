#include "ringraziamento.h"

#include "confini.h"
#include "formato.h"
#include "make.h"
#include "messages.h"
#include "testofile.h"

#include <utility>
#include <vector>

namespace {

QString cartellaCodice(const QString &cartellaNegozio)
{
    return cartellaNegozio + QStringLiteral("/code");
}

// The file a name from the catalogue points at: an exact match, else the
// same name in another letter case.
QString trova(const QString &percorso)
{
    const QString f = Make::trovaFile(percorso);
    return f.isEmpty() ? percorso : f;
}

// The gateway's settings in file order; false when the file cannot be read.
bool leggiConf(const QString &cartellaNegozio, const QString &nome, std::vector<RigaConf> &righe)
{
    auto lette = ConfIni::leggi(trova(cartellaCodice(cartellaNegozio) + u'/' + nome + QStringLiteral("/conf.ini")));
    if (!lette)
        return false;
    righe = std::move(*lette);
    return true;
}

} // namespace

QString ReadEpg(const QString &cartellaNegozio, const QString &nome)
{
    const QString n = nome.trimmed();
    if (n.isEmpty())
        return {};
    const auto letto = TestoFile::leggi(trova(cartellaCodice(cartellaNegozio) + u'/' + n + QStringLiteral(".epg")));
    return letto ? letto->testo : ErroreEpg;
}

QString ReadEpgAction(const QString &cartellaNegozio, const QString &nome, const Impostazioni &imp)
{
    if (nome.trimmed().isEmpty())
        return {};
    std::vector<RigaConf> righe;
    if (!leggiConf(cartellaNegozio, nome, righe))
        return {};
    const QString perl = URLCGI(imp) + u'/';
    const QString codice = CodiceSito(imp) + QStringLiteral(".pl");
    QString risultato;
    for (const auto &[chiave, valore] : righe) {
        bool accettata = false;
        if (chiave == QLatin1String("asp(default)")) {
            risultato = valore + QStringLiteral(".asp");
            accettata = imp.chkNT == 1;
        } else if (chiave == QLatin1String("pl(default)")) {
            risultato = perl + valore + codice;
            accettata = imp.chkNT == 0;
        } else if (chiave == QLatin1String("action")) {
            risultato = perl + valore + codice;
            accettata = true;
        }
        if (accettata)
            break;
    }
    return risultato;
}

QStringList SetPG(const Riga &pagina, const QString &cartellaNegozio, const QString &nome,
                  const QString &cartellaPagine, const QString &cartellaScript, const Impostazioni &imp,
                  Messages &messages)
{
    QStringList fatti;
    if (nome.trimmed().isEmpty())
        return fatti;
    std::vector<RigaConf> righe;
    if (!leggiConf(cartellaNegozio, nome, righe))
        return fatti;
    const QString cartella = cartellaCodice(cartellaNegozio) + u'/' + nome + u'/';
    const Riga rigaScript = RigaPerPerl(pagina);
    for (const auto &[chiave, valore] : righe) {
        QString modello, uscita;
        bool script = false;
        if (((chiave == QLatin1String("asp(sel)") || chiave == QLatin1String("asp(default)")) && imp.chkNT == 1) ||
            chiave == QLatin1String("asp")) {
            modello = cartella + valore + QStringLiteral(".asp");
            uscita = cartellaPagine + u'/' + valore + QStringLiteral(".asp");
        } else if (((chiave == QLatin1String("pl(sel)") || chiave == QLatin1String("pl(default)")) &&
                    imp.chkNT == 0) ||
                   chiave == QLatin1String("pl")) {
            modello = cartella + valore + QStringLiteral(".pl");
            uscita = cartellaScript + u'/' + valore + CodiceSito(imp) + QStringLiteral(".pl");
            script = true;
        } else {
            continue;
        }
        // A name that is no plain file name would write outside the output
        // folders: it is refused like a model that cannot be merged.
        const bool nomeSemplice = !valore.isEmpty() && !valore.contains(u'/') && !valore.contains(u'\\') &&
                                  valore != QLatin1String("..");
        if (nomeSemplice && MakePagina(script ? rigaScript : pagina, nullptr, modello, uscita, messages))
            fatti << uscita;
        else
            messages.warning(QStringLiteral("Errore nell'elaborazione del file ") + uscita);
    }
    return fatti;
}
