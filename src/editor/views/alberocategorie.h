#pragma once
// The department tree tvwCategorie: the store's tree shown as a tree widget,
// its node clicks, and the drag and drop that moves a department under
// another node. A drag is armed by a left press on a department while the
// window allows it, started by the next mouse move, highlights the node under
// the pointer, and drops on release. A node reached with the keys is chosen
// as a click chooses it; Ctrl with an arrow only scrolls.
#include <QHash>
#include <QTreeWidget>
#include <functional>

class AlberoReparti;

class AlberoCategorie : public QTreeWidget {
    Q_OBJECT
public:
    AlberoCategorie(AlberoReparti &albero, QWidget *parent = nullptr);

    // Whether a press may arm a drag now (the departments view with a
    // department current).
    std::function<bool()> trascinamentoConsentito;

    QTreeWidgetItem *item(const QString &key) const { return m_items.value(key); }
    static QString chiave(const QTreeWidgetItem *item);
    // The key of the node the drop would land on ("" when none).
    QString evidenziato() const { return m_evidenziato; }
    // The node of the current department (or the root) is the selected one.
    void riselezionaCorrente();

signals:
    // A node chosen with the mouse or the keys.
    void nodoCliccato(const QString &key);
    // A department dropped on another node ("###": the root).
    void spostamentoRichiesto(const QString &origine, const QString &destinazione);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void ricostruisci();
    void evidenzia(const QString &key);

    AlberoReparti &m_albero;
    QHash<QString, QTreeWidgetItem *> m_items;
    enum class Stato { Fermo, Armato, Trascina } m_stato = Stato::Fermo;
    QString m_trascinato;
    QString m_evidenziato;
};
