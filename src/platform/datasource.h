#pragma once
// A data source: the window's data control. It holds a database name and a
// record source, opens its recordset on refresh, and signals Reposition
// whenever the current row changes (a move, a find, a refresh).
#include "recordset.h"

#include <QObject>

class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(const QString &name, QObject *parent = nullptr);

    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString &path) { m_databaseName = path; }
    QString recordSource() const { return m_sql; }
    void setRecordSource(const QString &sql, const QVariantList &params = {});

    // Opens the recordset from the record source and raises Reposition.
    void refresh();
    bool isOpen() const { return m_recordset.isOpen(); }
    Recordset &recordset() { return m_recordset; }
    const Recordset &recordset() const { return m_recordset; }
    void close();

signals:
    void reposition();

private:
    QString m_databaseName;
    QString m_sql;
    QVariantList m_params;
    Recordset m_recordset;
};
