// The dispatcher: every command of the registry ends here, from a menu
// entry, a panel button, a picture button or a key. The numbered commands go
// through EseguiComando, which asks the command's questions, calls the
// catalogue operation or opens the dialog, and reports an operation that
// failed; the others (shop, settings, views, help) open their operation or
// dialog directly.
#include "frmmain.h"

#include "alberocategorie.h"
#include "catalogo.h"
#include "commercio.h"
#include "datasource.h"
#include "frmabout.h"
#include "frmbrowse.h"
#include "frmelabora.h"
#include "frmfirewall.h"
#include "frmfolderftp.h"
#include "frmftp.h"
#include "frmimmagine.h"
#include "frmimportazd.h"
#include "frmopzioni.h"
#include "frmsearch.h"
#include "impostazioni.h"
#include "messages.h"
#include "programfolder.h"
#include "vistaarticoli.h"
#include "vistainternet.h"
#include "vistanegozio.h"
#include "vistareparti.h"
#include "vistasito.h"

#include <QLineEdit>

#include <QTreeWidget>

namespace {

// The picture field a picture command sets or clears, of whose rows.
struct Immagine {
    FamigliaImmagine famiglia;
    int n;
};

Immagine immagine(Cmd::Numero numero)
{
    switch (numero) {
    case Cmd::ImpostaImmagine1:
    case Cmd::EliminaImmagine1: return {FamigliaImmagine::Articolo, 0};
    case Cmd::ImpostaImmagine2:
    case Cmd::EliminaImmagine2: return {FamigliaImmagine::Articolo, 1};
    case Cmd::ImpostaImmaginePiccola:
    case Cmd::EliminaImmaginePiccola: return {FamigliaImmagine::Articolo, 2};
    case Cmd::ImpostaImmagineReparto:
    case Cmd::EliminaImmagineReparto: return {FamigliaImmagine::Reparto, 0};
    case Cmd::ImpostaPulsante:
    case Cmd::EliminaPulsante: return {FamigliaImmagine::Reparto, 1};
    case Cmd::ImpostaLogoNormale:
    case Cmd::EliminaLogoNormale: return {FamigliaImmagine::Negozio, 0};
    default: return {FamigliaImmagine::Negozio, 1};
    }
}

} // namespace

void frmMain::EseguiComando(Cmd::Numero numero)
{
    if (!RegistroComandi::numerato(numero))
        return;
    Catalogo catalogo(m_negozio);
    DatiPrincipali &d = m_negozio.dati();
    Messages &msg = m_negozio.messages();
    try {
        switch (numero) {
        case Cmd::ArticoloSu:
        case Cmd::ArticoloGiu: {
            BusyFlag busy(m_negozio.state.InAggiornamento);
            catalogo.SpostaRecord(Catalogo::Articoli, numero == Cmd::ArticoloSu ? -1 : 1);
            break;
        }
        case Cmd::RepartoSu:
        case Cmd::RepartoGiu: {
            BusyFlag busy(m_negozio.state.InAggiornamento);
            catalogo.SpostaRecord(Catalogo::Reparti, numero == Cmd::RepartoSu ? -1 : 1);
            break;
        }
        case Cmd::AggiungiArticoloPrima: catalogo.AggiungiArticoloPrima(); break;
        case Cmd::AggiungiArticoloDopo: catalogo.AggiungiArticoloDopo(); break;
        case Cmd::EliminaArticolo: {
            const Recordset &a = d.dataArticoli.recordset();
            if (a.isOpen() && a.hasCurrent() && msg.question(QStringLiteral("Eliminare l'articolo selezionato?")))
                catalogo.EliminaArticolo();
            break;
        }
        case Cmd::CopiaArticolo: catalogo.CopiaArticolo(); break;
        case Cmd::IncollaArticolo: catalogo.IncollaArticoli(); break;
        case Cmd::Espandi:
        case Cmd::Comprimi:
            // Every node opens, the root too; collapsing spares the root, so
            // the top-level departments stay in view.
            for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
                if (numero == Cmd::Espandi || (*it)->data(0, Qt::UserRole).toString() != AlberoReparti::Radice)
                    (*it)->setExpanded(numero == Cmd::Espandi);
            break;
        case Cmd::IncollaReparto: catalogo.IncollaReparto(); break;
        case Cmd::CopiaReparto: catalogo.CopiaReparto(); break;
        case Cmd::EliminaReparto: {
            const Recordset &c = d.dataCategorie.recordset();
            if (!c.isOpen() || !c.hasCurrent())
                return;
            if (c.value(QStringLiteral("hafigli")).toBool()) {
                msg.information(QStringLiteral("Non è consentito eliminare un reparto che contiene sottoreparti.\r\n"
                                               "Per cancellare questo reparto è necessario rimuovere i sottoreparti."));
                return;
            }
            if (d.dataArticoli.recordset().hasCurrent()
                && !msg.question(QStringLiteral("Il reparto contiene articoli che saranno cancellati. Eliminarlo comunque?")))
                return;
            catalogo.EliminaReparto();
            break;
        }
        case Cmd::AggiungiRepartoDopo: catalogo.AggiungiRepartoDopo(); break;
        case Cmd::AggiungiRepartoPrima: catalogo.AggiungiRepartoPrima(); break;
        case Cmd::AggiungiSottoreparto: catalogo.AggiungiSottoreparto(); break;
        case Cmd::ImpostaImmagine1:
        case Cmd::ImpostaImmagine2:
        case Cmd::ImpostaImmaginePiccola:
        case Cmd::ImpostaImmagineReparto:
        case Cmd::ImpostaPulsante:
        case Cmd::ImpostaLogoNormale:
        case Cmd::ImpostaLogoPiccolo: {
            DialogoSceltaImmagine scelta(this, m_negozio.state.PercorsoNegozio, msg, &frmMain::MostraAiuto);
            catalogo.ImpostaImmagine(immagine(numero).famiglia, immagine(numero).n, scelta);
            break;
        }
        case Cmd::EliminaImmagine1:
        case Cmd::EliminaImmagine2:
        case Cmd::EliminaImmaginePiccola:
        case Cmd::EliminaImmagineReparto:
        case Cmd::EliminaPulsante:
        case Cmd::EliminaLogoNormale:
        case Cmd::EliminaLogoPiccolo: catalogo.EliminaImmagine(immagine(numero).famiglia, immagine(numero).n); break;
        case Cmd::Ricerca:
            if (!m_ricerca)
                m_ricerca = new frmSearch(m_negozio, &frmMain::MostraAiuto, this);
            m_ricerca->mostra();
            break;
        case Cmd::Variante1:
        case Cmd::Variante2:
        case Cmd::Variante3: {
            const int n = numero == Cmd::Variante1 ? 1 : numero == Cmd::Variante2 ? 2 : 3;
            // Pending edits first, outside the dialog's transaction.
            if (!d.scriviModifiche())
                return;
            // A set stored in the article shows through the row's write; else
            // the sets' names may still have changed.
            if (!frmOpzioni::DefinisciVariante(m_negozio, n, this, &frmMain::MostraAiuto))
                m_articoli->MostraVarianti();
            break;
        }
        case Cmd::Costruisci: {
            // Pending edits reach the catalogue first: the build reads it.
            if (!scriviPrimaDi(QStringLiteral("costruire il negozio")))
                return;
            const QString modelli = ProgramFolder::path() + u'/' + m_negozio.state.CartellaTemplate;
            if (Negozio::modelliTemplate(modelli).isEmpty()) {
                for (;;) {
                    if (ScegliTemplate())
                        break;
                    if (msg.show(QStringLiteral("Per costruire il negozio è necessario scegliere un template"),
                                 Messages::Icon::Warning, Messages::Buttons::OkCancel)
                        != Messages::Answer::Ok)
                        return;
                }
            }
            const Impostazioni imp = impostazioni();
            frmElabora build(m_negozio.state, imp, msg, this);
            build.exec();
            break;
        }
        case Cmd::AggiornaSito: {
            // The update reads the settings as they stand, pending edits included.
            if (!scriviPrimaDi(QStringLiteral("aggiornare il sito")))
                return;
            const Impostazioni imp = impostazioni();
            EseguiAggiornaSito(this, ContestoPubblicazione::da(m_negozio.state, imp), msg, &frmMain::MostraAiuto);
            break;
        }
        default: break;
        }
    } catch (const std::exception &e) {
        msg.warning(QStringLiteral("Impossibile completare l'operazione:\r\n") + testoErrore(e));
    }
}

bool frmMain::scriviPrimaDi(const QString &operazione)
{
    DatiPrincipali &d = m_negozio.dati();
    // The refused fields as their captions read (the column's name when no
    // view shows it), each once.
    QStringList rifiutati;
    std::vector<QMetaObject::Connection> ascolti;
    const std::initializer_list<const Vista *> viste{m_vistaNegozio, m_sito, m_internet, m_reparti, m_articoli};
    for (DataSource *s : {&d.dataCategorie, &d.dataFratelli, &d.dataArticoli, &d.dataGenerale}) {
        const auto rifiuto = [s, &viste, &rifiutati](int, const QString &, const QString &campo) {
            QString nome;
            for (const Vista *v : viste)
                if (nome.isEmpty())
                    nome = v->didascalia(*s, campo);
            nome = u'\'' + (nome.isEmpty() ? campo : nome) + u'\'';
            if (!rifiutati.contains(nome))
                rifiutati << nome;
        };
        ascolti.push_back(connect(s, &DataSource::error, this, rifiuto));
    }
    const bool scritto = d.scriviModifiche();
    for (const QMetaObject::Connection &c : ascolti)
        disconnect(c);
    if (scritto)
        return true;
    const QString perche =
        rifiutati.isEmpty() ? QStringLiteral("una modifica non è stata salvata perché il database l'ha rifiutata")
        : rifiutati.size() == 1
            ? QStringLiteral("il valore del campo ") + rifiutati[0] + QStringLiteral(" non è stato accettato")
            : QStringLiteral("i valori dei campi ") + rifiutati.join(QStringLiteral(", ")) +
                  QStringLiteral(" non sono stati accettati");
    m_negozio.messages().warning(QStringLiteral("Impossibile ") + operazione + QStringLiteral(":\r\n") + perche +
                                 QStringLiteral(" (il motivo è nel messaggio precedente). Correggere il valore e "
                                                "ripetere l'operazione."));
    return false;
}

void frmMain::esegui(Cmd::Numero numero)
{
    if (RegistroComandi::numerato(numero)) {
        EseguiComando(numero);
        return;
    }
    switch (numero) {
    case Cmd::NuovoNegozio: m_negozio.NuovoNegozio(); break;
    case Cmd::ApriNegozio: m_negozio.ApriNegozio(QStringLiteral("*")); break;
    case Cmd::ScegliTemplate: ScegliTemplate(); break;
    case Cmd::CartelleLavoro: frmBrowse::CambiaCartelle(m_negozio, this, &frmMain::MostraAiuto); break;
    case Cmd::ImportaZendaro: {
        Catalogo catalogo(m_negozio);
        frmImportaZD::Importa(m_negozio, catalogo, this);
        break;
    }
    case Cmd::Spedizione:
    case Cmd::SistemiPagamento: {
        if (!m_negozio.state.dbCatalogo)
            break;
        // Pending edits first, outside the shipping dialog's savepoint.
        if (!m_negozio.dati().scriviModifiche())
            break;
        // The payment dialogs read the settings as the window shows them;
        // the bank's password files go through the publisher.
        const Impostazioni imp = impostazioni();
        auto publisher = [this, imp] {
            return std::make_unique<CaricamentoPasswordFTP>(this, ContestoPubblicazione::da(m_negozio.state, imp),
                                                            m_negozio.messages());
        };
        ContestoCommercio c{m_negozio.state, imp, m_negozio.messages(), this, &frmMain::MostraAiuto, publisher};
        if (numero == Cmd::Spedizione)
            ModificaSpedizione(c);
        else
            ConfiguraPagamento(c);
        break;
    }
    case Cmd::Esci: close(); break;
    case Cmd::PulisciCartelle: PulisciCartelle(); break;
    case Cmd::Informazioni: {
        frmAbout about(m_negozio.state.AvvioCompletato, this);
        about.setWindowFlags(Qt::Dialog);
        about.exec();
        break;
    }
    case Cmd::VisualizzaReparti: selezionaScheda(QStringLiteral("kReparti")); break;
    case Cmd::VisualizzaArticoli: selezionaScheda(QStringLiteral("kArticoli")); break;
    case Cmd::VisualizzaSito: selezionaScheda(QStringLiteral("kSito")); break;
    case Cmd::VisualizzaInternet: selezionaScheda(QStringLiteral("kInternet")); break;
    case Cmd::CartellaFTPNegozio:
    case Cmd::CartellaFTPScript: {
        // The account as the window shows it; the folder chosen goes into the
        // window's field, whose change derives the shop or scripts folder and
        // the addresses (and writes the record through them).
        const int tipo = numero == Cmd::CartellaFTPNegozio ? 0 : 1;
        const Impostazioni imp = impostazioni();
        const QString scelta =
            frmFolderFTP::SelezionaCartellaFTP(this, tipo, m_negozio.state.PercorsoNegozio, imp.txtHost,
                                               imp.txtUsername, imp.txtPassword, m_negozio.messages(), &MostraAiuto);
        if (!scelta.isEmpty())
            m_internet->impostaCartellaRemota(tipo, scelta);
        break;
    }
    case Cmd::ImpostazioniAvanzate:
        frmFirewall::Mostra(this, m_negozio.state.PercorsoNegozio, m_negozio.messages(), &MostraAiuto);
        break;
    case Cmd::Sommario: MostraAiuto(QStringLiteral("index.htm")); break;
    case Cmd::DomandeFrequenti: MostraAiuto(QStringLiteral("pagine\\faq.htm")); break;
    default: break;
    }
}
