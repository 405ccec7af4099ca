#pragma once
// frmSpedizione, "Vetrasto - Spese di spedizione": the payment methods, the
// countries with their zones and the preselection, and the cost bands of
// each zone by order amount or by weight. The window holds the widgets and
// forwards every event to EditorSpedizione, which writes each edit at once
// inside the savepoint that "Annulla" and the close box roll back.
#include "dialogoaiuto.h"
#include "spedizione.h"

#include <QHash>
#include <QLineEdit>
#include <QPointer>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabBar;
class QTableWidget;

// A band field: digits and the shop's decimal separator only ("." typed
// becomes the separator, one separator at most), the whole text selected
// when it gets the focus, a negative value pasted made positive, other
// pasted text that is not a number put back as it was.
class CampoFascia : public QLineEdit {
    Q_OBJECT
public:
    CampoFascia(const QString &campo, bool pannelloImporti, EditorSpedizione &logica, QWidget *parent = nullptr);
    const QString campo;
    const bool pannelloImporti;
    // Stores the text (the field's leaving) and shows what was stored;
    // false (and rifiutato()) when the value was refused.
    bool salva();
    void ricarica();

signals:
    void rifiutato();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    void cambiato(const QString &testo);
    EditorSpedizione &m_logica;
    QString m_accettato;
    bool m_inCambio = false;
};

class frmSpedizione : public DialogoAiuto {
    Q_OBJECT
public:
    // The help page is "pagine\\pagamenti.htm".
    frmSpedizione(EditorSpedizione &logica, Aiuto aiuto = {}, QWidget *parent = nullptr);
    ~frmSpedizione() override;

    // The main currency's name, shown in the cost headings ("Importo spese (€)").
    void setValuta(const QString &valuta);

    // Called by "Configura...".
    std::function<void()> configura;

    // The band field of a table field (m<k>imp1 ...); only the tests reach it.
    CampoFascia *campoFascia(const QString &campo) const { return m_fasce.value(campo); }

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void reject() override;

private:
    QWidget *creaMetodi();
    QWidget *creaPaesi();
    QWidget *creaPreselezione();
    QWidget *creaFasce();
    QWidget *cornicemetodo(int k, bool peso);
    // The countries' list, add and delete, and zone choice, forwarded.
    void collegaPaesi();

    // The interface lists from the logic's, each on its method's choice.
    void riempiInterfacce();
    void mostraMetodo(int k);
    void PopolaMetodi();
    void riempiPaesi();
    void spostaPaese();
    void riempiPreselezionePaesi();
    void mostraModo();
    void mostraZona();
    // Stores the band field that has the focus; the field when its value
    // was refused.
    CampoFascia *salvaCampoCorrente();
    void onOK();

    // Payment methods, index k - 1.
    std::array<QCheckBox *, 4> chkMetodo{};
    std::array<QLineEdit *, 4> txtNomeMetodo{};
    std::array<QComboBox *, 4> cboMetodo{};
    std::array<QWidget *, 4> picMetodo{};
    QComboBox *cboPagamento;
    QPushButton *cmdConfiguraPG;

    // Countries.
    QTableWidget *DBGrid1;
    QComboBox *cboAggiungi;
    QPushButton *cmdAggiungi, *cmdElimina;
    QLabel *lblPaese;
    QComboBox *cboZona;
    QComboBox *cboPaese;

    // Cost bands.
    std::array<QRadioButton *, 2> optImpPeso{};
    QTabBar *tabZona;
    std::array<QCheckBox *, 4> chkIvaOk{};
    std::array<QWidget *, 2> picZona{};
    QStackedWidget *pannelli;
    std::array<QCheckBox *, 8> chkPagZona{};          // k - 1 amount panel, k + 3 weight panel
    std::array<QLabel *, 8> lblNomeMetodo{};          // the frames' headings, likewise

    QPushButton *cmdOK, *cmdAnnulla;

    EditorSpedizione &m_logica;
    QHash<QString, CampoFascia *> m_fasce;
    QList<QLabel *> m_titoliImporto;  // the headings that name the currency
    std::function<void()> m_invioAggiunge;
    // A band field whose value was refused as the focus went to "OK".
    QPointer<CampoFascia> m_rifiutatoVersoOK;
    bool m_riempimento = false;
    bool m_confermata = false;
};
