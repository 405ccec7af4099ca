#pragma once
// The main window's data sources, department tree and model list, with the
// chain of Reposition handlers that keeps them in step: moving dataCategorie
// reloads the department's articles and siblings, unless the busy flag
// InAggiornamento holds them still.
#include "alberoreparti.h"
#include "datasource.h"
#include "shopstate.h"

#include <QObject>
#include <QStringList>

class FinestraPrincipale;

class DatiPrincipali : public QObject {
    Q_OBJECT
public:
    DatiPrincipali(ShopState &state, FinestraPrincipale &finestra, QObject *parent = nullptr);

    DataSource dataCategorie{QStringLiteral("dataCategorie")};
    DataSource dataFratelli{QStringLiteral("dataFratelli")};
    DataSource dataArticoli{QStringLiteral("dataArticoli")};
    DataSource dataGenerale{QStringLiteral("dataGenerale")};
    DataSource dataOpzioni{QStringLiteral("dataOpzioni")};
    AlberoReparti tvwCategorie;
    QStringList cboTemplate;  // page models of the template set, without ".htm"

    // Key of the current department; "###" when the root is selected.
    QString repartoCorrente() const;
    // Selecting the root leaves dataCategorie before its first row.
    void selezionaRadice();
    // A click on a tree node: the root, or the department with that key.
    void selezionaNodo(const QString &key);
    // Closes every data source (the window's unload).
    void chiudi();

    static QString sqlCategorie() { return QStringLiteral("SELECT * FROM categorie ORDER BY livello, ordinamento"); }
    static QString sqlArticoli() { return QStringLiteral("SELECT * FROM articoli WHERE catID=? ORDER BY ordinamento"); }
    static QString sqlFratelli()
    {
        return QStringLiteral("SELECT * FROM categorie WHERE genitore=? ORDER BY livello, ordinamento");
    }

signals:
    void modelliChanged();

private:
    void onCategorieReposition();
    void onFratelliReposition();
    void onArticoliReposition();
    void onGeneraleReposition();

    ShopState &m_state;
    FinestraPrincipale &m_finestra;
};
