#include "griglia.h"

#include "currency.h"
#include "regole.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

ModelloGriglia::ModelloGriglia(DataSource &sorgente, QList<Colonna> colonne, QObject *parent)
    : QAbstractTableModel(parent), m_sorgente(sorgente), m_colonne(std::move(colonne))
{
    connect(&m_sorgente, &DataSource::reposition, this, &ModelloGriglia::ricarica);
    connect(&m_sorgente, &DataSource::scritto, this, &ModelloGriglia::rigaScritta);
    ricarica();
}

int ModelloGriglia::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_righe;
}

int ModelloGriglia::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_colonne.size());
}

QVariant ModelloGriglia::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole)
        return {};
    const Recordset &rs = m_sorgente.recordset();
    if (!rs.isOpen())
        return {};
    const Colonna &c = m_colonne.at(index.column());
    if (role == Qt::TextAlignmentRole) {
        const ColumnInfo *col = rs.column(c.campo);
        const bool numero = col && col->type != FieldType::Text && col->type != FieldType::Memo
                            && col->type != FieldType::Boolean && col->type != FieldType::DateTime;
        return QVariant::fromValue(Qt::AlignVCenter | (numero ? Qt::AlignRight : Qt::AlignLeft));
    }
    const QVariant v = rs.valueAt(index.row(), rs.fieldIndex(c.campo));
    if (!v.isValid() || v.isNull())
        return QString();
    if (v.metaType() == QMetaType::fromType<Currency>()) {
        const Currency importo = v.value<Currency>();
        if (role == Qt::DisplayRole && m_testoImporto)
            return m_testoImporto(importo);
        return Regole::testoNumero(importo.toDouble());
    }
    return v.toString();
}

QVariant ModelloGriglia::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_colonne.value(section).intestazione;
    return {};
}

Qt::ItemFlags ModelloGriglia::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_colonne.value(index.column()).modificabile)
        f |= Qt::ItemIsEditable;
    return f;
}

bool ModelloGriglia::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole)
        return false;
    Recordset &rs = m_sorgente.recordset();
    const Colonna &c = m_colonne.at(index.column());
    try {
        if (rs.absolutePosition() != index.row())
            rs.setAbsolutePosition(index.row());
        if (rs.absolutePosition() != index.row())
            return false;  // the row could not be left
        QVariant v = value;
        // A number column takes a number in the merchant's notation; an
        // empty cell is refused like any other text that is not one.
        if (const ColumnInfo *col = rs.column(c.campo); col && col->type != FieldType::Text && col->type != FieldType::Memo) {
            const auto n = Regole::numero(value.toString());
            if (!n)
                throw DbError(DbErr::ConversionError,
                              QStringLiteral("Il valore \"%1\" non è un numero.").arg(value.toString()), c.campo);
            v = *n;
        }
        rs.edit();
        rs.setValue(c.campo, v);
        rs.update();
    } catch (const DbError &e) {
        rs.cancelUpdate();
        emit rifiutato(e.campo.isEmpty() ? c.campo : e.campo, value.toString(), e.number, e.description);
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

void ModelloGriglia::ricarica()
{
    const Recordset &rs = m_sorgente.recordset();
    const int righe = rs.isOpen() ? rs.recordCount() : 0;
    if (righe != m_righe || rs.identita() != m_insieme) {
        beginResetModel();
        m_righe = righe;
        m_insieme = rs.identita();
        endResetModel();
    } else if (m_righe > 0) {
        emit dataChanged(index(0, 0), index(m_righe - 1, columnCount() - 1));
    }
    selezionaCorrente();
}

void ModelloGriglia::rigaScritta()
{
    const Recordset &rs = m_sorgente.recordset();
    const int riga = rs.isOpen() ? rs.absolutePosition() : -1;
    if (riga >= 0 && riga < m_righe)
        emit dataChanged(index(riga, 0), index(riga, columnCount() - 1));
}

void ModelloGriglia::selezionaCorrente()
{
    if (!m_vista || m_sincronizzando)
        return;
    m_sincronizzando = true;
    const int riga = m_sorgente.recordset().isOpen() ? m_sorgente.recordset().absolutePosition() : -1;
    QItemSelectionModel *sel = m_vista->selectionModel();
    if (riga < 0) {
        sel->clearSelection();
        sel->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    } else {
        const QModelIndex i = index(riga, std::max(0, m_vista->currentIndex().column()));
        sel->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_vista->scrollTo(i);
    }
    m_sincronizzando = false;
}

void ModelloGriglia::collega(QTableView *vista)
{
    m_vista = vista;
    vista->setModel(this);
    vista->setSelectionBehavior(QAbstractItemView::SelectRows);
    vista->setSelectionMode(QAbstractItemView::SingleSelection);
    vista->verticalHeader()->setDefaultSectionSize(vista->fontMetrics().height() + 6);
    connect(vista->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (m_sincronizzando || !current.isValid())
                    return;
                Recordset &rs = m_sorgente.recordset();
                if (!rs.isOpen() || rs.absolutePosition() == current.row())
                    return;
                m_sincronizzando = true;
                try {
                    rs.setAbsolutePosition(current.row());
                } catch (const DbError &e) {
                    emit rigaNonRaggiunta(e.number, e.description);
                }
                m_sincronizzando = false;
                // The row may have stayed where it was (an edit that could
                // not be saved, a row that could not be reached).
                selezionaCorrente();
            });
    selezionaCorrente();
}
