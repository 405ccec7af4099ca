#pragma once
// frmConfiguraPG, "Vetrasto - Configurazione sistemi di pagamento": one
// button per payment system. A click records the choice and closes the
// chooser; the command then opens that system's settings dialog.
#include "sistemipagamento.h"

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

class QPushButton;

class frmConfiguraPG : public QDialog {
    Q_OBJECT
public:
    explicit frmConfiguraPG(QWidget *parent = nullptr);

    std::function<void()> aiuto;
    // The system chosen; nullopt when the chooser was closed without a choice.
    std::optional<Sistema> scelta() const { return m_scelta; }

    std::array<QPushButton *, 6> cmdConfigura{};
    QPushButton *cmdChiudi, *cmdHelp;

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    std::optional<Sistema> m_scelta;
};
