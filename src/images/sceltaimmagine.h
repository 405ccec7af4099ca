#pragma once
// The picture chooser's logic, without widgets: the dialog
// frmImmagine shows this state and forwards its events here, and tests drive
// it headless.
//
// A picture is shrunk by scaling the picture itself with a good filter
// (Riduzione), so the preview shows exactly the pixels that OK writes.
#include "cdibsection.h"

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class Messages;

class SceltaImmagine {
public:
    // What OK does.
    enum Modo { Nessuno = 0, Copia = 1, Riduci = 2, Interna = 3 };
    static constexpr int LatoAnteprima = 281;  // picImmagine, square
    static constexpr int LimiteMinimo = 5;
    static constexpr int LimiteMassimo = 270;
    static constexpr int LimitePredefinito = 180;
    static constexpr int QualitaJpeg = 90;

    // Opening: reads the settings store (section "LoadImage").
    SceltaImmagine(const QString &cartellaNegozio, Messages &messages);

    // The shop's work folder.
    QString cartellaWork() const;
    // The picture files of a folder as the lists show them (".bmp", ".jpg",
    // ".gif", letter case aside; no hidden files), sorted.
    static QStringList filePicture(const QString &cartella);
    // The starting folder of the disk lists when none is remembered.
    static QString cartellaIniziale();
    static QString argomentoAiuto() { return QStringLiteral("pagine\\immagine.htm"); }

    // --- state shown by the dialog ---
    int scheda() const { return m_scheda; }             // 1 "Immagine esterna", 2 "Immagine interna"
    QString cartellaLista() const { return m_cartellaLista; }  // folder of the disk lists
    QString cartellaCorrente() const { return m_cartellaCorrente; }  // stored as "Path"
    bool adatta() const { return m_adatta; }
    QString testoMax(int i) const { return m_max[i]; }
    QString ultimoMax(int i) const { return m_ultimoMax[i]; }
    int modo() const { return m_modo; }
    QString nomeScelto() const { return m_nomeScelto; }
    QString percorsoScelto() const { return m_percorsoScelto; }
    QString etichetta() const { return m_etichetta; }   // lblImmagine
    // The preview: picSalva's size (= imgImmagine's, the size handed back)
    // and place in picImmagine, and the part of the picture that shows.
    bool anteprimaVisibile() const { return m_visibile; }
    QSize misura() const { return m_misura; }
    QPoint posizione() const { return m_posizione; }
    QImage anteprima() const { return m_anteprima; }
    // Why the last preview could not be shown ("" when it was).
    QString messaggio() const { return m_messaggio; }
    // The bitmap that OK writes in mode 2.
    const cDIBSection *ridotta() const { return m_ridotta.get(); }

    // --- events ---
    void preset(const QString &nome);                 // preseleziona
    void cambiaCartella(const QString &cartella);     // folder list (and drive list)
    void clickFile(const QString &nome);              // File
    void clickSito(const QString &nome);              // Sito
    void impostaAdatta(bool adatta);                  // chkAdatta
    // A limit box loses the focus: false (with the message and the last
    // accepted text back in the box) when out of 5 … 270.
    bool lasciaLimite(int i, const QString &testo);
    void impostaLimite(int i, const QString &testo) { m_max[i] = testo; }  // typing
    void impostaScheda(int scheda) { m_scheda = scheda; }
    // OK: the tag ("" in mode 0). nullopt when copying or writing failed:
    // the message has been shown, nothing was written, the dialog stays.
    std::optional<QString> ok();

    // Shows a picture in the preview: 0 failed, 1 shown at its size, 2 reduced.
    int CaricaAnteprima(const QString &percorso);

    // The leading whole number of the digits a limit box holds.
    static qint64 valore(const QString &testo);

private:
    void salvaImpostazioni() const;

    QString m_negozio;
    Messages &m_messages;
    int m_scheda = 1;
    QString m_cartellaLista, m_cartellaCorrente;
    bool m_adatta = false;
    QString m_max[2], m_ultimoMax[2];
    int m_modo = Nessuno;
    QString m_nomeScelto, m_percorsoScelto, m_etichetta;
    bool m_visibile = false;
    QSize m_misura;
    QPoint m_posizione;
    QImage m_anteprima;
    QString m_messaggio;
    std::unique_ptr<cDIBSection> m_ridotta;
};
