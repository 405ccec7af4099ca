#pragma once
// The payment gateways' files that the thank-you pages use, all in the
// shop's `code` folder: the gateway's page fragment (<name>.epg) and its
// settings file (<name>/conf.ini), which names the form's target and the
// server files (ASP pages, Perl scripts) made from the models beside it.
// Each is looked up among the files the build examined (FileAmmessi): the
// code folder's and those of each active gateway's folder.
#include "impostazioni.h"
#include "riga.h"

#include <QString>
#include <QStringList>

class FileAmmessi;
class Messages;

// What ReadEpg gives for a fragment that cannot be read.
inline const QString ErroreEpg = QStringLiteral("###ERRORE###");

// The gateway's fragment; "" for an empty name, ErroreEpg when the file
// cannot be read.
QString ReadEpg(const FileAmmessi &file, const QString &cartellaNegozio, const QString &nome);

// The address the gateway's payment form posts to: the first line of the
// settings file that applies to the server type (`action`, `pl(default)`
// on a Unix server, `asp(default)` on a Windows server), else the value of
// the last `pl(default)` or `asp(default)` line; "" when there is none or
// the file cannot be read.
QString ReadEpgAction(const FileAmmessi &file, const QString &cartellaNegozio, const QString &nome,
                      const Impostazioni &imp);

// Makes the server files the settings file names for the server type, merged
// with the page row (a Perl script with RigaPerPerl of it), into the pages
// folder (ASP) or the scripts folder (Perl, named with the site code), and
// returns their paths in file order. A file whose merge fails is reported
// ("Errore nell'elaborazione del file ...") and left out; the others are
// still made.
QStringList SetPG(const FileAmmessi &file, const Riga &pagina, const QString &cartellaNegozio, const QString &nome,
                  const QString &cartellaPagine, const QString &cartellaScript, const Impostazioni &imp,
                  Messages &messages);
