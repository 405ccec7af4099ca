#pragma once
// Writing a file that may replace an earlier one: the bytes go to a
// temporary file in the same folder, which is then renamed over the target.
// A failure never leaves half a file and never loses the old one. The new
// file keeps the old one's permission bits (and owner, where allowed) but has
// its own, new modification time.
#include <QByteArray>
#include <QString>
#include <functional>

struct EsitoScrittura {
    bool ok = false;
    int codice = 0;   // errno of the failing step
    QString testo;    // what failed, for a message
};

EsitoScrittura sostituisciFile(const QString &path, const QByteArray &data);

// Tests only: called after the temporary file is written and before the
// rename; returning false makes the write fail there.
void impostaGuastoScritturaPerTest(std::function<bool()> prova);
