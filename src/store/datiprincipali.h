#pragma once
// The main window's data sources, department tree and model list, with the
// chain of Reposition handlers that keeps them in step: moving dataCategorie
// reloads the department's articles and siblings, unless the busy flag
// InAggiornamento holds them still. The editor shows them and listens to the
// signals below; the chain itself needs no window.
#include "alberoreparti.h"
#include "datasource.h"
#include "shopstate.h"

#include <QObject>
#include <QStringList>

class DatiPrincipali : public QObject {
    Q_OBJECT
public:
    explicit DatiPrincipali(ShopState &state, QObject *parent = nullptr);

    DataSource dataCategorie{QStringLiteral("dataCategorie")};
    DataSource dataFratelli{QStringLiteral("dataFratelli")};
    DataSource dataArticoli{QStringLiteral("dataArticoli")};
    DataSource dataGenerale{QStringLiteral("dataGenerale")};
    AlberoReparti tvwCategorie;
    QStringList cboTemplate;  // page models of the template set, without ".htm"

    // Key of the current department; "###" when the root is selected.
    QString repartoCorrente() const;
    // Selecting the root leaves dataCategorie before its first row.
    void selezionaRadice();
    // A click on a tree node: the root, or the department with that key.
    void selezionaNodo(const QString &key);
    // Writes the pending edits of the bound fields of every data source; false
    // when one could not be written (its error signal has said why).
    bool scriviModifiche();
    // Closes every data source.
    void chiudi();

    static QString sqlCategorie() { return QStringLiteral("SELECT * FROM categorie ORDER BY livello, ordinamento"); }
    static QString sqlArticoli() { return QStringLiteral("SELECT * FROM articoli WHERE catID=? ORDER BY ordinamento"); }
    static QString sqlFratelli()
    {
        return QStringLiteral("SELECT * FROM categorie WHERE genitore=? ORDER BY livello, ordinamento");
    }

signals:
    void modelliChanged();
    // The current department (corrente: a department row, not the root) and
    // everything that hangs on it have been reloaded.
    void repartoCambiato(bool corrente);
    // The current article changed (corrente: there is one).
    void articoloCambiato(bool corrente);
    // The settings record was (re)loaded.
    void generaleCambiato();
    // ArticoliReparto changed.
    void totaliChanged();

private:
    void onCategorieReposition();
    void onFratelliReposition();
    void onArticoliReposition();
    void onFratelliScritto();
    // The tree's nodes take the titles of the sibling list's rows.
    void titoliNellAlbero();

    ShopState &m_state;
};
