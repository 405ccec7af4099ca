#include "alberoreparti.h"

#include <QHash>
#include <stdexcept>

AlberoReparti::AlberoReparti(QObject *parent) : QObject(parent) {}

void AlberoReparti::clear()
{
    m_nodes.clear();
    m_byKey.clear();
    m_selected.clear();
}

AlberoReparti::Nodo &AlberoReparti::add(const QString &parentKey, const QString &key, const QString &text)
{
    if (m_byKey.contains(key))
        throw std::runtime_error(QStringLiteral("Chiave duplicata: %1").arg(key).toStdString());
    Nodo *parent = nullptr;
    if (!parentKey.isNull()) {
        parent = node(parentKey);
        if (!parent)
            throw std::runtime_error(QStringLiteral("Nodo non trovato: %1").arg(parentKey).toStdString());
    }
    auto n = std::make_unique<Nodo>();
    n->key = key;
    n->text = text;
    n->parent = parent;
    if (parent)
        parent->children.push_back(n.get());
    m_byKey.insert(key, n.get());
    m_nodes.push_back(std::move(n));
    return *m_nodes.back();
}

AlberoReparti::Nodo &AlberoReparti::addUnattached(const QString &key, const QString &text)
{
    if (m_byKey.contains(key))
        throw std::runtime_error(QStringLiteral("Chiave duplicata: %1").arg(key).toStdString());
    auto n = std::make_unique<Nodo>();
    n->key = key;
    n->text = text;
    m_byKey.insert(key, n.get());
    m_nodes.push_back(std::move(n));
    return *m_nodes.back();
}

void AlberoReparti::attach(const QString &key, const QString &parentKey)
{
    Nodo *n = node(key);
    Nodo *p = node(parentKey);
    if (!n || !p || n->parent)
        throw std::runtime_error(QStringLiteral("Nodo non collegabile: %1").arg(key).toStdString());
    n->parent = p;
    p->children.push_back(n);
}

AlberoReparti::Nodo *AlberoReparti::node(const QString &key) const
{
    return m_byKey.value(key, nullptr);
}

int AlberoReparti::index(const QString &key) const
{
    for (int i = 0; i < int(m_nodes.size()); ++i)
        if (m_nodes[i]->key == key)
            return i;
    return -1;
}

bool AlberoReparti::isDescendant(const QString &key, const QString &ancestor) const
{
    const Nodo *a = node(ancestor);
    for (const Nodo *n = node(key); n; n = n->parent)
        if (n == a)
            return true;
    return false;
}

bool AlberoReparti::setParent(const QString &key, const QString &newParent)
{
    Nodo *n = node(key);
    Nodo *p = node(newParent);
    if (!n || !p || isDescendant(newParent, key))
        return false;
    if (n->parent)
        std::erase(n->parent->children, n);
    n->parent = p;
    n->soloMostrato = false;
    p->children.push_back(n);
    emit rebuilt();
    return true;
}

QString AlberoReparti::fullPath(const QString &key) const
{
    QStringList parts;
    int guard = count() + 1;
    for (const Nodo *n = node(key); n && guard-- > 0; n = n->parent)
        parts.prepend(n->text);
    return parts.join(u'\\');
}

int AlberoReparti::depth(const QString &key) const
{
    int d = -1;
    int guard = count() + 1;
    for (const Nodo *n = node(key); n && guard-- > 0; n = n->parent)
        ++d;
    return d;
}

void AlberoReparti::setText(const QString &key, const QString &text)
{
    if (Nodo *n = node(key)) {
        n->text = text;
        emit textChanged(key);
    }
}

void AlberoReparti::select(const QString &key)
{
    if (!node(key))
        throw std::runtime_error(QStringLiteral("Nodo non trovato: %1").arg(key).toStdString());
    m_selected = key;
    // Making a node visible expands its ancestors.
    for (Nodo *n = node(key)->parent; n; n = n->parent)
        n->expanded = true;
    emit selectionChanged(key);
}
