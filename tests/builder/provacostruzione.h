#pragma once
// What the build tests share: a temporary program folder and a shop made
// from its empty shop, opened headless, with the settings snapshot the
// build reads.
#include "elabora.h"
#include "impostazioni.h"
#include "testshop.h"

#include <memory>

class ProvaCostruzione {
protected:
    std::unique_ptr<TestProgramFolder> m_program;
    std::unique_ptr<NegozioDiProva> m_shop;
    QString m_cartella;
    Impostazioni m_imp;

    ShopState &stato() { return m_shop->negozio.state; }
    Database &db() { return *stato().dbCatalogo; }

    // A fresh program folder; `negozio` makes the shop folder (by default a
    // copy of the program's empty shop), which is then opened.
    bool nuovoNegozio(const std::function<QString(TestProgramFolder &)> &negozio = {})
    {
        m_shop.reset();
        m_program = std::make_unique<TestProgramFolder>();
        m_cartella = negozio ? negozio(*m_program) : m_program->newShop();
        m_shop = std::make_unique<NegozioDiProva>();
        return m_shop->apri(m_cartella) == Negozio::Aperto;
    }
};
