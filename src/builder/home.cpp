// The home page row: the showcase, its index, the department tree of the
// open levels and the menu, then the shop-wide fields. The set's index.htm
// and its other pages are merged with this row afterwards.
#include "home.h"

#include "elabora.h"
#include "recordset.h"

namespace {
const QString crlf = QStringLiteral("\r\n");
}

QString TabellaVetrina(const QStringList &celle, int numero, int perRiga)
{
    if (perRiga < 1)
        perRiga = 1;
    numero = std::min<int>(numero, int(celle.size()) - 1);
    if (numero < 1)
        return {};
    QString t = QStringLiteral("<div align=\"center\"><center><table border=\"0\" cellpadding=\"4\" cellspacing=\"0\">") +
                crlf;
    int colonna = 0;
    for (int i = 1; i <= numero; ++i) {
        if (++colonna == 1)
            t += QStringLiteral("<tr>") + crlf;
        t += QStringLiteral("<td valign=\"top\" align=\"center\">") + crlf + celle[i] + QStringLiteral("</td>") + crlf;
        if (colonna == perRiga) {
            t += QStringLiteral("</tr>") + crlf;
            colonna = 0;
        }
    }
    if (colonna > 0)
        t += QStringLiteral("</tr>") + crlf;
    // The centring and the division are closed with the table.
    t += QStringLiteral("</table>") + crlf + QStringLiteral("</center></div>") + crlf;
    return t;
}

QString MenuHome(const QString &opzioni)
{
    return QStringLiteral("<form name=\"vtReparti\">") + crlf +
           QStringLiteral("<select name=\"vtRepartiMenu\" onChange=\"RepGoTo()\">") + crlf +
           QStringLiteral("<option selected value=\"#\"> </option>") + crlf + opzioni + QStringLiteral("</select>") +
           crlf + QStringLiteral("</form>");
}

bool Elaborazione::MakeHome()
{
    const QString vetrina = TabellaVetrina(CelleVetrina, NumeroCelle, ColonneVetrina);

    // The open levels: the departments above the open depth, "#ID#ID#...#".
    QString visibili;
    {
        Recordset aperti(m_stato.dbCatalogo, QStringLiteral("SELECT * FROM categorie WHERE livello < ?"),
                         {LivelliAperti});
        if (aperti.recordCount() > 0)
            aperti.moveFirst();
        for (; aperti.hasCurrent(); aperti.moveNext()) {
            visibili += u'#' + aperti.text(QStringLiteral("ID"));
            if (fermati())
                return false;
        }
        visibili += u'#';
    }

    QString albero, opzioni;
    TuttiReparti->CatEsplora(QStringLiteral("###"), QStringLiteral("###"), visibili, albero, opzioni);

    Transazione t(*m_lavoro);
    {
        m_lavoro->execute(QStringLiteral("DELETE FROM categoria"));
        Recordset pagina(m_lavoro, QStringLiteral("SELECT * FROM categoria"));
        pagina.addNew();
        pagina.setValue(QStringLiteral("vetrina"), vetrina);
        pagina.setValue(QStringLiteral("elenco"), ElencoVetrina);
        pagina.setValue(QStringLiteral("reparti"), albero);
        pagina.setValue(QStringLiteral("repartimenu"), MenuHome(opzioni));
        CampiNegozio(pagina);
        salvaRigaPagina(pagina);
    }
    t.commit();
    return true;
}
