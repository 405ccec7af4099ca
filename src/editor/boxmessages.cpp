#include "boxmessages.h"

#include "schermo.h"
#include "shell.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QTreeView>
#include <vector>

namespace {

// A text too tall for the screen shows its first lines, as many as fit,
// and whole under "Mostra dettagli...", where it scrolls.
void mettiTesto(QMessageBox &box, const QString &text)
{
    const QRect area = areaDisponibile(&box);
    // The message box wraps a long text at about half the screen's width,
    // at most 500 pixels, less its icon.
    const int larghezza = std::min(area.width() / 2, 500) - 80;
    // Room, in the box centred on the screen, for its buttons and for the
    // details' pane that opens below it.
    const int pulsanti = 120, dettagli = 130;
    const int altezzaMassima = area.height() - pulsanti - 2 * dettagli;
    const QFontMetrics fm(box.font());
    const auto altezza = [&](const QString &t) {
        return fm.boundingRect(QRect(0, 0, larghezza, 1 << 20), Qt::TextWordWrap, t).height();
    };
    if (altezza(text) <= altezzaMassima) {
        box.setText(text);
        return;
    }
    QString mostrato;
    for (const QString &riga : QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n')) {
        const QString prova = mostrato.isEmpty() ? riga : mostrato + u'\n' + riga;
        if (altezza(prova + QStringLiteral("\n…")) > altezzaMassima)
            break;
        mostrato = prova;
    }
    box.setText(mostrato + QStringLiteral("\n…"));
    box.setDetailedText(text);
}

} // namespace

Messages::Answer BoxMessages::show(const QString &text, Icon icon, Buttons buttons, const QString &title,
                                   std::optional<Answer> defaultButton)
{
    // A message of a dialog's work (the build's closing question, an
    // upload's failure) belongs to that dialog: it stands over it, and the
    // window manager keeps it above it.
    QWidget *sopra = QApplication::activeModalWidget();
    QMessageBox box(sopra ? sopra : m_owner ? m_owner : QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? defaultTitle() : title);
    mettiTesto(box, text);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    if (defaultButton) {
        switch (*defaultButton) {
        case Answer::Ok: box.setDefaultButton(QMessageBox::Ok); break;
        case Answer::Cancel: box.setDefaultButton(QMessageBox::Cancel); break;
        case Answer::Yes: box.setDefaultButton(QMessageBox::Yes); break;
        case Answer::No: box.setDefaultButton(QMessageBox::No); break;
        }
    }
    // Each button with its own access key: Alt+S, Alt+N, Alt+A.
    if (QAbstractButton *b = box.button(QMessageBox::Yes))
        b->setText(QStringLiteral("&Sì"));
    if (QAbstractButton *b = box.button(QMessageBox::No))
        b->setText(QStringLiteral("&No"));
    if (QAbstractButton *b = box.button(QMessageBox::Cancel))
        b->setText(QStringLiteral("&Annulla"));
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
}

namespace {

// The file dialogs' entries with their dates and sizes in the program's
// Italian notation, whatever the desktop's language (Qt writes them in the
// system's).
class NotazioneItaliana : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &indice, int ruolo) const override
    {
        const auto *file = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (ruolo != Qt::DisplayRole || !file || (indice.column() != 1 && indice.column() != 3))
            return QIdentityProxyModel::data(indice, ruolo);
        const QFileInfo info = file->fileInfo(mapToSource(indice));
        if (indice.column() == 3)
            return QLocale().toString(info.lastModified(), QLocale::ShortFormat);
        return info.isFile() ? QLocale().formattedDataSize(info.size()) : QString();
    }
};

// The folder picker's prompt above the dialog's own rows, whole and
// wrapped, and below them a status line with the full path of the folder
// chosen so far.
void domandaEStato(QFileDialog &d, const QString &domanda)
{
    auto *griglia = qobject_cast<QGridLayout *>(d.layout());
    if (!griglia)
        return;
    struct Posto {
        QLayoutItem *elemento;
        int riga, colonna, righe, colonne;
    };
    std::vector<Posto> posti;
    while (griglia->count() > 0) {
        Posto p{};
        griglia->getItemPosition(0, &p.riga, &p.colonna, &p.righe, &p.colonne);
        p.elemento = griglia->takeAt(0);
        posti.push_back(p);
    }
    const int righe = griglia->rowCount();
    for (int r = righe - 1; r >= 0; --r) {
        griglia->setRowStretch(r + 1, griglia->rowStretch(r));
        griglia->setRowStretch(r, 0);
    }
    for (const Posto &p : posti)
        griglia->addItem(p.elemento, p.riga + 1, p.colonna, p.righe, p.colonne, p.elemento->alignment());
    const int colonne = griglia->columnCount();
    auto *lblDomanda = new QLabel(domanda, &d);
    lblDomanda->setObjectName(QStringLiteral("lblDomanda"));
    lblDomanda->setWordWrap(true);
    griglia->addWidget(lblDomanda, 0, 0, 1, colonne);
    auto *lblStato = new QLabel(QDir::toNativeSeparators(d.directory().absolutePath()), &d);
    lblStato->setObjectName(QStringLiteral("lblStato"));
    lblStato->setTextInteractionFlags(Qt::TextSelectableByMouse);
    griglia->addWidget(lblStato, righe + 1, 0, 1, colonne);
    const auto mostra = [lblStato](const QString &cartella) {
        if (!cartella.isEmpty())
            lblStato->setText(QDir::toNativeSeparators(cartella));
    };
    QObject::connect(&d, &QFileDialog::currentChanged, lblStato, mostra);
    QObject::connect(&d, &QFileDialog::directoryEntered, lblStato, mostra);
}

// The desktop's file dialog, in Italian, over the window in front. The
// folder picker shows its prompt inside, under a short title.
QStringList scegli(const QString &titolo, const QString &iniziale, QFileDialog::FileMode modo,
                   const QString &filtro = {})
{
    const bool cartella = modo == QFileDialog::Directory;
    QFileDialog d(QApplication::activeWindow(), cartella ? QStringLiteral("Scelta della cartella") : titolo, iniziale,
                  filtro);
    d.setFileMode(modo);
    if (cartella) {
        // Qt's own dialog, which takes the prompt's line.
        d.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        domandaEStato(d, titolo);
    }
    d.setProxyModel(new NotazioneItaliana(&d));
    // The details' columns as wide as their headings and entries, the
    // name taking the rest.
    if (auto *dettagli = d.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *colonne = dettagli->header();
        colonne->setStretchLastSection(false);
        colonne->setSectionResizeMode(QHeaderView::ResizeToContents);
        colonne->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    return d.exec() == QDialog::Accepted ? d.selectedFiles() : QStringList();
}

} // namespace

void installaScelte()
{
    Shell::impostaSceltaCartella([](const QString &titolo, const QString &iniziale) {
        return scegli(titolo, iniziale, QFileDialog::Directory).value(0);
    });
    Shell::impostaSceltaFile([](const QString &titolo, const QString &iniziale, const QString &filtro) {
        return scegli(titolo, iniziale, QFileDialog::ExistingFiles, filtro);
    });
}
