#pragma once
// What the shipping tests compare: the seven shipping tables as text.
#include "database.h"

#include <QString>

// Every row, key and counter of the seven shipping tables, with their
// definitions, as text: two dumps are equal when the tables are.
QString dumpTabelle(Database &db);
