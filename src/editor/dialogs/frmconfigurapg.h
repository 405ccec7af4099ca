#pragma once
// frmConfiguraPG, "Vetrasto - Configurazione sistemi di pagamento": one
// button per payment system, the card gateways' beside their pictures. A
// click records the choice and closes the chooser; the command then opens
// that system's settings dialog.
#include "dialogoaiuto.h"
#include "sistemipagamento.h"

#include <array>
#include <functional>
#include <optional>

class QPushButton;

class frmConfiguraPG : public DialogoAiuto {
    Q_OBJECT
public:
    explicit frmConfiguraPG(Aiuto aiuto = {}, QWidget *parent = nullptr);

    // The system chosen; nullopt when the chooser was closed without a choice.
    std::optional<Sistema> scelta() const { return m_scelta; }

private:
    std::array<QPushButton *, 6> cmdConfigura{};
    QPushButton *cmdChiudi;

    std::optional<Sistema> m_scelta;
};
