#pragma once
// An Access (Jet 3 or Jet 4) database file read through mdbtools' library,
// as a source for the import. The file is only read, never written.
#include "sorgenteimportazione.h"



class LettoreMdb : public SorgenteImportazione {
public:
    // Opens the file; throws ErroreSorgente when it is missing, cannot be
    // read or is not an Access database.
    static std::unique_ptr<SorgenteImportazione> apri(const QString &file);
    ~LettoreMdb() override;

    std::vector<QVariantList> leggi(const QString &tabella, const QStringList &campi) override;

private:
    LettoreMdb(void *mdb, QString file);
    void *m_mdb;  // the library's MdbHandle
    QString m_file;
};
