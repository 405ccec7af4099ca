// vetrasto-bench SUBCOMMAND [ARGS]: one measurement per subcommand, each
// printing "name: value unit" lines.
#include <cstdio>
#include <cstring>

int benchBuild(int argc, char **argv);
int benchCatalogue(int argc, char **argv);
int benchOpen(int argc, char **argv);
int benchPictures(int argc, char **argv);
int benchSearch(int argc, char **argv);
int benchImport(int argc, char **argv);
int benchEditor(int argc, char **argv);
int benchPublish(int argc, char **argv);
int benchMerge(int argc, char **argv);

namespace {
struct Comando {
    const char *nome;
    int (*esegui)(int argc, char **argv);
};
const Comando comandi[] = {
    {"build", benchBuild},
    {"catalogue", benchCatalogue},
    {"open", benchOpen},
    {"pictures", benchPictures},
    {"search", benchSearch},
    {"import", benchImport},
    {"editor", benchEditor},
    {"publish", benchPublish},
    {"merge", benchMerge},
};
} // namespace

int main(int argc, char **argv)
{
    for (const Comando &c : comandi)
        if (argc > 1 && std::strcmp(argv[1], c.nome) == 0)
            return c.esegui(argc, argv);
    std::fprintf(stderr, "usage: vetrasto-bench SUBCOMMAND [ARGS]\nsubcommands:");
    for (const Comando &c : comandi)
        std::fprintf(stderr, " %s", c.nome);
    std::fprintf(stderr, "\n");
    return 2;
}
