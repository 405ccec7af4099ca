#pragma once
// frmImmagine, "Vetrasto - Scelta immagine": the picture chooser's window.
// It holds the widgets and forwards every event to SceltaImmagine, which
// keeps the state; the caller presets the current picture, runs it modally
// and reads the tag and the picture's size from the logic.
#include "immaginicatalogo.h"
#include "sceltaimmagine.h"

#include "dialogo.h"
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabBar;
class QToolButton;

class frmImmagine : public Dialogo {
    Q_OBJECT
public:
    frmImmagine(const QString &cartellaNegozio, Messages &messages, std::function<void(const QString &)> aiuto = {},
                QWidget *parent = nullptr);

    SceltaImmagine &logica() { return m_logica; }
    // The result: "" cancelled, else the file name in the work folder.
    QString tag() const { return m_tag; }
    // Presets the picture the row names now: the work folder's tab, with
    // that file selected and shown. "" presets nothing.
    void preseleziona(const QString &nome);

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    // Panel 0: the disk lists and the fit frame.
    QWidget *creaDisco();
    // Panel 1: the shop's work folder.
    QWidget *creaSito();
    // The preview: a white square, picSalva at the output size, centred.
    QWidget *creaAnteprima();
    // The panels on the left, the preview, the file's name and the buttons
    // on the right.
    void impagina();
    // The controls' events, forwarded to the logic.
    void collega();
    void riempiUnita();
    // Opens the folder of an entry of the folder list.
    void apriCartella(QListWidgetItem *item);
    void mostraCartella();
    void riempiSito();
    void mostraAnteprima();
    void mostraScheda();
    void onOK();
    void onLimite(int i);

    // Controls, under the program's names for them (objectName too).
    QTabBar *tabSelezione;
    QWidget *picSelezione[2];
    QComboBox *Unita;
    QListWidget *Cartella;
    QListWidget *File;
    QLabel *lblPercorso;
    QToolButton *cmdDesktop;
    QCheckBox *chkAdatta;
    QLineEdit *txtMax[2];
    QListWidget *Sito;
    QWidget *picImmagine;
    QWidget *picSalva;
    QLabel *imgImmagine;
    QLabel *lblMessaggio;  // why a picture cannot be shown
    QLabel *lblImmagine;
    QPushButton *cmdOK, *cmdAnnulla, *cmdHelp;

    SceltaImmagine m_logica;
    std::function<void(const QString &)> m_aiuto;
    QString m_tag;
    bool m_inLimite = false;
};

// ImpostaImmagine's chooser in the program: the dialog, shown modally.
class DialogoSceltaImmagine : public SceltaImmagineModale {
public:
    DialogoSceltaImmagine(QWidget *owner, const QString &cartellaNegozio, Messages &messages,
                          std::function<void(const QString &)> aiuto = {})
        : m_owner(owner), m_negozio(cartellaNegozio), m_messages(messages), m_aiuto(std::move(aiuto))
    {
    }
    RisultatoScelta scegli(const QString &nomeAttuale) override;

private:
    QWidget *m_owner;
    QString m_negozio;
    Messages &m_messages;
    std::function<void(const QString &)> m_aiuto;
};
