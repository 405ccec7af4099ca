#pragma once
// The six payment systems' settings: each keeps a folder of its own in the
// shop's code folder with its conf.ini and the fragment template form.epg,
// and its settings dialog writes conf.ini and the filled fragment
// <system>.epg beside the folder (the bank's OTP mode also two server
// scripts). ConfigurazioneSistema holds what the dialog edits and does the
// reading (LeggiConf) and the saving (SalvaConf) they share; one subclass
// per dialog family gives the keys' rules.
//
// A dialog owns a few keys: LeggiConf applies them to its fields and keeps
// every other line, which SalvaConf writes first, unchanged and in order,
// followed by the owned keys in their order (the bank writes a header of its
// security mode in place of the lines it does not own). SalvaConf makes
// every output in memory, then writes them together: a template that is
// missing, or any file that cannot be written, leaves every file as it was.
#include "confini.h"

#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

enum class Sistema { Telepay, Sella, AuthorizeNet, PlanetPayment, Contrassegno, Anticipato };

struct DatiSistema {
    Sistema sistema;
    QString nome;         // folder and fragment base name
    QString titolo;       // the settings dialog's title
    QString oggetto;      // the dialog's object name (frmPG_...)
    QStringList chiavi;   // owned keys, in write order
};
const DatiSistema &datiSistema(Sistema s);
// The six in the chooser's order.
const std::array<Sistema, 6> &TuttiISistemi();

class ConfigurazioneSistema {
public:
    ConfigurazioneSistema(const QString &cartellaNegozio, Sistema s);
    virtual ~ConfigurazioneSistema() = default;

    const DatiSistema &dati() const { return datiSistema(m_sistema); }
    QString cartellaSistema() const;   // <shop>/code/<system>
    QString fileConf() const;          // .../conf.ini
    QString fileModello() const;       // .../form.epg
    QString fileFrammento() const;     // <shop>/code/<system>.epg

    // Loads conf.ini into the fields and the buffer of lines not owned;
    // false when the file is missing or unreadable (the fields then keep
    // what they held).
    bool LeggiConf();
    // Writes conf.ini, the fragment and any further outputs together. On
    // false *errore holds the message for the merchant and no file changed.
    bool SalvaConf(QString *errore);

    // The lines not owned, each as key, "=", value and CR LF.
    const QString &buffer() const { return m_buffer; }
    // What conf.ini would hold now.
    QString testoConf() const;

protected:
    // An owned key read from the file; a value it does not know changes nothing.
    virtual void applica(const QString &chiave, const QString &valore) = 0;
    // The value written for an owned key.
    virtual QString valore(const QString &chiave) const = 0;
    // What stands before the owned keys: the lines not owned.
    virtual QString testa() const { return m_buffer; }
    // Placeholders of form.epg and their values as they go into the page,
    // in fill order.
    virtual std::vector<std::pair<QString, QString>> segnaposti() const = 0;
    struct ScriptServer {
        QString modello, uscita;  // file names in the system's folder
        QString segnaposto, valore;
    };
    // Further templates filled on save (the bank's OTP scripts).
    virtual std::vector<ScriptServer> script() const { return {}; }
    // A refusal before anything is written; empty when the values can be saved.
    virtual QString verifica() const { return {}; }

    QString m_cartellaNegozio;
    Sistema m_sistema;
    QString m_buffer;
};

// The fields common to the card gateways: the merchant identifier and, for
// the two Italian gateways, the shop's currency.
enum class Valuta { Nessuna, Lire, Euro };

// Telepay Light: merchant ID, currency, test mode; `url` and `java` derived.
class ConfTelepay : public ConfigurazioneSistema {
public:
    explicit ConfTelepay(const QString &cartellaNegozio) : ConfigurazioneSistema(cartellaNegozio, Sistema::Telepay) {}
    static const QString &IndirizzoProva();  // the test payment page
    static const QString &IndirizzoReale();  // the live payment page

    QString mid;
    Valuta valuta = Valuta::Nessuna;
    bool test = false;

    QString codiceValuta() const;  // "380", "978" or ""
    QString url() const;
    QString java() const;

protected:
    void applica(const QString &chiave, const QString &valore) override;
    QString valore(const QString &chiave) const override;
    std::vector<std::pair<QString, QString>> segnaposti() const override;
};

// Banca Sella GestPay: shop code, currency, security mode (Crypt or OTP)
// and the base name of the OTP password files.
class ConfSella : public ConfigurazioneSistema {
public:
    explicit ConfSella(const QString &cartellaNegozio) : ConfigurazioneSistema(cartellaNegozio, Sistema::Sella) {}
    static QString TestaCrypt();
    static QString TestaOTP();

    QString mid;
    Valuta valuta = Valuta::Nessuna;
    bool crypt = false;
    QString pwd;

    QString codiceValuta() const;  // "18", "242" or ""
    // The mode the lines not owned name: Crypt when they hold "gestpaycrypt".
    bool cryptDaBuffer() const { return m_buffer.contains(QLatin1String("gestpaycrypt")); }
    // In OTP mode with no password name, a shop code holding "GESPAY" gives
    // "GP" and the number its text from the 7th character on begins with.
    void proponiPwd();
    // The base name of the server-to-server script of the mode.
    QString scriptServerToServer() const { return crypt ? QStringLiteral("s2scrypt") : QStringLiteral("s2sotp"); }
    // Why a password name cannot name the files, or "".
    static QString problemaPwd(const QString &pwd);

protected:
    void applica(const QString &chiave, const QString &valore) override;
    QString valore(const QString &chiave) const override;
    QString testa() const override { return crypt ? TestaCrypt() : TestaOTP(); }
    std::vector<std::pair<QString, QString>> segnaposti() const override;
    std::vector<ScriptServer> script() const override;
    QString verifica() const override;
};

// Authorize.Net and Planet Payment: the merchant ID alone.
class ConfMerchantId : public ConfigurazioneSistema {
public:
    ConfMerchantId(const QString &cartellaNegozio, Sistema s) : ConfigurazioneSistema(cartellaNegozio, s) {}
    QString mid;

protected:
    void applica(const QString &chiave, const QString &valore) override;
    QString valore(const QString &chiave) const override;
    std::vector<std::pair<QString, QString>> segnaposti() const override;
};

// Cash on delivery and prepayment: an information text for the order
// confirmation page, kept with CR LF line breaks; conf.ini holds it on one
// line with "|" for each line break.
class ConfInformativo : public ConfigurazioneSistema {
public:
    ConfInformativo(const QString &cartellaNegozio, Sistema s) : ConfigurazioneSistema(cartellaNegozio, s) {}

    // Every line break (CR LF, CR or LF) as CR LF.
    void setInfo(const QString &testo);
    const QString &info() const { return m_info; }

    static QString TogliACapo(const QString &testo);
    static QString RimettiACapo(const QString &testo);

protected:
    void applica(const QString &chiave, const QString &valore) override;
    QString valore(const QString &chiave) const override;
    std::vector<std::pair<QString, QString>> segnaposti() const override;

private:
    QString m_info;
};

// The configuration object of a system, its fields empty.
std::unique_ptr<ConfigurazioneSistema> NuovaConfigurazione(const QString &cartellaNegozio, Sistema s);
