#pragma once
// What the shop store needs of the main window: its data sources, tree and
// model list (held in DatiPrincipali), its caption, and the editor's services
// that show dialogs or switch commands. frmMain implements it; tests use a
// headless implementation.
#include <QString>

class DatiPrincipali;

class FinestraPrincipale {
public:
    virtual ~FinestraPrincipale() = default;

    virtual DatiPrincipali &dati() = 0;
    virtual void setCaption(const QString &caption) = 0;

    // Editor services.
    virtual void AggiornaTotaleArticoli() = 0;
    virtual void CaricaModelli() = 0;
    virtual bool ScegliTemplate() = 0;
    virtual void AbilitaComando(const QString &nome, bool abilitato) = 0;
    virtual QString SfogliaCartelle(const QString &titolo, const QString &cartellaIniziale) = 0;
    virtual bool MostraAiuto(const QString &argomento) = 0;
    virtual void MostraScheda() = 0;
    virtual void selezionaScheda(const QString &chiave) = 0;  // tabGestione

    // Pictures of the current rows (the window's picture controls).
    virtual void MostraImmagineArticolo(int n) = 0;
    virtual void MostraImmagineReparto(int n) = 0;
    virtual void MostraImmagineNegozio(int n) = 0;
};
