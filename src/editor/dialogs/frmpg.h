#pragma once
// The six payment systems' settings dialogs. frmPG holds what they share:
// the title, the instruction texts, "OK" (SalvaConf, then the dialog
// closes; a save that fails is reported and the dialog stays open),
// "Annulla" (nothing written), "?" and F1 (the help page). Each subclass
// lays out its fields and moves them to and from its configuration, which
// LeggiConf fills when the dialog is made.
#include "dialogoaiuto.h"
#include "sistemipagamento.h"

#include <array>
#include <functional>
#include <memory>

class Messages;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

class frmPG : public DialogoAiuto {
    Q_OBJECT
public:
    ConfigurazioneSistema &configurazione() { return *m_conf; }

protected:
    // Every settings dialog opens the help page of the payment systems.
    frmPG(std::unique_ptr<ConfigurazioneSistema> conf, Messages &messages, Aiuto aiuto, QWidget *parent);
    // Adds an instruction text.
    QLabel *testo(const QString &t);
    // A labelled field on the next row of the form.
    QLineEdit *campo(const QString &etichetta, const QString &nome);
    // The two currency options "Lire" and "Euro" under "Valuta del negozio:".
    void valute(std::array<QRadioButton *, 2> &opt);
    static Valuta valutaDa(const std::array<QRadioButton *, 2> &opt);
    static void mostraValuta(const std::array<QRadioButton *, 2> &opt, Valuta v);
    // Appends the buttons; the subclass calls it last.
    void finisci();
    // The fields into the configuration, before it is saved.
    virtual void raccogli() = 0;

    QVBoxLayout *m_colonna;  // the texts and fields, top to bottom
    QGridLayout *m_modulo;
    Messages &m_messages;

private:
    void onOK();

    QPushButton *cmdOK, *cmdAnnulla;
    std::unique_ptr<ConfigurazioneSistema> m_conf;
};

class frmPG_Telepay : public frmPG {
    Q_OBJECT
public:
    frmPG_Telepay(const QString &cartellaNegozio, Messages &messages, Aiuto aiuto = {}, QWidget *parent = nullptr);

protected:
    void raccogli() override;

private:
    QLineEdit *txtLogin;
    std::array<QRadioButton *, 2> optVal{};
    QCheckBox *chkTest;
};

// What the bank dialog shows for the bank's back office, from the main
// window's settings.
struct BackOfficeSella {
    QString host;          // txtHost
    QString emailOrdini;   // txtEmailOrdini
    QString urlNegozio;    // URLNegozio
    QString urlCGI;        // URLCGI
    QString codiceSito;    // CodiceSito
};

class frmPG_Sella : public frmPG {
    Q_OBJECT
public:
    frmPG_Sella(const QString &cartellaNegozio, const BackOfficeSella &sito, Messages &messages, Aiuto aiuto = {},
                QWidget *parent = nullptr);
    // "Aggiorna file password...": opens the password files update, which
    // may change the name; set by the command.
    std::function<void(QString &pwd)> aggiornaPassword;

protected:
    void raccogli() override;

private:
    // The security mode and the password files' name, on the form.
    void creaSicurezza();
    // The two frames of what the bank's back office needs, filled from the
    // main window's settings.
    void creaBackOffice();
    void cambiaModo();
    ConfSella &sella() { return static_cast<ConfSella &>(configurazione()); }

    QLineEdit *txtLogin;
    std::array<QRadioButton *, 2> optVal{}, optMetodo{};
    QLineEdit *txtPwd;
    QPushButton *cmdPwd;
    QLineEdit *txtIP;
    std::array<QLineEdit *, 6> txtRis{};
    BackOfficeSella m_sito;
};

// Authorize.Net and Planet Payment.
class frmPG_MerchantId : public frmPG {
    Q_OBJECT
public:
    frmPG_MerchantId(const QString &cartellaNegozio, Sistema sistema, Messages &messages, Aiuto aiuto = {},
                     QWidget *parent = nullptr);

protected:
    void raccogli() override;

private:
    QLineEdit *txtLogin;
};

// Contrassegno and Pagamento anticipato.
class frmPG_Informativo : public frmPG {
    Q_OBJECT
public:
    frmPG_Informativo(const QString &cartellaNegozio, Sistema sistema, Messages &messages, Aiuto aiuto = {},
                      QWidget *parent = nullptr);

protected:
    void raccogli() override;

private:
    QPlainTextEdit *txtInfo;
};
