#pragma once
// The navigation of the generated shop: the department tree of every
// department page (page field `reparti`), the same tree as a drop-down menu
// (`repartimenu`), the path of parent departments above a title, the list of
// sub-departments below it, page file names and plain and pop-up links.
//
// The departments are read once per build into memory (rows in level and
// sort order, an ID map and child lists), so that the fragments of a page
// cost no query and the lines of each department are composed only once.
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

// The page file of page `numero` of a department: "base.htm", "base_p2.htm", ...
QString PageFile(const QString &Testo, int numero);
// A link to `link` around `Testo`, or `Testo` alone when either is empty.
QString PutLink(const QString &Testo, const QString &link, bool esterno);
// True for a page base name that is a plain file name, the same on every
// server and in every link: letters without accents, digits, "-" and "_".
bool NomePaginaValido(const QString &nome);
// True for a department model name that stays in the template set's folder.
bool NomeModelloValido(const QString &nome);
// A link that runs the script call `link`, or `Testo` alone.
QString PutOnClick(const QString &Testo, const QString &link);

// The department menu's form around its options; the home page's menu
// starts with an empty, selected option whose value is "#".
QString FormMenu(const QString &opzioni, bool conVoceVuota);

// One department row as the navigation and the build read it.
struct Reparto {
    QString ID, genitore, pagina, modello, titolo;
    QVariant genitoreValore;  // Null apart from ""
    int livello = 1;
    int maxarticoli = 0;
    QVariant note, descrizione;
    QVariant immagine0, imgX0, imgY0, immagine1, imgX1, imgY1;
    QVariant iva, sconto;  // the VAT and discount of its articles, in percent
    QStringList illeggibili;  // the fields among "iva" and "sconto" the build cannot use, each with why
};

class Navigazione {
public:
    // The departments in build order ("livello, ordinamento"), and the
    // highlight pattern: a font element around "###" where the title goes;
    // "" for none.
    explicit Navigazione(std::vector<Reparto> reparti, const QString &modelloEvidenza = {});

    const std::vector<Reparto> &reparti() const { return m_reparti; }
    // Leaves the flagged rows (departments whose pages are not made) out of
    // the tree, the menu and the lists of sub-departments; a link to one
    // becomes its title alone.
    void escludi(const std::vector<char> &esclusi);
    // Index of a department by its ID (letter case aside, as the catalogue
    // compares IDs); -1 when there is none.
    int indice(const QString &ID) const;

    // A plain link to a department's page; "" for a department that has no row.
    QString CatLinkRep(const QString &ID) const;

    // The department tree (albero) and the options of the drop-down menu
    // (opzioni) for the page of sID, in depth-first order from the root: the
    // tree shows only the departments whose ID is in `visibili` (exact), the
    // menu every department; sID's line and option are the selected ones
    // ("###" selects none). The lines are composed once per build.
    void Menu(const QString &sID, const QSet<QString> &visibili, QString &albero, QString &opzioni) const;
    // The same by row: `corrente` is the selected row (-1: none), `visibili`
    // flags the rows the tree shows.
    void Menu(int corrente, const std::vector<char> &visibili, QString &albero, QString &opzioni) const;

    // The rows of the departments below a missing parent or in a loop of
    // parents: no page of the tree reaches them.
    std::vector<int> Irraggiungibili() const;

    // The links of the department's ancestors, top level first; "" for a
    // top-level department or a broken (or looping) chain of parents.
    QString MakePercorsoTitolo(const QString &nID) const;
    // The list of the direct children, or "" when there are none.
    QString MakeSottoreparti(const QString &nID) const;

    // The departments whose lines the tree of ID's page shows: its children,
    // its siblings and itself, every department above the open depth
    // (livello < livelliAperti) and its ancestors.
    QSet<QString> InsiemeMenu(const QString &ID, int livelliAperti) const;
    // The same as flags by row, for the row `indice`; for -1 (the home
    // page) the departments above the open depth.
    std::vector<char> Visibili(int indice, int livelliAperti) const;

private:
    std::vector<char> visibili(const QString &ID, int indice, int livelliAperti) const;
    void indicizza();
    // Every line, then the whole menu.
    void componi();
    // The whole menu from the lines, the excluded rows left out.
    void componiMenu();
    // The department's line in the tree and option in the menu, each as
    // it stands when not selected and when selected.
    void linee(const Reparto &r, QString &linea, QString &lineaSel, QString &opzione, QString &opzioneSel) const;
    bool escluso(int i) const { return m_esclusi[size_t(i)] != 0; }

    QString m_evidenza;
    std::vector<Reparto> m_reparti;
    QHash<QString, int> m_perID;                // lower-case ID -> row
    QHash<QString, std::vector<int>> m_figli;   // lower-case parent ID -> rows in order
    std::vector<int> m_ordine;                  // depth-first order from the root
    std::vector<char> m_esclusi;                // rows without pages
    std::vector<QString> m_linee, m_lineeSel, m_opzioni, m_opzioniSel;
    QString m_menuIntero;                       // every option, none selected
    std::vector<qsizetype> m_inizioOpzione;     // where each row's option starts in m_menuIntero
};
