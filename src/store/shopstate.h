#pragma once
// The shop state: what holds while a shop is open, shared by the main
// window, the catalogue operations, the builder and the publisher.
#include "database.h"

#include <QString>

struct ShopState {
    QString PercorsoNegozio;     // the open shop's folder; empty: no shop
    DatabasePtr dbCatalogo;      // catalog.mdb, held exclusively
    QString CartellaTemplate;    // "template/" + set name, relative to the program folder
    bool InAggiornamento = false;  // busy: Reposition handlers stand still
    bool SaltaFratelli = false;
    QString PrefissoValuta1, PrefissoValuta2;
    double TassoCambio = 0;
    QString SeparatoreMigliaia, SeparatoreDecimali;
    QString FormatoDecimali1, FormatoDecimali2;
    QString CartellaPagine, CartellaScript;
    qint64 TotaleArticoli = 0;
    qint64 ArticoliReparto = 0;  // -1 while the root is selected
    bool AvvioCompletato = false;
    bool SpedizioneConfermata = false;

    // What RiavviaMain does: every value back to its start.
    void clear() { *this = ShopState(); }
};

// Sets the busy flag for a scope and, on every way out, gives it back the
// value it had: an operation run inside another leaves the outer one busy.
class BusyFlag {
public:
    explicit BusyFlag(bool &flag) : m_flag(flag), m_prima(flag) { m_flag = true; }
    ~BusyFlag() { m_flag = m_prima; }
    BusyFlag(const BusyFlag &) = delete;
    BusyFlag &operator=(const BusyFlag &) = delete;

private:
    bool &m_flag;
    const bool m_prima;
};
