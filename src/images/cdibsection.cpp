#include "cdibsection.h"

#include "imageerror.h"
#include "messages.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <new>
#include <random>

namespace {

[[noreturn]] void outOfRange()
{
    throw ImageError(ImageErr::OutOfRange, QStringLiteral("Vetrasto.cDIBSection"),
                     QStringLiteral("Indice non compreso nell'intervallo"));
}

// r × 255 rounded to the nearest integer, halves to the even neighbour.
inline uint8_t scaled255(double r)
{
    return static_cast<uint8_t>(std::nearbyint(r * 255.0));
}

}  // namespace

bool cDIBSection::Create(int lWidth, int lHeight)
{
    ClearUp();
    if (lWidth <= 0 || lHeight <= 0)
        return false;
    const int64_t line = (int64_t(lWidth) * 3 + 3) & ~int64_t(3);
    const int64_t bytes = line * lHeight;
    if (bytes > 0x7fffffff)
        return false;
    m_bits.reset(new (std::nothrow) uint8_t[size_t(bytes)]());
    if (!m_bits)
        return false;
    m_header = BitmapInfoHeader{};
    m_header.biWidth = lWidth;
    m_header.biHeight = lHeight;
    m_header.biSizeImage = static_cast<uint32_t>(bytes);
    return true;
}

bool cDIBSection::CreateFromPicture(const QImage &picThis)
{
    if (picThis.isNull())
        return false;
    cDIBSection made;
    if (!made.Create(picThis.width(), picThis.height()))
        return false;
    made.LoadPictureBlt(picThis, 0, 0, -1, -1);
    m_bits = std::move(made.m_bits);
    m_header = made.m_header;
    return true;
}

void cDIBSection::ClearUp()
{
    m_bits.reset();
}

void cDIBSection::LoadPictureBlt(const QImage &src, int lSrcLeft, int lSrcTop, int lSrcWidth, int lSrcHeight)
{
    if (!m_bits || src.isNull())
        return;
    int w = lSrcWidth < 0 ? Width() : lSrcWidth;
    int h = lSrcHeight < 0 ? Height() : lSrcHeight;
    // Clip to the source picture and to this bitmap (destination at 0, 0).
    int sx = lSrcLeft, sy = lSrcTop, dx = 0, dy = 0;
    if (sx < 0) { dx -= sx; w += sx; sx = 0; }
    if (sy < 0) { dy -= sy; h += sy; sy = 0; }
    w = std::min({w, src.width() - sx, Width() - dx});
    h = std::min({h, src.height() - sy, Height() - dy});
    if (w <= 0 || h <= 0)
        return;
    const QImage part = src.copy(sx, sy, w, h).convertToFormat(QImage::Format_BGR888);
    for (int y = 0; y < h; ++y)
        std::copy_n(part.constScanLine(y), size_t(w) * 3, scanLineFromTop(dy + y) + size_t(dx) * 3);
}

void cDIBSection::PaintPicture(QImage &dest, int lDestLeft, int lDestTop, int lDestWidth, int lDestHeight,
                               int lSrcLeft, int lSrcTop) const
{
    if (!m_bits || dest.isNull())
        return;
    int w = lDestWidth < 0 ? Width() : lDestWidth;
    int h = lDestHeight < 0 ? Height() : lDestHeight;
    // Clip to this bitmap; the painter clips to the destination.
    int sx = lSrcLeft, sy = lSrcTop, dx = lDestLeft, dy = lDestTop;
    if (sx < 0) { dx -= sx; w += sx; sx = 0; }
    if (sy < 0) { dy -= sy; h += sy; sy = 0; }
    w = std::min(w, Width() - sx);
    h = std::min(h, Height() - sy);
    if (w <= 0 || h <= 0)
        return;
    QPainter p(&dest);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(dx, dy), image(), QRect(sx, sy, w, h));
}

bool cDIBSection::CopyToClipboard(Messages &messages, bool bAsDIB) const
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;  // no window system to hand the picture to
    if (bAsDIB) {
        messages.show(QStringLiteral("I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!"),
                      Messages::Icon::None, Messages::Buttons::Ok);
        return false;
    }
    if (!m_bits)
        return false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setImage(image());
    return true;
}

void cDIBSection::RandomiseBits(bool bGray)
{
    if (!m_bits)
        return;
    std::mt19937 gen(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay() / 1000));
    std::uniform_real_distribution<double> rnd(0.0, 1.0);
    const int w = Width(), h = Height();
    if (bGray) {
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w; ++x) {
                const uint8_t v = scaled255(rnd(gen));
                at(3 * x, r) = v;
                at(3 * x + 1, r) = v;
                at(3 * x + 2, r) = v;
            }
    } else {
        for (int x = 0; x < w; ++x)
            for (int r = 0; r < h; ++r) {
                at(3 * x, r) = 0;
                at(3 * x + 1, r) = scaled255(rnd(gen));
                at(3 * x + 2, r) = scaled255(rnd(gen));
            }
    }
}

uint8_t &cDIBSection::at(int byteColumn, int row)
{
    if (!m_bits || byteColumn < 0 || byteColumn >= BytesPerScanLine() || row < 0 || row >= Height())
        outOfRange();
    return m_bits[size_t(row) * BytesPerScanLine() + byteColumn];
}

uint8_t cDIBSection::at(int byteColumn, int row) const
{
    return const_cast<cDIBSection *>(this)->at(byteColumn, row);
}

QImage cDIBSection::image() const
{
    if (!m_bits)
        return {};
    QImage img(Width(), Height(), QImage::Format_RGB888);
    if (img.isNull())
        return {};
    for (int y = 0; y < Height(); ++y) {
        const uint8_t *s = scanLineFromTop(y);
        uint8_t *d = img.scanLine(y);
        for (int x = 0; x < Width(); ++x, s += 3, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    }
    return img;
}

std::unique_ptr<cDIBSection> cDIBSection::Resample(int lNewHeight, int lNewWidth) const
{
    auto made = std::make_unique<cDIBSection>();
    if (!made->Create(lNewWidth, lNewHeight))
        return nullptr;
    if (lNewWidth == Width() && lNewHeight == Height()) {
        if (m_bits)
            std::copy_n(m_bits.get(), m_header.biSizeImage, made->m_bits.get());
    } else {
        ResampleDIB(*made);
    }
    return made;
}

void cDIBSection::ResampleDIB(cDIBSection &target) const
{
    const int sW = Width(), sH = Height();
    const int dW = target.Width(), dH = target.Height();
    // The right and lower neighbours must exist: refuse before writing.
    if (!m_bits || sW < 2 || sH < 2)
        outOfRange();
    const float xScale = static_cast<float>(double(sW - 1) / double(dW));
    const float yScale = static_cast<float>(double(sH - 1) / double(dH));
    const int line = BytesPerScanLine();
    for (int yD = 0; yD < dH; ++yD) {
        const float yS = yScale * float(yD);
        const int ys = static_cast<int>(std::floor(yS));
        const float fy = yS - float(ys);
        if (ys < 0 || ys + 1 >= sH)
            outOfRange();
        const uint8_t *upper = m_bits.get() + size_t(ys) * line;
        const uint8_t *lower = upper + line;
        uint8_t *out = target.m_bits.get() + size_t(yD) * target.BytesPerScanLine();
        for (int xD = 0; xD < dW; ++xD) {
            const float xS = xScale * float(xD);
            const int xs = static_cast<int>(std::floor(xS));
            const float fx = xS - float(xs);
            if (xs < 0 || 3 * xs + 5 >= line)
                outOfRange();
            const int b = 3 * xs;
            float left[3], right[3];
            for (int c = 0; c < 3; ++c) {
                left[c] = std::nearbyint((1.0f - fy) * float(upper[b + c]) + fy * float(lower[b + c]));
                right[c] = std::nearbyint((1.0f - fy) * float(upper[b + 3 + c]) + fy * float(lower[b + 3 + c]));
            }
            for (int c = 0; c < 3; ++c) {
                const float v = std::nearbyint((1.0f - fx) * left[c] + fx * right[c]);
                out[3 * xD + c] = static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f));
            }
        }
    }
}
