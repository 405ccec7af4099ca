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
        CatalogSchema::createEmptyShop(QString::fromLocal8Bit(argv[1]));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
