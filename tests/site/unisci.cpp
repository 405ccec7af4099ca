// vetrasto-unisci MODELLO USCITA: merges a Perl script of the program's code
// folder into USCITA as the build merges it, with a page row whose fields (those of
// the work table `categoria`) take the values given as a JSON object on
// standard input; fields not given stay empty. The scripts' tests run what
// the build's own merger writes.
#include "catalogschema.h"
#include "make.h"
#include "scriptedmessages.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "uso: vetrasto-unisci MODELLO USCITA < valori.json\n");
        return 2;
    }
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return 2;
    QJsonParseError errore;
    const QJsonObject valori = QJsonDocument::fromJson(in.readAll(), &errore).object();
    if (errore.error != QJsonParseError::NoError) {
        std::fprintf(stderr, "vetrasto-unisci: %s\n", qPrintable(errore.errorString()));
        return 2;
    }
    QStringList nomi;
    for (const FieldDef &f : CatalogSchema::workDatabase().table(QStringLiteral("categoria"))->fields)
        nomi << f.name;
    Riga pagina(std::make_shared<const CampiTabella>(nomi));
    for (auto it = valori.begin(); it != valori.end(); ++it)
        pagina.imposta(it.key(), it.value().toString());
    ScriptedMessages messages;
    if (!MakePagina(RigaPerPerl(pagina), nullptr, QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), messages)) {
        std::fprintf(stderr, "vetrasto-unisci: %s\n", qPrintable(messages.texts().join(u'\n')));
        return 1;
    }
    return 0;
}
