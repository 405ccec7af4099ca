#pragma once
// The data the order page's scripts work on: the country and payment-method
// selects, the preselected cell of the shipping table, the cost bands by
// order amount and by weight as JavaScript arrays, the flags of the methods
// offered per zone and of the zones with VAT, and the currency notation.
// They are read from the shipping tables of the catalogue (pagamento, paesi,
// zona1..zona4); every page of one build carries the same texts.
//
// Money is Currency throughout, so the amounts written are exact.
#include "database.h"
#include "shopstate.h"

#include <QString>

class TabelleScript {
public:
    // Forgets the cost tables kept from the previous build.
    void azzera();

    // The country select: one option per country, valued with its zone, the
    // preselected country selected. Each name is written as the text a
    // browser shows of it (NomeInPagina): the order form sends that text
    // back, and the order script compares it with the same text.
    static QString MakePaesi(const DatabasePtr &catalogo);
    // The payment-method select: one option per active method, the
    // preselected one selected; the names written as the countries' are.
    static QString MakePagamenti(const DatabasePtr &catalogo);
    // The cell 1..16 of the preselected method and country: the method's
    // position among the active methods, as the arrays number them, times 4
    // plus the country's zone; anything out of range gives 1.
    static int MakeTipoSel(const DatabasePtr &catalogo);
    // java_importi, java_permessi, java_iva. The tables are read by the first
    // call after azzera(); later calls give the kept texts.
    void MakeImporti(const DatabasePtr &catalogo, const ShopState &stato, QString &Valore1, QString &Valore2,
                     QString &Valore3);
    // java_importi_peso (kept like MakeImporti's) and java_tipopeso (read at
    // every call).
    void MakeImportiPeso(const DatabasePtr &catalogo, const ShopState &stato, QString &Valore1, QString &Valore2);
    // The currency and separator declarations of the scripts.
    static QString JavaValuta(const ShopState &stato);

    // The three selections above as one build uses them on every page: read
    // from the catalogue by the first call after azzera(), kept after.
    const QString &paesi(const DatabasePtr &catalogo);
    const QString &pagamenti(const DatabasePtr &catalogo);
    int tipoSel(const DatabasePtr &catalogo);

private:
    void leggiSelezioni(const DatabasePtr &catalogo);

    bool m_selezioniFatte = false;
    QString m_paesi, m_pagamenti;
    int m_tipoSel = 1;
    bool m_importiFatti = false, m_pesoFatti = false;
    QString m_importi, m_permessi, m_iva, m_importiPeso;
};

