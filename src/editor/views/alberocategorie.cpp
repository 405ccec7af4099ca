#include "alberocategorie.h"

#include "alberoreparti.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

AlberoCategorie::AlberoCategorie(AlberoReparti &albero, QWidget *parent) : QTreeWidget(parent), m_albero(albero)
{
    setObjectName(QStringLiteral("tvwCategorie"));
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(&albero, &AlberoReparti::ricostruito, this, &AlberoCategorie::ricostruisci);
    connect(&albero, &AlberoReparti::selezioneCambiata, this, [this](const QString &key) {
        if (QTreeWidgetItem *i = m_items.value(key)) {
            scrollToItem(i);
            setCurrentItem(i);
        }
    });
    connect(&albero, &AlberoReparti::testoCambiato, this, [this](const QString &key) {
        if (QTreeWidgetItem *i = m_items.value(key))
            i->setText(0, m_albero.nodo(key)->testo);
    });
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *i) {
        if (i)
            emit nodoCliccato(chiave(i));
    });
}

QString AlberoCategorie::chiave(const QTreeWidgetItem *item)
{
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

void AlberoCategorie::ricostruisci()
{
    setUpdatesEnabled(false);
    clear();
    m_items.clear();
    m_items.reserve(qsizetype(m_albero.nodi().size()));
    m_evidenziato.clear();
    // Each node under its parent in the order of the parent's children (a
    // node's place in the collection may come before its parent's). The
    // items are made apart from the tree and put in it at once.
    std::vector<std::pair<const AlberoReparti::Nodo *, QTreeWidgetItem *>> pila;
    for (const auto &n : m_albero.nodi())
        if (!n->padre)
            pila.emplace_back(n.get(), nullptr);
    std::reverse(pila.begin(), pila.end());
    QList<QTreeWidgetItem *> cime;
    while (!pila.empty()) {
        const auto [n, padre] = pila.back();
        pila.pop_back();
        auto *i = new QTreeWidgetItem;
        i->setText(0, n->testo);
        i->setData(0, Qt::UserRole, n->chiave);
        if (padre)
            padre->addChild(i);
        else
            cime << i;
        m_items.insert(n->chiave, i);
        for (auto it = n->figli.rbegin(); it != n->figli.rend(); ++it)
            pila.emplace_back(*it, i);
    }
    addTopLevelItems(cime);
    for (const auto &n : m_albero.nodi())
        if (n->aperto)
            m_items.value(n->chiave)->setExpanded(true);
    setUpdatesEnabled(true);
}

void AlberoCategorie::evidenzia(const QString &key)
{
    if (key == m_evidenziato)
        return;
    if (QTreeWidgetItem *prima = m_items.value(m_evidenziato))
        prima->setData(0, Qt::BackgroundRole, QVariant());
    m_evidenziato = key;
    if (QTreeWidgetItem *ora = m_items.value(key))
        ora->setData(0, Qt::BackgroundRole, palette().color(QPalette::Highlight).lighter(160));
}

void AlberoCategorie::mousePressEvent(QMouseEvent *e)
{
    QTreeWidget::mousePressEvent(e);
    if (e->button() != Qt::LeftButton || !trascinamentoConsentito || !trascinamentoConsentito())
        return;
    const QString key = chiave(itemAt(e->position().toPoint()));
    if (key.isEmpty() || key == AlberoReparti::Radice) {
        m_stato = Stato::Fermo;
        return;
    }
    m_stato = Stato::Armato;
    m_trascinato = key;
}

void AlberoCategorie::mouseMoveEvent(QMouseEvent *e)
{
    if (m_stato == Stato::Armato) {
        m_stato = Stato::Trascina;
        setCursor(Qt::DragMoveCursor);
    }
    if (m_stato == Stato::Trascina) {
        evidenzia(chiave(itemAt(e->position().toPoint())));
        return;
    }
    // A node is chosen by a click, not by sweeping the pointer over the tree.
    if (e->buttons() == Qt::NoButton)
        QTreeWidget::mouseMoveEvent(e);
}

void AlberoCategorie::mouseReleaseEvent(QMouseEvent *e)
{
    const bool drop = m_stato == Stato::Trascina;
    m_stato = Stato::Fermo;
    if (!drop) {
        QTreeWidget::mouseReleaseEvent(e);
        riselezionaCorrente();  // a press and a release on two nodes chose neither
        return;
    }
    unsetCursor();
    const QString destinazione = m_evidenziato;
    evidenzia(QString());
    // A release over empty space does nothing; the store refuses a drop on
    // the department itself or below it.
    if (!destinazione.isEmpty())
        emit spostamentoRichiesto(m_trascinato, destinazione);
    riselezionaCorrente();  // the press marked the dragged node
}

void AlberoCategorie::keyPressEvent(QKeyEvent *e)
{
    // Ctrl with an arrow scrolls the tree and chooses nothing.
    if ((e->key() == Qt::Key_Up || e->key() == Qt::Key_Down) && (e->modifiers() & Qt::ControlModifier)) {
        verticalScrollBar()->triggerAction(e->key() == Qt::Key_Up ? QAbstractSlider::SliderSingleStepSub
                                                                  : QAbstractSlider::SliderSingleStepAdd);
        return;
    }
    // A key that selects another node chooses it.
    const QTreeWidgetItem *prima = selectedItems().value(0);
    QTreeWidget::keyPressEvent(e);
    if (QTreeWidgetItem *ora = selectedItems().value(0); ora && ora != prima)
        emit nodoCliccato(chiave(ora));
}

void AlberoCategorie::riselezionaCorrente()
{
    if (QTreeWidgetItem *i = m_items.value(m_albero.selezionato()); i && i != currentItem())
        setCurrentItem(i);
}
