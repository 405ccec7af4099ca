#pragma once
// The shipping and payment tables of the catalogue, in one place for the
// shipping dialog and the site builder:
//  - pagamento: one row, the four method slots k = 1..4 (nome<k>, attivo<k>,
//    metodo<k>), the preselected method `selezionato`, the mode `imppeso`
//    (0 by order amount, anything else by weight), the VAT flags ivaok<n>
//    per zone, the preselected country `paesesel` and its zone `zonasel`;
//  - paesi: the countries buyers choose from, each with its zone 1..4 and
//    `strID`, its counter as plain digits, by which `paesesel` names it;
//  - zone: the four zones' names;
//  - zona1..zona4: per zone n, which methods are offered (pag<k>) and each
//    method's cost bands, by order amount (m<k>imp1..2, m<k>sp1..3) and by
//    weight (m<k>peso1..9, m<k>spp1..10).
// A method can be chosen in a zone when it is active and offered there.
#include "currency.h"
#include "database.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace Spedizione {

inline constexpr int NumeroMetodi = 4;
inline constexpr int NumeroZone = 4;
inline constexpr int LimitiImporto = 2;  // amount mode: two limits, three costs
inline constexpr int LimitiPeso = 9;     // weight mode: nine limits, ten costs

// The seven tables, in the order every whole-table step handles them.
const QStringList &Tabelle();
QString tabellaZona(int n);

// Field names; k is the method slot, n the zone, i the band.
namespace Campo {
QString nome(int k);
QString attivo(int k);
QString metodo(int k);
QString ivaok(int n);
QString pag(int k);
QString imp(int k, int i);   // i = 1..2
QString sp(int k, int i);    // i = 1..3
QString peso(int k, int i);  // i = 1..9
QString spp(int k, int i);   // i = 1..10
} // namespace Campo

struct Pagamento {
    bool presente = false;  // the table has its row
    std::array<QString, NumeroMetodi> nome, metodo;
    std::array<bool, NumeroMetodi> attivo{};  // a missing value reads as false
    std::array<bool, NumeroZone> ivaok{};
    int selezionato = 0;
    int imppeso = 0;
    std::optional<QString> paesesel;  // nullopt: Null
    int zonasel = 0;

    bool perPeso() const { return imppeso != 0; }
    bool attivoMetodo(int k) const { return k >= 1 && k <= NumeroMetodi && attivo[k - 1]; }
    // The active slots in slot order.
    std::vector<int> metodiAttivi() const;
    // The slot's place among the active ones, from 1; 0 when it is not active.
    int posizioneTraAttivi(int k) const;
};

struct Paese {
    qint64 id = 0;
    QString strID;
    QString paese;
    std::optional<int> zona;  // nullopt: Null
};

struct FasceMetodo {
    bool offerto = false;  // pag<k>
    std::array<Currency, LimitiImporto> imp{};
    std::array<Currency, LimitiImporto + 1> sp{};
    std::array<float, LimitiPeso> peso{};
    std::array<Currency, LimitiPeso + 1> spp{};
};

struct Zona {
    bool presente = false;
    std::array<FasceMetodo, NumeroMetodi> metodo;
};

// Readers. An empty value reads as 0, false or "".
Pagamento leggiPagamento(Database &db);
std::vector<Paese> leggiPaesi(Database &db);  // in counter order
// The first country whose strID equals the text (as the catalogue compares).
std::optional<Paese> trovaPaese(Database &db, const QString &strID);
Zona leggiZona(Database &db, int n);
// zone.nomezona by zone number, in zone order.
std::vector<std::pair<int, QString>> leggiNomiZone(Database &db);

// The strID of a country counter: its plain decimal digits.
QString strIDDa(qint64 id);

// Whether the preselection can be confirmed: the preselected country exists
// and the preselected method is active and offered in its zone.
struct Preselezione {
    enum class Esito { Valida, PaeseMancante, MetodoNonOfferto };
    Esito esito = Esito::PaeseMancante;
    int zona = 0;  // the preselected country's zone when it exists
};
Preselezione verificaPreselezione(Database &db, const QString &paesesel, int selezionato);

} // namespace Spedizione
