#pragma once
// A data source: the window's data control. It holds a database name and a
// record source, opens its recordset on refresh, shows the current row in the
// fields bound to it, and signals Reposition whenever the current row changes
// (a move, a find, a refresh). Those members keep the data control's own
// names; the binding of fields (collega, scriviModifiche, ...) is the
// project's.
//
// Bound fields keep the merchant's edits until the record is written: by an
// edit and update of the recordset (which takes every pending edit with it),
// or before the current row changes. A value the database refuses is
// announced with error(), naming its field; unless a listener corrects it,
// that field returns to the stored value and the other edits are written.
// Every write of an edited row is announced with scritto(); a row written by
// other code (a grid, a paste, a picture command) shows again in the bound
// fields.
#include "recordset.h"

#include <QObject>
#include <vector>

// A control bound to one column of a data source.
class CampoCollegato {
public:
    virtual ~CampoCollegato() = default;
    virtual QString campo() const = 0;
    // Shows the current row's value (Null when there is none).
    virtual void carica(const QVariant &valore) = 0;
    // True once the merchant has edited the field since it was loaded or written.
    virtual bool modificato() const = 0;
    // The value to store.
    virtual QVariant valore() const = 0;
    virtual void segnaScritto() = 0;
    // True while the edit is still being typed beyond what the column
    // holds: a write another field asks for leaves it pending.
    virtual bool trattenuto() const { return false; }
    // A write that no field asked for (a command, closing the window) ends
    // the typing of a field held back: it corrects its text as leaving it
    // does, so that the write takes what leaving would have kept.
    virtual void concludi() {}
};

class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(const QString &name, QObject *parent = nullptr);
    ~DataSource() override;

    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString &path) { m_databaseName = path; }
    QString recordSource() const { return m_sql; }
    void setRecordSource(const QString &sql, const QVariantList &params = {});

    // Opens the recordset from the record source and raises Reposition.
    void refresh();
    bool isOpen() const { return m_recordset.isOpen(); }
    Recordset &recordset() { return m_recordset; }
    const Recordset &recordset() const { return m_recordset; }
    void close();

    // Bound fields (the data source does not own them).
    void collega(CampoCollegato *campo);
    void scollega(CampoCollegato *campo);
    bool modifichePendenti() const;
    // Writes the pending edits of the bound fields into the current row, at
    // the request of one of them (the field the merchant left or changed).
    // False when the database refused one (error() has said which). A write
    // asked while a refusal is being reported (a field left again under its
    // message) does nothing and is false: the report in course deals with
    // the edits, and the same refusal is never shown twice.
    bool scriviModifiche(const CampoCollegato *richiedente = nullptr);
    // Shows the current row again in every bound field, dropping their edits.
    void ricaricaCampi();

    // While a pause lives, what the recordset does is not shown: the bound
    // fields are left alone and neither reposition nor scritto is signalled.
    // The pending edits are written when it starts; when the last pause
    // ends, the current row is shown and reposition signalled once.
    // fine() ends the pause where an error of those who follow reposition
    // can reach the caller; the destructor ends one still running (on a way
    // out by an exception) and only logs such an error, as a destructor
    // cannot pass it on.
    class Pausa {
    public:
        explicit Pausa(DataSource &sorgente);
        ~Pausa();
        Pausa(const Pausa &) = delete;
        Pausa &operator=(const Pausa &) = delete;
        void fine();

    private:
        DataSource &m_sorgente;
        bool m_finita = false;
    };

signals:
    void reposition();
    // A value of a bound field could not be stored: the engine's number and
    // text, and the field. When the engine names none, the field is the one
    // being written: the one that asked for the write, else the first edited.
    void error(int numero, const QString &descrizione, const QString &campo);
    // The current row was written (daiCampi: by the bound fields' own write;
    // otherwise by other code, and the fields show the row again).
    void scritto(bool daiCampi);

private:
    void collegaRecordset();
    void applicaModifiche();
    // A pause starts and ends.
    void sospendi();
    void riprendi();
    CampoCollegato *collegato(const QString &campo) const;
    // An edit the write under way takes: not one held back from a write
    // that another field asked for.
    bool daScrivere(const CampoCollegato *campo) const;
    bool ciSonoDaScrivere() const;

    QString m_databaseName;
    QString m_sql;
    QVariantList m_params;
    Recordset m_recordset;
    std::vector<CampoCollegato *> m_campi;
    bool m_scrivendo = false;  // scriviModifiche is writing the row
    const CampoCollegato *m_richiedente = nullptr;  // the field that asked for the write under way
    bool m_segnalando = false;  // a refusal is being reported (its message may be up)
    int m_pause = 0;           // Pausa objects alive
};
