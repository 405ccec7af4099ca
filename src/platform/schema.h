#pragma once
// Field kinds of the catalogue databases and the description of a table.
// The SQL declared type of each column names its kind ("TEXT(50)", "CURRENCY",
// ...), so any database file tells the layer how to convert and check values.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

enum class FieldType {
    Text,        // Text(size)
    Memo,        // text of any length
    Boolean,     // stored -1 / 0
    Byte,
    Integer,     // 16 bits
    Long,        // 32 bits
    Single,
    Double,
    Currency,    // exact, 64-bit integer scaled by 10,000
    DateTime,    // ISO text "yyyy-MM-ddTHH:mm:ss"
    AutoNumber,  // Long, INTEGER PRIMARY KEY AUTOINCREMENT, never reused
};

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;              // Text only
    bool allowEmpty = true;    // Text and Memo: "" accepted
    QVariant defaultValue {};  // invalid: no default
    bool exact = false;        // Text: compared letter case included
};

struct IndexDef {
    QString name;
    QStringList fields;
    bool unique = false;
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;

    const FieldDef *field(const QString &name) const;
};

struct DatabaseDef {
    std::vector<TableDef> tables;
    const TableDef *table(const QString &name) const;
};

// SQL of a column: quoted name, declared type, default and the checks that
// enforce the kind (size, numbers only, empty text).
QString columnSql(const FieldDef &f);
QString createTableSql(const TableDef &t);
QString createIndexSql(const TableDef &t, const IndexDef &i);

// Declared type of a kind, and back.
QString declaredType(const FieldDef &f);
// Parses a declared type; returns false for a type this layer does not know.
bool parseDeclaredType(const QString &declared, FieldType &type, int &size);
