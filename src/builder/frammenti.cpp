#include "frammenti.h"

#include "formato.h"
#include "numeri.h"
#include "testoletto.h"

#include <QImageReader>
#include <algorithm>

Currency FattoreSconto::applica(Currency importo) const
{
    return unitario() ? importo : MoltiplicaFrazione(importo, num, den);
}

FattoreSconto FattoreSconto::daPercentuale(Currency percentuale)
{
    // A discount beyond a hundred thousand percent either way is taken as
    // that: the price it gives is absurd anyway, and the factors stay
    // exact within 64 bits when two of them are combined.
    constexpr qint64 cento = 100 * Currency::Scale, limite = 100000 * Currency::Scale;
    return {cento - std::clamp<qint64>(percentuale.raw, -limite, limite), cento};
}

FattoreSconto FattoreSconto::per(const FattoreSconto &altro) const
{
    if (unitario())
        return altro;
    if (altro.unitario())
        return *this;
    // Two percentages of at most four decimals each, within a hundred
    // thousand percent: the product of the numerators stays inside 64 bits.
    return {num * altro.num, den * altro.den};
}

Currency ImportoIva(Currency prezzo, Currency aliquotaPercento)
{
    return MoltiplicaFrazione(prezzo, aliquotaPercento.raw, 100 * Currency::Scale);
}

QString CampoCSV(const QString &testo)
{
    if (!testo.contains(u',') && !testo.contains(u'"') && !testo.contains(u'\r') && !testo.contains(u'\n'))
        return testo;
    QString r = testo;
    r.replace(u'"', QLatin1String("\"\""));
    return u'"' + r + u'"';
}

QString CartArticolo(const QString &sCodice, const QString &sTitolo)
{
    // The cart shows code and title as the page shows them, as plain text
    // made before the script escapes, so that a character reference cannot
    // end the script string.
    QString nome = TestoLetto(sTitolo);
    if (!sCodice.isEmpty())
        nome = TestoLetto(sCodice) + u' ' + nome;
    return CodificaCaratteri(nome);
}

QString CampoRicerca(const QString &sTesto)
{
    // Letters without accents, digits and the accented vowels of Italian.
    const auto ammesso = [](char16_t c) {
        return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'à' || c == u'è' || c == u'é' ||
               c == u'ì' || c == u'ò' || c == u'ù';
    };
    const QString s = TogliTag(sTesto).trimmed().toLower();
    QString chiave;
    chiave.reserve(2 * s.size() + 2);
    chiave += u'#';
    bool dopoSpazio = false;
    for (QChar c : s) {
        if (c.isSpace()) {
            if (!dopoSpazio)
                chiave += QLatin1String("##");
            dopoSpazio = true;
        } else if (ammesso(c.unicode())) {
            chiave += c;
            dopoSpazio = false;
        }
    }
    chiave += u'#';
    return chiave == QLatin1String("##") ? QString() : chiave;
}

QString PesoInvariante(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QStringLiteral("0");
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? Str(float(d)).trimmed() : QStringLiteral("0");
}

QString CreaOpzione(const Varianti &varianti, const ShopState &stato, qint32 numero, int Contatore, int Tipo,
                    const FattoreSconto &scontorep, Currency ivarep, bool ivacomp, QList<VarianteOrdine> *voci)
{
    const SetVarianti *set = varianti.set(numero);
    if (!set)
        return {};  // set 1, or one that no longer exists, makes no empty list

    const QString nomeSelect = QStringLiteral("op") + Format(Tipo, QStringLiteral("0")) +
                               Format(Contatore, QStringLiteral("####0"));
    QString lista = QStringLiteral("<select size=\"1\" name=\"") + nomeSelect + QStringLiteral("\">");

    const QString &nome = set->nome;
    const int note = nome.contains(QLatin1String("|*2")) ? 2 : (nome.contains(QLatin1String("|*1")) ? 1 : 0);
    const QVariant &sel = set->selezionato;
    const int selezionato = sel.isNull() ? -1 : sel.toInt();
    const QString pattern = QStringLiteral("###,###,###,###,##") +
                            (stato.FormatoDecimali1.isEmpty() ? QStringLiteral("0") : stato.FormatoDecimali1);

    for (int i = 1; i <= 15; ++i) {
        const size_t k = size_t(i - 1);
        QString testo = MettiVirgolette(set->opzione[k]);
        if (testo.isEmpty())
            continue;  // no variant, even in the preselected slot
        Currency prezzo = scontorep.applica(CCur(set->prezzo[k]));
        const Currency iva = ImportoIva(prezzo, ivarep);
        if (ivacomp)
            prezzo = prezzo + iva;
        const QString peso = PesoInvariante(set->peso[k]);
        if (voci) {
            const QVariant &p = set->peso[k];
            voci->append({testo, prezzo, p.isNull() || !p.isValid() ? 0.0f : float(p.toDouble())});
        }

        const bool scelto = selezionato == i - 1;
        if (scelto)
            testo += QLatin1String(" *");
        lista += QStringLiteral("<option ") + (scelto ? QStringLiteral("selected ") : QString()) +
                 QStringLiteral("value=\"") +
                 ValoreAttributo(FormatoImporto(prezzo, stato) + u'=' + peso + u'#' + testo) +
                 QStringLiteral("\">") + testo;
        if (prezzo.raw != 0 && note != 1) {
            if (prezzo.raw < 0)
                lista += note == 2 ? QStringLiteral(" ( meno ") : QStringLiteral(" ( - ");
            else
                lista += note == 2 ? QStringLiteral(" ( piu' ") : QStringLiteral(" ( + ");
            lista += stato.PrefissoValuta1 +
                     ConvertiSeparatori(Format(prezzo.raw < 0 ? -prezzo : prezzo, pattern), stato) +
                     QStringLiteral(" )");
        }
        lista += QStringLiteral("</option>");
    }
    return lista + QStringLiteral("</select>");
}

QString CreaNomeOpzione(const Varianti &varianti, qint32 numero)
{
    const SetVarianti *set = varianti.set(numero);
    if (!set)
        return {};
    const QString &nome = set->nome;
    const int barra = nome.indexOf(u'|');
    return barra < 0 ? nome : nome.left(barra);
}

bool MisuraNota(const QVariant &v)
{
    return v.isValid() && !v.isNull() && v.toLongLong() != 0;
}

QString TagImmagine(const QVariant &file, const QVariant &larghezza, const QVariant &altezza, FormaTagImmagine forma)
{
    const QString nome = file.isNull() ? QString() : file.toString();
    if (nome.isEmpty())
        return {};
    const QString src = QStringLiteral("src=\"") + ValoreAttributo(nome) + u'"';
    const QString bordo = QStringLiteral("border=\"0\"");
    QString misure;
    if (MisuraNota(larghezza) && MisuraNota(altezza)) {
        const QString w = QStringLiteral("width=\"") + Format(larghezza, QStringLiteral("#####")) + u'"';
        const QString h = QStringLiteral("height=\"") + Format(altezza, QStringLiteral("#####")) + u'"';
        misure = forma == FormaTagImmagine::Badge ? u' ' + h + u' ' + w : u' ' + w + u' ' + h;
    }
    switch (forma) {
    case FormaTagImmagine::Pagina:
        return QStringLiteral("<img ") + bordo + u' ' + src + misure + u'>';
    case FormaTagImmagine::Pulsante:
        return QStringLiteral("<img ") + src + misure + u' ' + bordo + u'>';
    case FormaTagImmagine::Badge:
        break;
    }
    return QStringLiteral("<img ") + src + misure + u'>';
}

QString CreaTagImg(const QString &nImm, const QString &file)
{
    QSize s;
    if (!file.isEmpty())
        s = QImageReader(file).size();
    // An unreadable file measures -1 x -1: only a real size is written.
    const auto misura = [](int v) { return v > 0 ? QVariant(v) : QVariant(); };
    return TagImmagine(nImm, misura(s.width()), misura(s.height()), FormaTagImmagine::Badge);
}
