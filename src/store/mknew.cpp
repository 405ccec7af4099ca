// Writes the empty shop (the program folder's "new") from the schema.
#include "catalogschema.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "uso: vetrasto-mknew CARTELLA\n");
        return 2;
    }
    try {
        // Read by every user of the program; the shops copied from it are
        // their owner's only.
        CatalogSchema::createEmptyShop(QString::fromLocal8Bit(argv[1]), Database::Lettori::Tutti);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
