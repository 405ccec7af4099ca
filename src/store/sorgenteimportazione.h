#pragma once
// What the import reads from another program's database: whole tables, a
// list of named fields per row, in the table's order. Values are Null
// (invalid QVariant), text, whole numbers, doubles or Currency amounts.
// The real source reads an Access file (src/zendaro); tests use a double.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

// A source that cannot be read: missing, locked, not a database, or without
// a table or field asked for. The text says which, for the merchant.
class ErroreSorgente : public std::runtime_error {
public:
    explicit ErroreSorgente(const QString &testo) : std::runtime_error(testo.toStdString()), testo(testo) {}
    QString testo;
};

class SorgenteImportazione {
public:
    virtual ~SorgenteImportazione() = default;
    // Every row of `tabella`, with the values of `campi` in that order.
    // Names are compared without regard to letter case. Throws
    // ErroreSorgente when the table or one of the fields is missing.
    virtual std::vector<QVariantList> leggi(const QString &tabella, const QStringList &campi) = 0;
};

// Opens the source database file; throws ErroreSorgente when it cannot.
using ApriSorgente = std::function<std::unique_ptr<SorgenteImportazione>(const QString &file)>;
