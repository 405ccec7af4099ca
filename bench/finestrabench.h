#pragma once
// The main window without widgets, for measurements that open a shop.
#include "datiprincipali.h"
#include "finestraprincipale.h"
#include "negozio.h"

class FinestraBench : public FinestraPrincipale {
public:
    explicit FinestraBench(Negozio &n) : m_dati(n.state, *this) { n.setFinestra(this); }
    ~FinestraBench() override { m_dati.chiudi(); }
    DatiPrincipali &dati() override { return m_dati; }
    void setCaption(const QString &) override {}
    void AggiornaTotaleArticoli() override {}
    void CaricaModelli() override {}
    bool ScegliTemplate() override { return false; }
    void AbilitaComando(const QString &, bool) override {}
    QString SfogliaCartelle(const QString &, const QString &) override { return {}; }
    bool MostraAiuto(const QString &) override { return false; }
    void MostraScheda() override {}
    void selezionaScheda(const QString &) override {}
    void MostraImmagineArticolo(int) override {}
    void MostraImmagineReparto(int) override {}
    void MostraImmagineNegozio(int) override {}

private:
    DatiPrincipali m_dati;
};
