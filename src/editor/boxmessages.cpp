#include "boxmessages.h"

#include "schermo.h"
#include "shell.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

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
    QMessageBox box(m_owner ? m_owner : QApplication::activeWindow());
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
    if (QAbstractButton *b = box.button(QMessageBox::Yes))
        b->setText(QStringLiteral("Sì"));
    if (QAbstractButton *b = box.button(QMessageBox::Cancel))
        b->setText(QStringLiteral("Annulla"));
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
}

void installaScelte()
{
    Shell::impostaSceltaCartella([](const QString &titolo, const QString &iniziale) {
        return QFileDialog::getExistingDirectory(QApplication::activeWindow(), titolo, iniziale,
                                                 QFileDialog::ShowDirsOnly);
    });
    Shell::impostaSceltaFile([](const QString &titolo, const QString &iniziale, const QString &filtro) {
        return QFileDialog::getOpenFileNames(QApplication::activeWindow(), titolo, iniziale, filtro);
    });
}
