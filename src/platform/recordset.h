#pragma once
// A recordset: the rows of a query with a current row, following the rules
// the catalogue code was written for. Before the first row is BOF, after the
// last is EOF; an empty recordset is at both. A query on one table
// ("SELECT * FROM t ...") is updatable: edits and additions are written
// through to the table at once. Values are QVariant: an invalid QVariant is
// Null (distinct from ""), Booleans are bool, Currency fields hold Currency.
#include "database.h"

#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class Recordset {
public:
    using Bookmark = qint64;  // the row's identity in its table
    using Predicate = std::function<bool(const Recordset &)>;

    Recordset() = default;
    Recordset(DatabasePtr db, QString sql, QVariantList params = {});

    bool isOpen() const { return m_set != nullptr; }
    // Which rows the recordset holds: changes when it is (re)opened or requeried.
    const void *identita() const { return m_set.get(); }
    const DatabasePtr &database() const { return m_db; }
    const QString &sql() const { return m_sql; }

    // Position.
    bool bof() const;
    bool eof() const;
    bool hasCurrent() const { return !bof() && !eof(); }
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    int recordCount() const;
    int absolutePosition() const;  // 0-based; -1 without a current row
    // Makes the row at a 0-based position current (grids use it).
    void setAbsolutePosition(int posizione);
    // A field of the row at a 0-based position, without moving.
    QVariant valueAt(int posizione, int column) const;

    // Searches from the first row (findFirst), the row after the current one
    // (findNext), and so on. On no match the current row stays and noMatch()
    // is true.
    bool findFirst(const Predicate &p);
    bool findNext(const Predicate &p);
    bool findLast(const Predicate &p);
    bool findPrevious(const Predicate &p);
    // The usual criterion: a field equal to a value, text compared as the
    // catalogue compares it (letter case aside).
    bool findFirst(const QString &field, const QVariant &value);
    bool noMatch() const { return m_noMatch; }

    Bookmark bookmark() const;
    void setBookmark(Bookmark b);
    Bookmark lastModified() const { return m_lastModified; }

    // Fields of the current row (or of the row being edited or added).
    QVariant value(const QString &field) const;
    QVariant value(int column) const;
    QString text(const QString &field) const;  // Null reads as ""
    QStringList fieldNames() const;
    int fieldIndex(const QString &field) const;  // -1 when missing
    bool hasField(const QString &field) const { return fieldIndex(field) >= 0; }
    // The base table's column behind a field (nullptr for computed fields).
    const ColumnInfo *column(const QString &field) const;

    // Changes.
    void addNew();   // AutoNumber fields are readable right away
    void edit();
    void setValue(const QString &field, const QVariant &v);
    void update();   // writes the row; after addNew the current row stays as it was
    void cancelUpdate();
    void remove();   // the current row is deleted; move to leave it
    bool editing() const { return m_mode != Mode::None; }
    bool adding() const { return m_mode == Mode::Add; }

    void requery();
    // A second cursor on the same rows, with a position of its own.
    Recordset clone() const;
    void close();

    // What a data source needs of its recordset. onLeaveRow runs before the
    // current row changes (a move, a find, addNew, requery); returning false
    // keeps the row where it is. onBeforeUpdate runs when an edited row is
    // about to be written, so that the pending edits of bound fields go with
    // it, and onAfterUpdate once it is written. onReposition runs after every
    // change of the current row.
    std::function<bool()> onLeaveRow;
    std::function<void()> onBeforeUpdate;
    std::function<void()> onAfterUpdate;
    std::function<void()> onReposition;

    // Values as the catalogue stores them, checked against the field's kind.
    static QVariant toStorage(const ColumnInfo &c, const QVariant &v, const QString &table);
    static QVariant fromStorage(const ColumnInfo *c, const QVariant &v);
    // The same for a value as the engine stores it (LetturaDiretta::cella),
    // the usual pairs of stored and field kind without a stored value made
    // first.
    static QVariant fromStorage(const ColumnInfo *c, const CellaLetta &v);
    // Text comparison as the catalogue does it: letter case aside.
    static bool sameValue(const QVariant &a, const QVariant &b);
    // The error of a read or a move that needs a current row.
    static DbError noCurrent();

private:
    struct Row {
        Bookmark id = 0;
        QVariantList values;
        bool deleted = false;
    };
    struct RowSet {
        QStringList names;
        QHash<QString, int> index;  // lower-case name -> column
        std::vector<const ColumnInfo *> columns;  // base-table column or nullptr
        std::vector<Row> rows;
        int live = 0;   // rows not deleted: kept so position tests stay cheap
        QString table;  // base table when updatable
        TableInfo tableInfo;
    };
    enum class Mode { None, Edit, Add };

    void load();
    bool leaveRow();
    void moved();
    void requireCurrent() const;
    const Row *currentRow() const;
    int seek(int from, int step, const Predicate &p) const;
    int nextLive(int from, int step) const;
    int rowAt(int posizione) const;  // index in rows of a live position, -1 when out of range

    DatabasePtr m_db;
    QString m_sql;
    QVariantList m_params;
    std::shared_ptr<RowSet> m_set;
    int m_pos = -1;  // -1: BOF; rows.size(): EOF
    bool m_noMatch = false;
    Mode m_mode = Mode::None;
    QVariantList m_buffer;
    QVector<bool> m_dirty;
    Bookmark m_lastModified = 0;
};
