#pragma once
// The department tree: the root "###" ("Negozio") and one node per
// department, keyed by its ID. The main window shows it; the catalogue
// operations read and rearrange it.
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class AlberoReparti : public QObject {
    Q_OBJECT
public:
    static inline const QString Radice = QStringLiteral("###");

    struct Nodo {
        QString key;
        QString text;
        Nodo *parent = nullptr;
        std::vector<Nodo *> children;
        bool expanded = false;
        // Shown under the root only because its stored parent does not
        // exist (or would close a cycle); nobody placed it there.
        bool soloMostrato = false;
    };

    explicit AlberoReparti(QObject *parent = nullptr);

    void clear();
    // Adds a node as the last child of parentKey; throws std::runtime_error
    // for a key already present or a parent that does not exist.
    Nodo &add(const QString &parentKey, const QString &key, const QString &text);
    // For a rebuild that places each node in the collection first and hangs
    // it under its parent afterwards: a node with no parent yet, and the
    // step that makes it the last child of an existing node. Neither signals.
    Nodo &addUnattached(const QString &key, const QString &text);
    void attach(const QString &key, const QString &parentKey);
    Nodo *node(const QString &key) const;
    bool contains(const QString &key) const { return node(key) != nullptr; }
    int count() const { return int(m_nodes.size()); }
    // Nodes in the order they were added (the node collection).
    const std::vector<std::unique_ptr<Nodo>> &nodes() const { return m_nodes; }
    int index(const QString &key) const;  // position in the node collection, -1 if absent

    // Makes key the last child of newParent, with its subtree. Refused (false)
    // when newParent is the node itself or one of its descendants. The node
    // is then where it was put, no longer only shown there.
    bool setParent(const QString &key, const QString &newParent);
    bool isDescendant(const QString &key, const QString &ancestor) const;
    QString fullPath(const QString &key) const;  // texts joined with "\"
    int depth(const QString &key) const;         // 0 for the root
    void setText(const QString &key, const QString &text);

    bool enabled() const { return m_enabled; }
    void setEnabled(bool e) { m_enabled = e; }
    // Whether the last rebuild put at least one department in the tree (the
    // expand and collapse commands are offered then).
    bool haReparti() const { return m_haReparti; }
    void setHaReparti(bool h) { m_haReparti = h; }
    QString selected() const { return m_selected; }
    void select(const QString &key);  // also makes it visible

signals:
    void rebuilt();                     // nodes added, removed or moved
    void selectionChanged(const QString &key);
    void textChanged(const QString &key);

public:
    // Callers that add many nodes announce the end of a rebuild.
    void notifyRebuilt() { emit rebuilt(); }

private:
    std::vector<std::unique_ptr<Nodo>> m_nodes;
    QHash<QString, Nodo *> m_byKey;
    bool m_enabled = true;
    bool m_haReparti = false;
    QString m_selected;
};
