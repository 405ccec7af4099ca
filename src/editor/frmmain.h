#pragma once
// The main window: finds and opens the shop at load, shows the department
// tree, and forwards its commands to the shop store.
#include "datiprincipali.h"
#include "finestraprincipale.h"

#include <QMainWindow>

class CorniceImmagine;
class Negozio;
class QLabel;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

class frmMain : public QMainWindow, public FinestraPrincipale {
    Q_OBJECT
public:
    explicit frmMain(Negozio &negozio, QWidget *parent = nullptr);
    ~frmMain() override;

    // The start-up sequence; returns what CaricaNegozio returned (0 when no
    // shop could be opened and the window must go).
    int carica();

    // FinestraPrincipale
    DatiPrincipali &dati() override { return m_dati; }
    void setCaption(const QString &caption) override { setWindowTitle(caption); }
    void AggiornaTotaleArticoli() override;
    void CaricaModelli() override;
    bool ScegliTemplate() override;
    void AbilitaComando(const QString &nome, bool abilitato) override;
    QString SfogliaCartelle(const QString &titolo, const QString &cartellaIniziale) override;
    bool MostraAiuto(const QString &argomento) override;
    void MostraScheda() override {}
    void selezionaScheda(const QString &chiave) override;
    void MostraImmagineArticolo(int n) override;
    void MostraImmagineReparto(int n) override;
    void MostraImmagineNegozio(int n) override;

    QTreeWidget *tvwCategorie() const { return m_tree; }
    QLabel *lblTotaleArticoli() const { return m_totale; }

private:
    void ricostruisciAlbero();
    void onNodoCliccato(QTreeWidgetItem *item);

    Negozio &m_negozio;
    DatiPrincipali m_dati;
    QTreeWidget *m_tree;
    QTabWidget *m_tabs;
    QLabel *m_totale;
    QHash<QString, QTreeWidgetItem *> m_items;
    // The picture frames: articles, departments, logos, each by n.
    QList<CorniceImmagine *> m_cornici[3];
};
