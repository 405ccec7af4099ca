#pragma once
// The department tree: the root "###" ("Negozio") and one node per
// department, keyed by its ID. The main window shows it; the catalogue
// operations read and rearrange it.
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class AlberoReparti : public QObject {
    Q_OBJECT
public:
    static inline const QString Radice = QStringLiteral("###");

    struct Nodo {
        QString chiave;
        QString testo;
        Nodo *padre = nullptr;
        std::vector<Nodo *> figli;
        bool aperto = false;
        // Shown under the root only because its stored parent does not
        // exist (or would close a cycle); nobody placed it there.
        bool soloMostrato = false;
    };

    // A department row as the tree is rebuilt from it (no parent: the row
    // names none).
    struct Reparto {
        QString chiave, testo;
        std::optional<QString> padre;
    };

    explicit AlberoReparti(QObject *parent = nullptr);

    void svuota();
    // The whole tree again: the root "Negozio" (open), then one node per
    // department in the given order (their place in the node collection,
    // which a re-parenting saves as the sort order), each hung under its
    // parent afterwards, so a parent that comes later still gets its
    // children. A department whose parent does not exist, or would close a
    // cycle, is shown under the root (soloMostrato). haReparti() tells
    // whether any row names a parent. Announced with ricostruito. A key
    // given twice throws std::runtime_error.
    void ricostruisci(const std::vector<Reparto> &reparti);
    Nodo *nodo(const QString &chiave) const;
    bool contiene(const QString &chiave) const { return nodo(chiave) != nullptr; }
    int numeroNodi() const { return int(m_nodi.size()); }
    // Nodes in the order they were added (the node collection).
    const std::vector<std::unique_ptr<Nodo>> &nodi() const { return m_nodi; }

    // Makes the node the last child of nuovoPadre, with its subtree. Refused
    // (false) when nuovoPadre is the node itself or one of its descendants.
    // The node is then where it was put, no longer only shown there.
    bool spostaSotto(const QString &chiave, const QString &nuovoPadre);
    bool discendeDa(const QString &chiave, const QString &antenato) const;
    QString percorso(const QString &chiave) const;  // texts joined with "\"
    int profondita(const QString &chiave) const;    // 0 for the root
    void impostaTesto(const QString &chiave, const QString &testo);

    // Whether the last rebuild put at least one department in the tree (the
    // expand and collapse commands are offered then).
    bool haReparti() const { return m_haReparti; }
    QString selezionato() const { return m_selezionato; }
    void seleziona(const QString &chiave);  // also makes it visible

signals:
    void ricostruito();                     // nodes added, removed or moved
    void selezioneCambiata(const QString &chiave);
    void testoCambiato(const QString &chiave);

private:
    Nodo &nuovoNodo(const QString &chiave, const QString &testo);
    void appendi(Nodo *figlio, Nodo *padre);

    std::vector<std::unique_ptr<Nodo>> m_nodi;
    QHash<QString, Nodo *> m_perChiave;
    bool m_haReparti = false;
    QString m_selezionato;
};
