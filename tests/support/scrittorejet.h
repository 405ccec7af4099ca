#pragma once
// A small writer of Access database files in the Jet 4 format, for test
// fixtures: tables of plain columns with their rows, without indexes or
// properties. The file holds what mdbtools' library reads: the header page,
// the catalogue table MSysObjects on page 2, and for each table its
// definition page, its data pages and the long-value pages of its memos.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <vector>

class ScrittoreJet4 {
public:
    // The column types, by their code in the file.
    enum class Tipo : quint8 {
        Booleano = 0x01,
        Byte = 0x02,
        Intero = 0x03,   // 16 bits
        Lungo = 0x04,    // 32 bits
        Valuta = 0x05,   // 64 bits, scaled by 10,000
        Singolo = 0x06,  // float
        Doppio = 0x07,   // double
        Testo = 0x0a,
        Ole = 0x0b,      // bytes
        Memo = 0x0c,
    };
    struct Colonna {
        QString nome;
        Tipo tipo;
        int caratteri = 255;  // Testo: the longest text
    };

    // A table, its columns and its rows. A row's values go with the columns
    // by position: an invalid QVariant is Null (a boolean column holds no
    // Null: it is written false); Valuta takes a Currency,
    // Ole a QByteArray, the others whatever converts to their type. Memos
    // are kept in the row when short, on one long-value page when they fit
    // one, and on a chain of such pages when longer.
    void tabella(const QString &nome, const QList<Colonna> &colonne, const std::vector<QVariantList> &righe);

    // The file's bytes.
    QByteArray file() const;
    // Writes the file; false when it cannot.
    bool salva(const QString &percorso) const;

private:
    struct Tabella {
        QString nome;
        QList<Colonna> colonne;
        std::vector<QVariantList> righe;
    };
    std::vector<Tabella> m_tabelle;
};
