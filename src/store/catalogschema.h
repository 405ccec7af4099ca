#pragma once
// The one definition of the shop's databases: catalog.mdb (catalogue and
// settings), vtftp.mdb (upload records) and source.new (the build's empty
// work database). It creates the empty shop and test fixtures and drives the
// in-place upgrade.
#include "database.h"
#include "schema.h"

namespace CatalogSchema {

const DatabaseDef &catalog();
const DatabaseDef &uploadRecords();  // vtftp.mdb
const DatabaseDef &workDatabase();   // source.new

// The template set a new shop starts with.
inline const QString DefaultTemplateSet = QStringLiteral("classico");

// Creates the databases of an empty shop in a folder, with the rows a new
// shop needs, and its work, online and scripts folders. Its catalogue, which
// will hold the FTP password, is readable by its owner only, unless it is one
// of the program folder's shops that every user copies from.
void createEmptyShop(const QString &folder, Database::Lettori catalogo = Database::Lettori::Proprietario);

// Fills a freshly created catalog.mdb with the rows of a new shop.
void fillNewCatalog(Database &db);

} // namespace CatalogSchema
