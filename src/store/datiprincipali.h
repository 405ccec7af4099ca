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

// Whose pictures: an article's (0 to 2), a department's (0: its picture, 1:
// its button) or the shop's logos (0: normal, 1: small). Picture n is the
// current row's field "immagine" & n, with its size in "imgX" & n, "imgY" & n.
enum class FamigliaImmagine { Articolo, Reparto, Negozio };

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
    // The data source whose current row holds a family's pictures.
    DataSource &sorgenteImmagine(FamigliaImmagine famiglia);
    // The shop's article count (TotaleArticoli) becomes `totale`, never below
    // 0, announced with totaliCambiati.
    void impostaTotaleArticoli(qint64 totale);
    // An article added to (+1) or removed from (-1) the current department:
    // the shop's count and the department's count follow, never below 0,
    // announced with totaliCambiati.
    void contaArticolo(int variazione);
    // The model list becomes `modelli`, announced with modelliCambiati.
    void impostaModelli(const QStringList &modelli);
    // The shop's root becomes the selection, in the tree and in
    // dataCategorie, announced with radiceSelezionata (the store's own
    // choice: a department it stood on is gone).
    void tornaAllaRadice();
    // Writes the pending edits of the bound fields of every data source; false
    // when one could not be written (its error signal has said why).
    bool scriviModifiche();
    // Closes every data source.
    void chiudi();

    // The departments' order: the tree's, level by level.
    static QString ordineCategorie() { return QStringLiteral("livello, ordinamento"); }
    static QString sqlCategorie() { return QStringLiteral("SELECT * FROM categorie ORDER BY ") + ordineCategorie(); }
    static QString sqlArticoli() { return QStringLiteral("SELECT * FROM articoli WHERE catID=? ORDER BY ordinamento"); }
    static QString sqlFratelli()
    {
        return QStringLiteral("SELECT * FROM categorie WHERE genitore=? ORDER BY ") + ordineCategorie();
    }

signals:
    void modelliCambiati();
    // The current department (corrente: a department row, not the root) and
    // everything that hangs on it have been reloaded, or its row was written
    // by other code than its bound fields.
    void repartoCambiato(bool corrente);
    // The current article changed (corrente: there is one), or its row was
    // written by other code than its bound fields.
    void articoloCambiato(bool corrente);
    // The settings record was (re)loaded, or written by other code than its
    // bound fields.
    void generaleCambiato();
    // The article counts changed (TotaleArticoli, ArticoliReparto).
    void totaliCambiati();
    // The store made the shop's root the selection.
    void radiceSelezionata();

private:
    void onCategorieReposition();
    void onFratelliReposition();
    void onArticoliReposition();
    void onCategorieScritto(bool daiCampi);
    void onFratelliScritto();
    // The tree's nodes take the titles of the sibling list's rows.
    void titoliNellAlbero();

    ShopState &m_state;
};
