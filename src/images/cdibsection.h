#pragma once
// cDIBSection: one 24-bit picture in the layout of a Windows DIB section:
// 3 bytes per pixel in the order blue, green, red; each scan line padded to
// a multiple of 4 bytes; the first scan line in memory is the bottom row of
// the picture. The JPEG writer reads it; the chooser fills it.
//
// The Windows device context and bitmap handle have no counterpart here: the
// pixel memory is the bitmap, and block transfers go to and from QImage.
#include <QImage>
#include <cstdint>
#include <memory>

class Messages;

// The window system's BITMAPINFOHEADER, as the class fills it.
struct BitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;  // positive: bottom-up rows
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 24;
    uint32_t biCompression = 0;  // uncompressed RGB
    uint32_t biSizeImage = 0;    // BytesPerScanLine × height
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

class cDIBSection {
public:
    cDIBSection() = default;  // holds nothing
    ~cDIBSection() { ClearUp(); }
    cDIBSection(const cDIBSection &) = delete;
    cDIBSection &operator=(const cDIBSection &) = delete;
    cDIBSection(cDIBSection &&) noexcept = default;
    cDIBSection &operator=(cDIBSection &&) noexcept = default;

    // Copies the picture to the desktop clipboard. bAsDIB true shows the
    // fixed message and returns false without touching the clipboard.
    bool CopyToClipboard(Messages &messages, bool bAsDIB = false) const;
    // Releases what the instance held, then makes a lWidth × lHeight bitmap,
    // every byte 0. False for a size of 0 or less, a size too large for a
    // DIB (more than 2 GiB of pixels) or when memory runs out.
    bool Create(int lWidth, int lHeight);
    // An exact copy of the picture at its size (any QImage format; alpha is
    // dropped). False, with nothing changed, when it cannot be made.
    bool CreateFromPicture(const QImage &picThis);

    // (header width × 3 + 3) with the two lowest bits cleared.
    int BytesPerScanLine() const { return static_cast<int>((int64_t(m_header.biWidth) * 3 + 3) & ~int64_t(3)); }
    int Width() const { return m_header.biWidth; }
    int Height() const { return m_header.biHeight; }
    const BitmapInfoHeader &header() const { return m_header; }
    bool isEmpty() const { return !m_bits; }

    // Block transfer from a picture at (lSrcLeft, lSrcTop) into this bitmap
    // at (0, 0); a negative width or height stands for this bitmap's own, 0
    // copies nothing. The transfer is clipped to both pictures.
    void LoadPictureBlt(const QImage &src, int lSrcLeft = 0, int lSrcTop = 0, int lSrcWidth = -1,
                        int lSrcHeight = -1);
    // Block transfer from this bitmap at (lSrcLeft, lSrcTop) to a picture at
    // (lDestLeft, lDestTop); negative width or height: this bitmap's own.
    void PaintPicture(QImage &dest, int lDestLeft = 0, int lDestTop = 0, int lDestWidth = -1, int lDestHeight = -1,
                      int lSrcLeft = 0, int lSrcTop = 0) const;

    uint8_t *DIBSectionBitsPtr() { return m_bits.get(); }
    const uint8_t *DIBSectionBitsPtr() const { return m_bits.get(); }

    // Fills every pixel with random values: grey (equal blue, green, red),
    // or blue 0 with random green and red.
    void RandomiseBits(bool bGray);
    // Releases the pixel memory; Width and Height still report the old size.
    void ClearUp();
    // A new bitmap of the given size (height first) holding this picture,
    // bilinearly resampled (source step (size - 1) / new size); the same size gives an exact
    // copy. Nothing (nullptr) when the new bitmap cannot be made. A source
    // narrower or lower than 2 pixels raises the out-of-range error.
    std::unique_ptr<cDIBSection> Resample(int lNewHeight, int lNewWidth) const;

    // The picture, top row first, as a QImage (RGB888).
    QImage image() const;
    // Byte b of the row r counted in memory order (0 = bottom row), checked
    // against the bounds: an access outside raises the out-of-range error.
    uint8_t &at(int byteColumn, int row);
    uint8_t at(int byteColumn, int row) const;
    // Start of the scan line of picture row y counted from the top.
    uint8_t *scanLineFromTop(int y) { return m_bits.get() + size_t(m_header.biHeight - 1 - y) * BytesPerScanLine(); }
    const uint8_t *scanLineFromTop(int y) const
    {
        return m_bits.get() + size_t(m_header.biHeight - 1 - y) * BytesPerScanLine();
    }

private:
    void ResampleDIB(cDIBSection &target) const;

    std::unique_ptr<uint8_t[]> m_bits;
    BitmapInfoHeader m_header;
};
