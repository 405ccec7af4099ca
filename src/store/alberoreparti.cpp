#include "alberoreparti.h"

#include <QHash>
#include <stdexcept>

AlberoReparti::AlberoReparti(QObject *parent) : QObject(parent) {}

void AlberoReparti::svuota()
{
    m_nodi.clear();
    m_perChiave.clear();
    m_selezionato.clear();
}

AlberoReparti::Nodo &AlberoReparti::nuovoNodo(const QString &chiave, const QString &testo)
{
    if (m_perChiave.contains(chiave))
        throw std::runtime_error(QStringLiteral("Chiave duplicata: %1").arg(chiave).toStdString());
    auto n = std::make_unique<Nodo>();
    n->chiave = chiave;
    n->testo = testo;
    m_perChiave.insert(chiave, n.get());
    m_nodi.push_back(std::move(n));
    return *m_nodi.back();
}

void AlberoReparti::appendi(Nodo *figlio, Nodo *padre)
{
    figlio->padre = padre;
    padre->figli.push_back(figlio);
}

void AlberoReparti::ricostruisci(const std::vector<Reparto> &reparti)
{
    svuota();
    m_nodi.reserve(reparti.size() + 1);
    m_perChiave.reserve(qsizetype(reparti.size()) + 1);
    Nodo &radice = nuovoNodo(Radice, QStringLiteral("Negozio"));
    radice.aperto = true;
    bool haPadre = false;
    std::vector<Nodo *> nuovi;
    nuovi.reserve(reparti.size());
    for (const Reparto &r : reparti) {
        nuovi.push_back(&nuovoNodo(r.chiave, r.testo));
        haPadre = haPadre || r.padre.has_value();
    }
    for (size_t i = 0; i < reparti.size(); ++i) {
        Nodo *n = nuovi[i];
        const QString padre = reparti[i].padre.value_or(Radice);
        Nodo *p = padre == Radice ? nullptr : nodo(padre);
        // A parent that does not exist, or one that would close a cycle of
        // parents (it hangs, so far, below this node), gives the root.
        for (const Nodo *sopra = p; sopra && p; sopra = sopra->padre)
            if (sopra == n)
                p = nullptr;
        appendi(n, p ? p : &radice);
        n->soloMostrato = !p && padre != Radice;
    }
    m_haReparti = haPadre;
    emit ricostruito();
}

AlberoReparti::Nodo *AlberoReparti::nodo(const QString &chiave) const
{
    return m_perChiave.value(chiave, nullptr);
}

bool AlberoReparti::discendeDa(const QString &chiave, const QString &antenato) const
{
    const Nodo *a = nodo(antenato);
    for (const Nodo *n = nodo(chiave); n; n = n->padre)
        if (n == a)
            return true;
    return false;
}

bool AlberoReparti::spostaSotto(const QString &chiave, const QString &nuovoPadre)
{
    Nodo *n = nodo(chiave);
    Nodo *p = nodo(nuovoPadre);
    if (!n || !p || discendeDa(nuovoPadre, chiave))
        return false;
    if (n->padre)
        std::erase(n->padre->figli, n);
    n->soloMostrato = false;
    appendi(n, p);
    emit ricostruito();
    return true;
}

QString AlberoReparti::percorso(const QString &chiave) const
{
    QStringList parti;
    int guardia = numeroNodi() + 1;
    for (const Nodo *n = nodo(chiave); n && guardia-- > 0; n = n->padre)
        parti.prepend(n->testo);
    return parti.join(u'\\');
}

int AlberoReparti::profondita(const QString &chiave) const
{
    int d = -1;
    int guardia = numeroNodi() + 1;
    for (const Nodo *n = nodo(chiave); n && guardia-- > 0; n = n->padre)
        ++d;
    return d;
}

void AlberoReparti::impostaTesto(const QString &chiave, const QString &testo)
{
    if (Nodo *n = nodo(chiave)) {
        n->testo = testo;
        emit testoCambiato(chiave);
    }
}

void AlberoReparti::seleziona(const QString &chiave)
{
    if (!nodo(chiave))
        throw std::runtime_error(QStringLiteral("Nodo non trovato: %1").arg(chiave).toStdString());
    m_selezionato = chiave;
    // Making a node visible expands its ancestors.
    for (Nodo *n = nodo(chiave)->padre; n; n = n->padre)
        n->aperto = true;
    emit selezioneCambiata(chiave);
}
