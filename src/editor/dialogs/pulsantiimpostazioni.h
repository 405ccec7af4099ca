#pragma once
// The buttons of the publishing settings dialogs: "OK", "Annulla" and
// "Reset", which brings the default configuration back.
#include <QPushButton>

struct PulsantiImpostazioni {
    QPushButton *cmdOK, *cmdAnnulla, *cmdReset;

    static PulsantiImpostazioni crea()
    {
        PulsantiImpostazioni p;
        p.cmdOK = new QPushButton(QStringLiteral("OK"));
        p.cmdOK->setObjectName(QStringLiteral("cmdOK"));
        p.cmdAnnulla = new QPushButton(QStringLiteral("Annulla"));
        p.cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
        p.cmdReset = new QPushButton(QStringLiteral("Reset"));
        p.cmdReset->setObjectName(QStringLiteral("cmdReset"));
        p.cmdReset->setToolTip(QStringLiteral("Ripristina la configurazione di default"));
        return p;
    }
};
