#include "commercio.h"

#include "frmconfigurapg.h"
#include "frmotp.h"
#include "frmpg.h"
#include "frmspedizione.h"
#include "messages.h"

namespace {

// The password files update behind the bank dialog's button.
void AggiornaFilePassword(ContestoCommercio &c, QWidget *owner, QString &pwd)
{
    const QString script = c.stato.CartellaScript.isEmpty() ? c.stato.PercorsoNegozio + QStringLiteral("/scripts")
                                                            : c.stato.CartellaScript;
    std::unique_ptr<CaricamentoPassword> caricamento = c.caricamentoPassword ? c.caricamentoPassword() : nullptr;
    AggiornamentoPassword logica(script, c.messages, caricamento.get());
    frmOTP dlg(logica, c.impostazioni.txtHost, c.impostazioni.txtFolderCGI, owner);
    dlg.pwd = pwd;
    dlg.exec();
    pwd = dlg.pwd;
}

} // namespace

void ModificaSpedizione(ContestoCommercio &c)
{
    c.stato.SpedizioneConfermata = false;
    if (!c.stato.dbCatalogo)
        return;
    const QChar separatore = c.stato.SeparatoreDecimali.isEmpty() ? QChar(u',') : c.stato.SeparatoreDecimali[0];
    EditorSpedizione logica(c.stato.dbCatalogo, c.stato.PercorsoNegozio, separatore, c.messages);
    try {
        logica.apri();
    } catch (const DbError &e) {
        c.messages.warning(QStringLiteral("Impossibile aprire le spese di spedizione.\r\n") + e.description);
        return;
    }
    frmSpedizione dlg(logica, c.aiuto, c.finestra);
    dlg.setValuta(c.stato.PrefissoValuta1);
    dlg.configura = [&c] { ConfiguraPagamento(c); };
    c.stato.SpedizioneConfermata = dlg.exec() == QDialog::Accepted;
}

std::unique_ptr<frmPG> CreaDialogoSistema(Sistema sistema, ContestoCommercio &c)
{
    const QString negozio = c.stato.PercorsoNegozio;
    std::unique_ptr<frmPG> dlg;
    switch (sistema) {
    case Sistema::Telepay:
        dlg = std::make_unique<frmPG_Telepay>(negozio, c.messages, c.aiuto, c.finestra);
        break;
    case Sistema::Sella: {
        Impostazioni imp = c.impostazioni;
        const BackOfficeSella sito{imp.txtHost, imp.txtEmailOrdini, URLNegozio(imp), URLCGI(imp), CodiceSito(imp)};
        auto sella = std::make_unique<frmPG_Sella>(negozio, sito, c.messages, c.aiuto, c.finestra);
        frmPG_Sella *finestra = sella.get();
        sella->aggiornaPassword = [&c, finestra](QString &pwd) { AggiornaFilePassword(c, finestra, pwd); };
        dlg = std::move(sella);
        break;
    }
    case Sistema::AuthorizeNet:
    case Sistema::PlanetPayment:
        dlg = std::make_unique<frmPG_MerchantId>(negozio, sistema, c.messages, c.aiuto, c.finestra);
        break;
    case Sistema::Contrassegno:
    case Sistema::Anticipato:
        dlg = std::make_unique<frmPG_Informativo>(negozio, sistema, c.messages, c.aiuto, c.finestra);
        break;
    }
    return dlg;
}

void ConfiguraPagamento(ContestoCommercio &c)
{
    std::optional<Sistema> scelta;
    {
        frmConfiguraPG chooser(c.aiuto, c.finestra);
        chooser.exec();
        scelta = chooser.scelta();
    }
    // The settings dialog only once the chooser has gone.
    if (scelta)
        CreaDialogoSistema(*scelta, c)->exec();
}
