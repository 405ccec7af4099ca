#include "home.h"

namespace {
const QString crlf = QStringLiteral("\r\n");
}

QString TabellaVetrina(const QStringList &celle, int perRiga)
{
    if (perRiga < 1)
        perRiga = 1;
    if (celle.isEmpty())
        return {};
    QString t = QStringLiteral("<div align=\"center\"><center><table border=\"0\" cellpadding=\"4\" cellspacing=\"0\">") +
                crlf;
    int colonna = 0;
    for (const QString &cella : celle) {
        if (++colonna == 1)
            t += QStringLiteral("<tr>") + crlf;
        t += QStringLiteral("<td valign=\"top\" align=\"center\">") + crlf + cella + QStringLiteral("</td>") + crlf;
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

