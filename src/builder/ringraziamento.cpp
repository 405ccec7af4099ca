#include "ringraziamento.h"

#include "confini.h"
#include "formato.h"
#include "make.h"
#include "messages.h"
#include "nomifile.h"
#include "risorse.h"
#include "testofile.h"

#include <utility>
#include <vector>

namespace {

QString cartellaCodice(const QString &cartellaNegozio)
{
    return cartellaNegozio + QStringLiteral("/code");
}

// The gateway's settings in file order; false when the file cannot be read.
bool leggiConf(const FileAmmessi &file, const QString &cartellaNegozio, const QString &nome,
               std::vector<RigaConf> &righe)
{
    const QString conf = file.trova(cartellaCodice(cartellaNegozio) + u'/' + nome, QStringLiteral("conf.ini"));
    auto lette = conf.isEmpty() ? std::nullopt : ConfIni::leggi(conf);
    if (!lette)
        return false;
    righe = std::move(*lette);
    return true;
}

} // namespace

QString ReadEpg(const FileAmmessi &file, const QString &cartellaNegozio, const QString &nome)
{
    const QString n = nome.trimmed();
    if (n.isEmpty())
        return {};
    const QString epg = file.trova(cartellaCodice(cartellaNegozio), n + QStringLiteral(".epg"));
    const auto letto = epg.isEmpty() ? std::nullopt : TestoFile::leggi(epg);
    return letto ? letto->testo : ErroreEpg;
}

QString ReadEpgAction(const FileAmmessi &file, const QString &cartellaNegozio, const QString &nome,
                      const Impostazioni &imp)
{
    if (nome.trimmed().isEmpty())
        return {};
    std::vector<RigaConf> righe;
    if (!leggiConf(file, cartellaNegozio, nome, righe))
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

QStringList SetPG(const FileAmmessi &file, const Riga &pagina, const QString &cartellaNegozio, const QString &nome,
                  const QString &cartellaPagine, const QString &cartellaScript, const Impostazioni &imp,
                  Messages &messages)
{
    QStringList fatti;
    if (nome.trimmed().isEmpty())
        return fatti;
    std::vector<RigaConf> righe;
    if (!leggiConf(file, cartellaNegozio, nome, righe))
        return fatti;
    const QString cartella = cartellaCodice(cartellaNegozio) + u'/' + nome;
    const Riga rigaScript = RigaPerPerl(pagina);
    for (const auto &[chiave, valore] : righe) {
        QString estensione, uscita;
        bool script = false;
        if (((chiave == QLatin1String("asp(sel)") || chiave == QLatin1String("asp(default)")) && imp.chkNT == 1) ||
            chiave == QLatin1String("asp")) {
            estensione = QStringLiteral(".asp");
            uscita = cartellaPagine + u'/' + valore + estensione;
        } else if (((chiave == QLatin1String("pl(sel)") || chiave == QLatin1String("pl(default)")) &&
                    imp.chkNT == 0) ||
                   chiave == QLatin1String("pl")) {
            estensione = QStringLiteral(".pl");
            uscita = cartellaScript + u'/' + valore + CodiceSito(imp) + estensione;
            script = true;
        } else {
            continue;
        }
        // A name that is no plain file name would write outside the output
        // folders, or give the web server a name it cannot take: it is
        // refused like a model that cannot be merged.
        bool fatto = false;
        if (NomeSemplice(valore)) {
            const QString modello = file.trova(cartella, valore + estensione);
            if (modello.isEmpty()) {
                Make::Modello mancante{cartella + u'/' + valore + estensione};
                mancante.database = file.eDatabase(cartella, valore + estensione);
                messages.warning(mancante.avvisoMancante());
            } else
                fatto = MakePagina(script ? rigaScript : pagina, nullptr, modello, uscita, messages);
        }
        if (fatto)
            fatti << uscita;
        else
            messages.warning(QStringLiteral("Errore nell'elaborazione del file ") + uscita);
    }
    return fatti;
}
