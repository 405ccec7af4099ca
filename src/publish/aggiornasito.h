#pragma once
// The update-site command (command 51): the warning before an update unless
// the merchant switched it off, a check that a build left its upload list,
// the transfer settings, then the publisher. The windows are given as
// functions, so the command runs the same with the real dialogs and in tests.
#include "messages.h"

#include <functional>

struct FinestreAggiornamento {
    std::function<bool()> avviso;                // frmAvviso: true for "Sì"
    std::function<bool()> impostaTrasferimento; // frmImpostaFTP: true for "OK"
    std::function<bool()> pubblica;              // frmFTP: false when it could not open
};

// The warning is shown unless "Vetrasto"/"AppIni"/"NoShow" is "1".
bool AvvisoAggiornamentoDaMostrare();
// The warning's check box: the warning is not shown again.
void NonMostrarePiuAvvisoAggiornamento();

// Command 51: the warning, then AggiornaSito.
void ComandoAggiornaSito(const QString &percorsoNegozio, Messages &messages, const FinestreAggiornamento &finestre);
// AggiornaSito: requires the upload list of a build, then the transfer
// settings and, on "OK", the publisher.
void AggiornaSito(const QString &percorsoNegozio, Messages &messages, const FinestreAggiornamento &finestre);

// The message of every failure of the command.
QString MessaggioNegozioDaCostruire();
// Whether a build left its upload list in the shop folder.
bool ListaCaricamentoPresente(const QString &percorsoNegozio);
