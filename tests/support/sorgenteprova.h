#pragma once
// A stand-in for another program's database: tables held in memory, read
// through the import's source interface (tests and benchmarks).
#include "sorgenteimportazione.h"

#include <QHash>
#include <algorithm>

struct TabellaProva {
    QStringList campi;
    std::vector<QVariantList> righe;
};

class SorgenteProva : public SorgenteImportazione {
public:
    explicit SorgenteProva(QHash<QString, TabellaProva> tabelle) : m_tabelle(std::move(tabelle)) {}

    std::vector<QVariantList> leggi(const QString &tabella, const QStringList &campi) override
    {
        // Names are found whatever their letter case, as in a real source.
        const auto uguali = [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; };
        const TabellaProva *trovata = nullptr;
        for (auto i = m_tabelle.cbegin(); i != m_tabelle.cend(); ++i)
            if (uguali(i.key(), tabella))
                trovata = &i.value();
        if (!trovata)
            throw ErroreSorgente(QStringLiteral("Nel database manca la tabella '%1'.").arg(tabella));
        const TabellaProva &t = *trovata;
        std::vector<int> colonne;
        for (const QString &c : campi) {
            const auto k = std::find_if(t.campi.cbegin(), t.campi.cend(), [&](const QString &n) { return uguali(n, c); });
            colonne.push_back(k == t.campi.cend() ? -1 : int(k - t.campi.cbegin()));
            if (colonne.back() < 0)
                throw ErroreSorgente(QStringLiteral("Nella tabella '%1' manca il campo '%2'.").arg(tabella, c));
        }
        std::vector<QVariantList> out;
        out.reserve(t.righe.size());
        for (const QVariantList &r : t.righe) {
            QVariantList riga;
            for (int i : colonne)
                riga << r.value(i);
            out.push_back(std::move(riga));
        }
        return out;
    }

    // Opens always this source, whatever the file.
    static ApriSorgente apri(QHash<QString, TabellaProva> tabelle)
    {
        return [tabelle](const QString &) { return std::make_unique<SorgenteProva>(tabelle); };
    }

private:
    QHash<QString, TabellaProva> m_tabelle;
};
