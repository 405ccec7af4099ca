#pragma once
// The temporary files of writes that replace a file by renaming: each writer
// gets a short hidden name of its own in the target's folder, whatever the
// target is called, so that two writers never share one and a name near the
// file system's limit still has room; the leftovers of a process that was
// killed are told by their form and removed by the next run.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <sys/types.h>

namespace Temporanei {

// A new temporary name in the folder (its path; nothing is created).
QByteArray nome(const QString &cartella);
// Creates a new temporary file in the folder (never an existing one) and
// opens it for reading and writing; its path in *percorso. -1 on failure,
// errno set.
int crea(const QString &cartella, QByteArray *percorso, mode_t modo = 0644);
// Gives the file at `origine` a new temporary name in the folder as well (a
// hard link; `flag` as for linkat, AT_SYMLINK_FOLLOW to link what a link
// names); its path in *percorso. False on failure, errno set.
bool collega(const QByteArray &origine, const QString &cartella, QByteArray *percorso, int flag = 0);
// Writes the n bytes whole, going on after an interrupted call: 0, or the
// system's error number.
int scriviTutto(int fd, const char *dati, qsizetype n);
// True for a name of that form (".", anything, ".vttmp").
bool eTemporaneo(QStringView nome);
// Removes the temporary files left in the folder; returns how many went.
int rimuovi(const QString &cartella);

} // namespace Temporanei
