#pragma once
// The two commands of the shipping and payment settings, as the main window
// calls them: ModificaSpedizione (mnuSpedizione and the toolbar button
// cmdSpese) and ConfiguraPagamento (mnuConfiguraPG and cmdConfiguraPG, and
// the "Configura..." button of the shipping dialog).
#include "aggiornamentopassword.h"
#include "impostazioni.h"
#include "shopstate.h"
#include "sistemipagamento.h"

#include <QString>
#include <functional>
#include <memory>

class Messages;
class QWidget;

// What the commands need of the program: the open shop, the main window's
// settings as they stand, the message boxes, the help pages, and the
// publisher in its password-file mode.
struct ContestoCommercio {
    ShopState &stato;
    Impostazioni impostazioni;
    Messages &messages;
    QWidget *finestra = nullptr;  // owner of the dialogs
    // Opens a help topic ("pagine\pagamenti.htm").
    std::function<void(const QString &)> aiuto;
    // The publisher for the bank's password files; empty when there is none.
    std::function<std::unique_ptr<CaricamentoPassword>()> caricamentoPassword;
};

// Shows the shipping dialog modally; SpedizioneConfermata tells whether it
// was confirmed. Every change is undone unless it was.
void ModificaSpedizione(ContestoCommercio &contesto);

// Shows the payment system chooser and then the settings dialog chosen.
void ConfiguraPagamento(ContestoCommercio &contesto);

// The settings dialog of one system, read from the shop's files and ready
// to be shown.
class frmPG;
std::unique_ptr<frmPG> CreaDialogoSistema(Sistema sistema, ContestoCommercio &contesto);
