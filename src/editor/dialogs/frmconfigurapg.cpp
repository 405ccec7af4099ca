#include "frmconfigurapg.h"

#include <QFontMetricsF>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The card gateways' pictures beside their buttons: drawn here, each a
// framed tile with a small card and the gateway's name, in a colour of its
// own. Decoration only.
constexpr QSize MisuraLogo(150, 34);
const QRectF AreaNome(36, 3, MisuraLogo.width() - 41, MisuraLogo.height() - 6);

// The bold font, as large as lets every name fit beside the card, so that
// the names stand in one size.
QFont fontLoghi(QFont f, const QStringList &nomi)
{
    f.setBold(true);
    f.setPixelSize(14);
    const auto piuLargo = [&] {
        qreal l = 0;
        for (const QString &n : nomi)
            l = std::max(l, QFontMetricsF(f).horizontalAdvance(n));
        return l;
    };
    while (f.pixelSize() > 7 && piuLargo() > AreaNome.width())
        f.setPixelSize(f.pixelSize() - 1);
    return f;
}

QColor misto(const QColor &a, const QColor &b, qreal quotaB)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * quotaB),
                            float(a.greenF() + (b.greenF() - a.greenF()) * quotaB),
                            float(a.blueF() + (b.blueF() - a.blueF()) * quotaB));
}

QPixmap logoGateway(const QString &nome, const QColor &colore, const QFont &font, qreal dpr)
{
    QPixmap p(MisuraLogo * dpr);
    p.setDevicePixelRatio(dpr);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const QRectF riquadro = QRectF(QPointF(0, 0), QSizeF(MisuraLogo)).adjusted(0.5, 0.5, -0.5, -0.5);
    g.setPen(QPen(colore, 1));
    g.setBrush(misto(colore, Qt::white, 0.88));
    g.drawRoundedRect(riquadro, 5, 5);
    // The card: a rounded body with its magnetic stripe and a signature strip.
    const QRectF carta(7, 9, 24, 16);
    g.setPen(Qt::NoPen);
    g.setBrush(colore);
    g.drawRoundedRect(carta, 2.5, 2.5);
    g.setBrush(colore.darker(170));
    g.drawRect(QRectF(carta.left(), carta.top() + 3, carta.width(), 3));
    g.setBrush(QColor(255, 255, 255, 210));
    g.drawRect(QRectF(carta.left() + 3, carta.bottom() - 5, 10, 2));
    g.setFont(font);
    g.setPen(colore.darker(160));
    g.drawText(AreaNome, Qt::AlignLeft | Qt::AlignVCenter, nome);
    return p;
}

} // namespace

frmConfiguraPG::frmConfiguraPG(Aiuto aiuto, QWidget *parent)
    : DialogoAiuto(QStringLiteral("pagine\\sistemi.htm"), std::move(aiuto), parent)
{
    setModal(true);
    setObjectName(QStringLiteral("frmConfiguraPG"));
    setWindowTitle(QStringLiteral("Vetrasto - Configurazione sistemi di pagamento"));
    auto *colonna = new QVBoxLayout(this);
    auto *carte = new QGroupBox(QStringLiteral("Carte di credito"), this);
    auto *gc = new QGridLayout(carte);
    auto *altri = new QGroupBox(QStringLiteral("Altri sistemi"), this);
    auto *ga = new QGridLayout(altri);
    const char *didascalie[] = {"Configura Telepay Light...", "Configura Banca Sella...",
                                "Configura Authorize.Net...", "Configura Planet Payment...",
                                "Configura Contrassegno...",  "Configura Pagamento anticipato..."};
    const QStringList gateway = {QStringLiteral("Telepay Light"), QStringLiteral("Banca Sella"),
                                 QStringLiteral("Authorize.Net"), QStringLiteral("Planet Payment")};
    const QFont fontGateway = fontLoghi(font(), gateway);
    for (int i = 0; i < 6; ++i) {
        auto *b = new QPushButton(QLatin1String(didascalie[i]), this);
        b->setObjectName(QStringLiteral("cmdConfigura%1").arg(i));
        cmdConfigura[size_t(i)] = b;
        const Sistema s = TuttiISistemi()[size_t(i)];
        connect(b, &QPushButton::clicked, this, [this, s] {
            m_scelta = s;
            accept();
        });
        if (i < 4) {
            static const QColor colori[] = {{40, 96, 160}, {160, 60, 50}, {40, 125, 80}, {110, 70, 150}};
            auto *logo = new QLabel(carte);
            logo->setObjectName(QStringLiteral("imgLogo%1").arg(i));
            logo->setPixmap(logoGateway(gateway[i], colori[i], fontGateway, devicePixelRatioF()));
            logo->setFixedSize(MisuraLogo);
            gc->addWidget(logo, i, 0);
            gc->addWidget(b, i, 1);
        } else {
            ga->addWidget(new QLabel(datiSistema(s).nome, altri), i - 4, 0);
            ga->addWidget(b, i - 4, 1);
        }
    }
    // The buttons of both groups in one column.
    for (QGridLayout *g : {gc, ga}) {
        g->setColumnMinimumWidth(0, MisuraLogo.width());
        g->setColumnStretch(1, 1);
    }
    colonna->addWidget(carte);
    colonna->addWidget(altri);
    cmdChiudi = new QPushButton(QStringLiteral("Chiudi"), this);
    cmdChiudi->setObjectName(QStringLiteral("cmdChiudi"));
    colonna->addLayout(rigaPulsanti({cmdChiudi}));
    connect(cmdChiudi, &QPushButton::clicked, this, &QDialog::reject);
    // Room for the pictures and captions beside the buttons.
    setMinimumWidth(470);
}
