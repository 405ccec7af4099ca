#include "traduzioni.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// The texts of Qt that its Italian catalogue lacks, by context and source.
class TestiMancanti : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char *contesto, const char *testo, const char *, int) const override
    {
        static const QHash<QByteArray, QString> testi = {
            // The kind of an entry, in the file dialog's details.
            {"QAbstractFileIconProvider|Folder", QStringLiteral("Cartella")},
            {"QAbstractFileIconProvider|File Folder", QStringLiteral("Cartella")},
            {"QAbstractFileIconProvider|Drive", QStringLiteral("Unità")},
            {"QAbstractFileIconProvider|Shortcut", QStringLiteral("Collegamento")},
            {"QAbstractFileIconProvider|Alias", QStringLiteral("Collegamento")},
            {"QAbstractFileIconProvider|Unknown", QStringLiteral("Sconosciuto")},
        };
        return testi.value(QByteArray(contesto) + '|' + testo);
    }
    bool isEmpty() const override { return false; }
};

} // namespace

bool installaTraduzioni()
{
    static bool installate = false, caricate = false;
    if (installate)
        return caricate;
    installate = true;
    auto *qt = new QTranslator(QCoreApplication::instance());
    caricate = qt->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (caricate)
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    // Installed last, asked first.
    QCoreApplication::installTranslator(new TestiMancanti(QCoreApplication::instance()));
    return caricate;
}
