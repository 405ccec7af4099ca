#pragma once
// A grid on a data source: the rows of its recordset in the chosen columns,
// the current row kept in step both ways (a click moves the data source; a
// move of the data source selects the row), and cells that write through to
// the table. A value the database refuses is announced with rifiutato(); the
// cell keeps its stored value. A row clicked that the data source cannot move
// to is announced with rigaNonRaggiunta(), and the selection goes back to the
// data source's row. A row written elsewhere (the details' fields, a paste)
// shows at once. Amounts are right-aligned, shown in the format given to the
// grid and edited in the merchant's notation.
#include "currency.h"
#include "datasource.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>

class QTableView;

class ModelloGriglia : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Colonna {
        QString campo;
        QString intestazione;
        bool modificabile = true;
    };

    ModelloGriglia(DataSource &sorgente, QList<Colonna> colonne, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    // Shows the model in a table view and keeps the view's current row and
    // the data source's in step.
    void collega(QTableView *vista);
    // How an amount reads in the grid (by default as it is edited).
    void setTestoImporto(std::function<QString(Currency)> testo) { m_testoImporto = std::move(testo); }

signals:
    // A typed value could not be stored: the field refused (the cell's own,
    // or a field of the row's pending edits that the engine names), what was
    // typed into the cell, and the engine's number and text.
    void rifiutato(const QString &campo, const QString &digitato, int numero, const QString &descrizione);
    // The data source could not move to the row clicked: the engine's number
    // and text.
    void rigaNonRaggiunta(int numero, const QString &descrizione);

private:
    void ricarica();
    void selezionaCorrente();
    void rigaScritta();

    DataSource &m_sorgente;
    QList<Colonna> m_colonne;
    QTableView *m_vista = nullptr;
    bool m_sincronizzando = false;
    int m_righe = 0;
    const void *m_insieme = nullptr;  // which rows the model shows (reset when they change)
    std::function<QString(Currency)> m_testoImporto;
};
