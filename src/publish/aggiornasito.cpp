#include "aggiornasito.h"

#include "settings.h"

#include <QFile>

namespace {
const QString App = QStringLiteral("Vetrasto"), Sezione = QStringLiteral("AppIni"), Chiave = QStringLiteral("NoShow");
}

bool AvvisoAggiornamentoDaMostrare()
{
    return SettingsStore::get(App, Sezione, Chiave) != QLatin1String("1");
}

void NonMostrarePiuAvvisoAggiornamento()
{
    SettingsStore::set(App, Sezione, Chiave, QStringLiteral("1"));
}

QString MessaggioNegozioDaCostruire()
{
    return QStringLiteral("E' necessario costruire il negozio prima di aggiornare il sito");
}

bool ListaCaricamentoPresente(const QString &percorsoNegozio)
{
    QFile lista(percorsoNegozio + QStringLiteral("/vtftp.dat"));
    return !percorsoNegozio.isEmpty() && lista.open(QIODevice::ReadOnly);
}

void ComandoAggiornaSito(const QString &percorsoNegozio, Messages &messages, const FinestreAggiornamento &finestre)
{
    if (AvvisoAggiornamentoDaMostrare() && !finestre.avviso())
        return;
    AggiornaSito(percorsoNegozio, messages, finestre);
}

void AggiornaSito(const QString &percorsoNegozio, Messages &messages, const FinestreAggiornamento &finestre)
{
    if (!ListaCaricamentoPresente(percorsoNegozio)) {
        messages.warning(MessaggioNegozioDaCostruire());
        return;
    }
    if (!finestre.impostaTrasferimento())
        return;
    if (!finestre.pubblica())
        messages.warning(MessaggioNegozioDaCostruire());
}
