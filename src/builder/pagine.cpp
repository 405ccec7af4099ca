// The template set's other pages, merged with the home page row: the home
// page and every page that is not a department model, the payment result
// pages payok/payerr, one thank-you page per active payment method with its
// gateway's server files; then the search results page and the scripts of
// the program's code folder, with the site code in the order and search
// scripts' names.
#include "elabora.h"

#include "campinegozio.h"
#include "formato.h"
#include "make.h"
#include "messages.h"
#include "nomifile.h"
#include "riga.h"
#include "ringraziamento.h"

#include <QFile>

namespace {

// A page model of the departments ("modello*.htm"): merged into the
// department pages, never one to one.
bool modelloReparti(const QString &nome)
{
    return nome.startsWith(QLatin1String("modello")) && nome.endsWith(QLatin1String(".htm"));
}

const QString chiusuraPagamento =
    QStringLiteral("<p align=\"center\"><a href=\"index.htm\">Torna all'ingresso del negozio</font></font></a></p>");

} // namespace

QStringList Elaborazione::fileDelSet() const
{
    // The pages every shop has, whether the set holds their models or not.
    QStringList f{QStringLiteral("index.htm"), QStringLiteral("payok.htm"), QStringLiteral("payerr.htm"),
                  QStringLiteral("results.htm")};
    for (int k = 1; k <= 4; ++k)
        f << QStringLiteral("thankyou%1.htm").arg(k);
    // The pages merged one to one, then the resources copied.
    for (const QString &nome : m_file.elenco(CartellaSet, QStringLiteral("*.*htm*")))
        if (!modelloReparti(nome) && nome != QLatin1String("thankyou.htm") && nome != QLatin1String("paymsg.htm"))
            f << nome;
    for (const QString &nome : m_file.elenco(CartellaSet))
        if (!RisorsaEsclusa(nome))
            f << nome;
    return f;
}

Elaborazione::Passo Elaborazione::pagineSet()
{
    // The set's pages as esaminaFile() found them, by name; names are
    // compared with their letter case, as the resource copy compares them,
    // so a page the set names "Extra.HTM" is a resource and not merged.
    for (const QString &nome : m_file.elenco(CartellaSet, QStringLiteral("*.*htm*"))) {
        if (fermati())
            return Passo::Annulla;
        bool fatto = true;
        if (nome == QLatin1String("thankyou.htm"))
            fatto = ringraziamenti();
        else if (nome == QLatin1String("paymsg.htm"))
            fatto = pagamentoEsito();
        else if (!modelloReparti(nome))
            // results.htm too: script() rewrites it into the scripts folder
            // and deletes it, and the list keeps it as a file the build wrote.
            fatto = unisci(m_rigaHome, CartellaSet + u'/' + nome, m_stato.CartellaPagine + u'/' + nome);
        if (!fatto)
            return nonRiuscito();
    }
    return Passo::Avanti;
}

bool Elaborazione::pagamentoEsito()
{
    const QString modello = CartellaSet + QStringLiteral("/paymsg.htm");
    const QString ok =
        QStringLiteral("<p align=\"center\"><font face=\"Arial, Helvetica\" size=\"2\"><b>Ordine completato</b>"
                       "<p align=\"center\">") +
        QStringLiteral("<font size=\"2\">Tutti i dati necessari per evadere l'ordine sono stati ricevuti, e il "
                       "pagamento è stato autorizzato dalla banca.</p>") +
        chiusuraPagamento;
    const QString errore =
        QStringLiteral("<p align=\"center\"><font face=\"Arial, Helvetica\" size=\"2\"><b>Pagamento non "
                       "effettuato</b><p align=\"center\">") +
        QStringLiteral("<font size=\"2\">Il pagamento non è stato autorizzato dalla banca: l'ordine non sarà evaso, "
                       "e non verrà addebitato alcun importo sulla carta di credito.</p>") +
        chiusuraPagamento;
    // The home page row is edited in place: the pages merged after these
    // keep the last message, as they keep the last thank-you fields.
    m_rigaHome.imposta(u"paymsg", ok);
    if (!unisci(m_rigaHome, modello, m_stato.CartellaPagine + QStringLiteral("/payok.htm")))
        return false;
    m_rigaHome.imposta(u"paymsg", errore);
    return unisci(m_rigaHome, modello, m_stato.CartellaPagine + QStringLiteral("/payerr.htm"));
}

bool Elaborazione::ringraziamenti()
{
    const QString modello = CartellaSet + QStringLiteral("/thankyou.htm");
    const QString temporaneo = m_stato.CartellaPagine + QStringLiteral("/thankyou.tmp");
    int numero = 0;
    for (const MetodoAttivo &attivo : m_metodi) {
        ++numero;
        // The name is a folder of the shop's code folder: one that would
        // lead elsewhere is refused, and the page has no payment form.
        const QString &metodo = attivo.cartella;
        if (!attivo.interfaccia.trimmed().isEmpty() && metodo.isEmpty())
            m_messages.warning(QStringLiteral("Il metodo di pagamento '") + attivo.nome +
                               QStringLiteral("' indica come interfaccia '") + TestoLeggibile(attivo.interfaccia) +
                               QStringLiteral("', che non è il nome di una cartella dei codici del negozio: la sua "
                                              "pagina di ringraziamento non avrà il modulo di pagamento. Sceglierne "
                                              "l'interfaccia in \"Spese di spedizione\"."));
        QString frammento = ReadEpg(m_file, m_stato.PercorsoNegozio, metodo);
        if (frammento == ErroreEpg) {
            frammento.clear();
            // A fragment left out as a database is named among those.
            if (!m_file.eDatabase(m_stato.PercorsoNegozio + QStringLiteral("/code"), metodo.trimmed() + QStringLiteral(".epg")))
                m_messages.warning(QStringLiteral("Impossibile trovare il file '") + metodo + QStringLiteral(".epg'"));
        }
        // The form's target lands in an attribute value of the fragment.
        const QString azione = ValoreAttributo(ReadEpgAction(m_file, m_stato.PercorsoNegozio, metodo, m_imp));
        Riga &pagina = m_rigaHome;
        pagina.imposta(u"thankyou", frammento);
        pagina.imposta(u"java_PGAction", azione);

        // Two merges: the fragment's own tags are filled by the second.
        if (!MakePagina(pagina, nullptr, modello, temporaneo, m_messages, [this] { return fermati(); }))
            return false;
        const bool fatto =
            unisci(pagina, temporaneo, m_stato.CartellaPagine + QStringLiteral("/thankyou%1.htm").arg(numero));
        QFile::remove(temporaneo);
        if (!fatto)
            return false;
        for (const QString &file : SetPG(m_file, pagina, m_stato.PercorsoNegozio, metodo, m_stato.CartellaPagine,
                                         m_stato.CartellaScript, m_imp, m_messages))
            m_upload.aggiungi(file);
    }
    return true;
}

Elaborazione::Passo Elaborazione::script()
{
    // The results page, with site-absolute addresses, goes to the scripts
    // folder; a set without one writes and lists nothing here (a
    // results.htm in the pages folder is then none of this build's).
    const QString risultati = m_stato.CartellaPagine + QStringLiteral("/results.htm");
    if (m_file.elenco(CartellaSet).contains(QStringLiteral("results.htm")) && QFile::exists(risultati)) {
        const QString uscita = m_stato.CartellaScript + QStringLiteral("/results") + m_IDnegozio + QStringLiteral(".htm");
        QString errore;
        if (!MakeAbsolute(risultati, uscita, m_imp, &errore)) {
            m_messages.warning(Make::avvisoScrittura(uscita, errore));
            return Passo::Errore;
        }
        QFile::remove(risultati);
        if (QFile::exists(uscita))
            m_upload.aggiungi(uscita);
    }

    const QString codice = cartellaCodice();
    const struct {
        const char *modello;
        bool script;
    } passi[] = {{"*.js", false}, {"*.pl", true}, {"*.asp", false}};
    const Riga rigaScript = RigaPerPerl(m_rigaHome);
    for (const auto &passo : passi) {
        for (const QString &nome : m_file.elenco(codice, QLatin1String(passo.modello))) {
            if (fermati())
                return Passo::Annulla;
            QString uscita;
            if (!passo.script)
                uscita = m_stato.CartellaPagine + u'/' + nome;
            else if (nome == QLatin1String("vtorder.pl"))
                uscita = m_stato.CartellaScript + QStringLiteral("/vtorder") + m_IDnegozio + QStringLiteral(".pl");
            else if (nome == QLatin1String("vtsearch.pl"))
                uscita = m_stato.CartellaScript + QStringLiteral("/vtsearch") + m_IDnegozio + QStringLiteral(".pl");
            else
                uscita = m_stato.CartellaScript + u'/' + nome;
            if (!unisci(passo.script ? rigaScript : m_rigaHome, codice + u'/' + nome, uscita))
                return nonRiuscito();
        }
    }
    return Passo::Avanti;
}
