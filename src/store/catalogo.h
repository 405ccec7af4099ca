#pragma once
// The catalogue operations the main window's commands start: moving rows,
// adding and deleting articles and departments, re-parenting departments,
// setting and clearing pictures, copying and pasting through the clipboard
// tables. They work on the shop store's data sources, hold the busy flag
// while they move rows themselves, leave the row the merchant expects current
// at the end, and have DatiPrincipali announce what changed.
#include <QString>
#include <QStringList>

class Negozio;
class DatiPrincipali;
enum class FamigliaImmagine;
class SceltaImmagineModale;
class Recordset;
class Database;
class QVariant;
struct ShopState;
class Transazione;

class Catalogo {
public:
    explicit Catalogo(Negozio &negozio);

    enum Tipo { Articoli = 0, Reparti = 1 };

    // Moves the current article (kind 0) or department (kind 1) one place up
    // (direction -1) or down (+1) by exchanging its sort order with its
    // neighbour's. At the first or last row nothing changes.
    void SpostaRecord(int tipo, int direzione);

    // A new empty article after or before the current one in the selected
    // department; it becomes current. The result is its ID, 0 when none was added.
    qint64 AggiungiArticoloDopo();
    qint64 AggiungiArticoloPrima();
    // Deletes the current article, its pending edits with it, and counts it
    // off; the row before it becomes current (the first row when it was the
    // first, none when it was the only one). False when there is none.
    bool EliminaArticolo();

    // Picture n of a family's current row: chosen through the chooser (a
    // cancelled one changes nothing), or cleared (its name only: the size
    // fields keep their values). A write the database refuses leaves the row
    // as it was, out of edit mode, and throws. Each change written is
    // announced once, as the row's (DatiPrincipali::articoloCambiato,
    // repartoCambiato, generaleCambiato). False (nothing done) without a
    // current row.
    bool ImpostaImmagine(FamigliaImmagine famiglia, int n, SceltaImmagineModale &scelta);
    bool EliminaImmagine(FamigliaImmagine famiglia, int n);

    // A new department beside the selected one, or as its last child (as a
    // top-level department when the root is selected); it becomes current.
    // The result is its ID, empty when none was added.
    QString AggiungiRepartoDopo();
    QString AggiungiRepartoPrima();
    QString AggiungiSottoreparto();
    // Deletes the selected department with its articles.
    void EliminaReparto();

    // Moves a department with its subtree under another node ("###": the root).
    void SpostaReparto(const QString &origine, const QString &destinazione);
    // Rewrites parent, order, depth and has-children of every department from
    // the tree. False when the rewrite failed and was undone.
    bool SalvaAlbero();

    // Article clipboard.
    void CopiaArticolo();
    void IncollaArticoli();
    // Department clipboard.
    void CopiaReparto();
    void IncollaReparto();

    // Fields the clipboards carry.
    static const QStringList &campiArticolo();
    static const QStringList &campiReparto();
    // "cat" followed by the counter, at least three digits.
    static QString idReparto(qint64 contatore);

private:
    DatiPrincipali &dati() const;
    ShopState &state() const;
    Database &db() const;

    qint64 aggiungiArticolo(bool dopo);
    // Takes back the article `id` a paste added in the transaction t, which
    // is counted no more; the article list goes back to the row before it.
    void tornaIndietro(Transazione &t, qint64 id, const QVariant &precedente);
    QString aggiungiReparto(bool dopo);
    void CopiaArticoliReparto();
    // Fills the new department's row from the department clipboard.
    bool compilaReparto(const QString &id, const Recordset &clip);

    Negozio &m_negozio;
};
