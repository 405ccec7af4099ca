#pragma once
// What the tests share: a temporary program folder (empty shop, a small
// template set, a code folder) and shops made in temporary folders, with a
// headless main window.
#include "datiprincipali.h"
#include "finestraprincipale.h"
#include "messages.h"
#include "negozio.h"

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>

// A program folder for one test run: new/, template/classico, code/.
class TestProgramFolder {
public:
    TestProgramFolder();
    QString path() const { return m_dir.path(); }
    // A fresh shop folder made from new/ (under the temporary folder).
    QString newShop(const QString &name = QStringLiteral("negozio"));

private:
    QTemporaryDir m_dir;
};

// The main window without widgets: records what the store asks of it.
class FinestraDiProva : public FinestraPrincipale {
public:
    explicit FinestraDiProva(Negozio &negozio);
    ~FinestraDiProva() override;

    DatiPrincipali &dati() override { return m_dati; }
    void setCaption(const QString &c) override { caption = c; }
    void AggiornaTotaleArticoli() override { totale = m_negozio.testoTotaleArticoli(); }
    void CaricaModelli() override;
    bool ScegliTemplate() override;
    void AbilitaComando(const QString &nome, bool abilitato) override { comandi[nome] = abilitato; }
    QString SfogliaCartelle(const QString &titolo, const QString &iniziale) override;
    bool MostraAiuto(const QString &) override { return false; }
    void MostraScheda() override {}
    void selezionaScheda(const QString &k) override { scheda = k; }
    void MostraImmagineArticolo(int) override {}
    void MostraImmagineReparto(int) override {}
    void MostraImmagineNegozio(int) override {}

    QString caption, totale, scheda;
    QHash<QString, bool> comandi;
    std::deque<QString> cartelle;       // answers of the folder picker
    QStringList titoliCartelle;         // titles the picker was shown with
    QString templateScelto;             // "": the template choice is cancelled
    int scelteTemplate = 0;

private:
    Negozio &m_negozio;
    DatiPrincipali m_dati;
};

// A shop store with its headless window, opened on a folder.
struct NegozioDiProva {
    ScriptedMessages messages;
    Negozio negozio{messages};
    std::unique_ptr<FinestraDiProva> finestra;
    int riavvii = 0;

    NegozioDiProva();
    // Sets PercorsoNegozio and opens the shop; returns CaricaNegozio's result.
    int apri(const QString &folder);
};

// Writes a file, making its folders; fails the test when it cannot.
void scrivi(const QString &path, const QByteArray &data);
// A file's bytes, or nothing when it cannot be read.
QByteArray leggi(const QString &path);

// Adds n departments and articles straight into a catalogue (fixtures).
void riempiCatalogo(Database &db, int reparti, int articoliPerReparto);
