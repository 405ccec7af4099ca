#include "frmtemplate.h"

#include "negozio.h"
#include "programfolder.h"
#include "testofile.h"

#include <QFile>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmTemplate::frmTemplate(Aiuto aiuto, QWidget *parent)
    : DialogoAiuto(QStringLiteral("pagine\\template.htm"), std::move(aiuto), parent)
{
    setObjectName(QStringLiteral("frmTemplate"));
    setWindowTitle(QStringLiteral("Vetrasto - Scelta del template"));
    lstTemplate = new QListWidget(this);
    lstTemplate->setObjectName(QStringLiteral("lstTemplate"));
    lstTemplate->addItems(Negozio::setTemplate());
    picTemplate = new QWidget(this);
    picTemplate->setObjectName(QStringLiteral("picTemplate"));
    picTemplate->setFixedSize(misuraAnteprima);
    picTemplate->setAutoFillBackground(true);
    QPalette p = picTemplate->palette();
    p.setColor(QPalette::Window, Qt::white);
    picTemplate->setPalette(p);
    imgTemplate = new QLabel(picTemplate);
    imgTemplate->setObjectName(QStringLiteral("imgTemplate"));
    imgTemplate->hide();
    lblAnteprima = new QLabel(picTemplate);
    lblAnteprima->setObjectName(QStringLiteral("lblAnteprima"));
    lblAnteprima->setWordWrap(true);
    lblAnteprima->setAlignment(Qt::AlignCenter);
    lblAnteprima->setGeometry(QRect(QPoint(8, 8), misuraAnteprima - QSize(16, 16)));
    txtNote = new QPlainTextEdit(this);
    txtNote->setObjectName(QStringLiteral("txtNote"));
    txtNote->setReadOnly(true);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));

    auto *griglia = new QGridLayout;
    griglia->addWidget(new QLabel(QStringLiteral("Template disponibili:"), this), 0, 0);
    griglia->addWidget(lstTemplate, 1, 0, 3, 1);
    griglia->addWidget(new QLabel(QStringLiteral("Anteprima:"), this), 0, 1);
    griglia->addWidget(picTemplate, 1, 1);
    griglia->addWidget(new QLabel(QStringLiteral("Note:"), this), 2, 1);
    griglia->addWidget(txtNote, 3, 1);
    griglia->setColumnStretch(0, 1);
    auto *colonna = new QVBoxLayout(this);
    colonna->addLayout(griglia);
    colonna->addLayout(rigaPulsanti({cmdOK, cmdAnnulla}));
    resize(620, 460);

    connect(lstTemplate, &QListWidget::currentRowChanged, this, &frmTemplate::mostraSelezionato);
    connect(lstTemplate, &QListWidget::itemDoubleClicked, this, &frmTemplate::ok);
    connect(cmdOK, &QPushButton::clicked, this, &frmTemplate::ok);
    connect(cmdAnnulla, &QPushButton::clicked, this, [this] {
        m_tag.clear();
        reject();
    });
}

void frmTemplate::preseleziona(const QString &set)
{
    const QList<QListWidgetItem *> trovati = lstTemplate->findItems(set, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (trovati.isEmpty()) {
        lstTemplate->setCurrentRow(-1);
        mostraSelezionato();
    } else {
        lstTemplate->setCurrentItem(trovati.first());
    }
}

void frmTemplate::mostraSelezionato()
{
    imgTemplate->hide();
    lblAnteprima->clear();
    txtNote->clear();
    const QListWidgetItem *voce = lstTemplate->currentItem();
    if (!voce)
        return;
    const QString cartella = ProgramFolder::path() + QStringLiteral("/template/") + voce->text();
    const QString anteprima = cartella + QStringLiteral("/vtas_preview.jpg");
    if (QFile::exists(anteprima)) {
        QImageReader lettore(anteprima);
        const QImage img = lettore.read();
        if (img.isNull()) {
            lblAnteprima->setText(QStringLiteral("L'anteprima \"vtas_preview.jpg\" non può essere letta:\n")
                                  + lettore.errorString());
        } else {
            // Centred when smaller than the box; a larger picture starts at
            // the top left corner and is cut, not scaled.
            const QSize box = picTemplate->size();
            const QPoint pos(img.width() < box.width() ? (box.width() - img.width()) / 2 : 0,
                             img.height() < box.height() ? (box.height() - img.height()) / 2 : 0);
            imgTemplate->setPixmap(QPixmap::fromImage(img));
            imgTemplate->setGeometry(QRect(pos, img.size()));
            imgTemplate->show();
        }
    }
    if (const auto note = TestoFile::leggi(cartella + QStringLiteral("/vtas_note.txt")))
        txtNote->setPlainText(note->testo);
}

void frmTemplate::ok()
{
    if (const QListWidgetItem *voce = lstTemplate->currentItem())
        m_tag = voce->text();
    accept();
}
