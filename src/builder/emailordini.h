#pragma once
// The shop's order address as the order script uses it: the address every
// order is sent to and from. It must be one e-mail address, as a mail
// server takes it.
#include <QString>

// True when the text, blanks around it aside, is one e-mail address of
// ASCII characters (local part, "@", a domain of at least two labels), at
// most 254 characters long; otherwise false, with what is wrong in *motivo.
bool IndirizzoOrdiniValido(const QString &indirizzo, QString *motivo);
