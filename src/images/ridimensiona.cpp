#include "ridimensiona.h"

#include "cdibsection.h"

#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <system_error>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr int BitsPeso = 14;        // weights: 1.0 = 1 << 14
constexpr int BitsIntermedi = 6;    // values between the passes: 1.0 = 1 << 6
constexpr double Lobi = 3.0;

double sinc(double x)
{
    if (x == 0.0)
        return 1.0;
    x *= M_PI;
    return std::sin(x) / x;
}

double lanczos3(double x)
{
    x = std::fabs(x);
    return x < Lobi ? sinc(x) * sinc(x / Lobi) : 0.0;
}

// The taps of one axis: for output i, the source positions first[i] ..
// first[i] + n[i] - 1 with their weights, which start at pesi[i * count].
struct Asse {
    std::vector<int> first, n;
    std::vector<int16_t> pesi;
    int count = 0;
    const int16_t *pesiDi(int i) const { return &pesi[size_t(i) * size_t(count)]; }
};

Asse calcolaAsse(int src, int dst)
{
    Asse a;
    const double scala = double(src) / double(dst);
    const double allarga = std::max(scala, 1.0);
    const double raggio = Lobi * allarga;
    a.count = std::min(int(std::ceil(raggio)) * 2 + 1, src);
    a.first.resize(size_t(dst));
    a.n.resize(size_t(dst));
    a.pesi.assign(size_t(dst) * a.count, 0);
    std::vector<double> w(size_t(a.count));
    for (int i = 0; i < dst; ++i) {
        const double centro = (i + 0.5) * scala;
        int xmin = std::max(int(std::floor(centro - raggio + 0.5)), 0);
        const int xmax = std::min(int(std::floor(centro + raggio + 0.5)), src);
        int n = xmax - xmin;
        if (n > a.count) {
            xmin += (n - a.count) / 2;
            n = a.count;
        }
        double somma = 0;
        for (int k = 0; k < n; ++k) {
            w[size_t(k)] = lanczos3((xmin + k + 0.5 - centro) / allarga);
            somma += w[size_t(k)];
        }
        a.first[size_t(i)] = xmin;
        a.n[size_t(i)] = n;
        int16_t *p = &a.pesi[size_t(i) * a.count];
        int totale = 0, grande = 0;
        for (int k = 0; k < n; ++k) {
            const int v = int(std::lround(w[size_t(k)] / somma * (1 << BitsPeso)));
            p[k] = int16_t(v);
            totale += v;
            if (std::abs(v) > std::abs(p[grande]))
                grande = k;
        }
        p[grande] = int16_t(p[grande] + ((1 << BitsPeso) - totale));  // exactly 1.0 in all
    }
    return a;
}

inline uint8_t satura(int v)
{
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Down the columns: one row of the values between the passes from the
// source rows of output row y (tmp: four values a pixel). Two taps at a time, in loops the compiler
// turns into vector code.
void verticale(const PixelBGR &src, const Asse &ay, int y, std::vector<int32_t> &acc, std::vector<int16_t> &tmp)
{
    const size_t riga = src.stride();
    const int first = ay.first[size_t(y)], n = ay.n[size_t(y)];
    const int16_t *w = ay.pesiDi(y);
    constexpr int sh = BitsPeso - BitsIntermedi;
    int32_t *a = acc.data();
    std::fill_n(a, riga, int32_t(1) << (sh - 1));
    int k = 0;
    for (; k + 1 < n; k += 2) {
        const int32_t w0 = w[k], w1 = w[k + 1];
        const uint8_t *s0 = src.row(first + k), *s1 = src.row(first + k + 1);
        for (size_t i = 0; i < riga; ++i)
            a[i] += w0 * s0[i] + w1 * s1[i];
    }
    if (k < n) {
        const int32_t w0 = w[k];
        const uint8_t *s0 = src.row(first + k);
        for (size_t i = 0; i < riga; ++i)
            a[i] += w0 * s0[i];
    }
    // Four values a pixel (blue, green, red, 0) for the pass along the row.
    int16_t *t = tmp.data();
    for (size_t p = 0; p < size_t(src.width); ++p, a += 3, t += 4) {
        t[0] = int16_t(a[0] >> sh);
        t[1] = int16_t(a[1] >> sh);
        t[2] = int16_t(a[2] >> sh);
        t[3] = 0;
    }
}

// Along the row: the output pixels of one row, from four values a pixel.
// With SSE2 two taps at a time for the three colours at once (pmaddwd);
// the sums are the same integers either way.
void orizzontale(const std::vector<int16_t> &tmp, const Asse &ax, uint8_t *o)
{
    constexpr int sh = BitsPeso + BitsIntermedi, half = 1 << (sh - 1);
    const int dW = int(ax.first.size());
    for (int x = 0; x < dW; ++x, o += 3) {
        const int16_t *p = &tmp[size_t(ax.first[size_t(x)]) * 4];
        const int16_t *w = ax.pesiDi(x);
        const int n = ax.n[size_t(x)];
#ifdef __SSE2__
        __m128i acc = _mm_set1_epi32(half);
        int k = 0;
        for (; k + 1 < n; k += 2, p += 8) {
            const __m128i due = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const __m128i intrecciati = _mm_unpacklo_epi16(due, _mm_srli_si128(due, 8));  // b0 b1 g0 g1 ...
            const __m128i pesi = _mm_set1_epi32(int32_t(uint16_t(w[k])) | int32_t(uint32_t(uint16_t(w[k + 1])) << 16));
            acc = _mm_add_epi32(acc, _mm_madd_epi16(intrecciati, pesi));
        }
        if (k < n) {
            const __m128i uno = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)), _mm_setzero_si128());
            acc = _mm_add_epi32(acc, _mm_madd_epi16(uno, _mm_set1_epi32(int32_t(uint16_t(w[k])))));
        }
        const __m128i v = _mm_srai_epi32(acc, sh);
        const int bgr = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(v, v), _mm_setzero_si128()));
        o[0] = uint8_t(bgr);
        o[1] = uint8_t(bgr >> 8);
        o[2] = uint8_t(bgr >> 16);
#else
        int b = half, g = half, r = half;
        for (int k = 0; k < n; ++k, p += 4) {
            b += w[k] * p[0];
            g += w[k] * p[1];
            r += w[k] * p[2];
        }
        o[0] = satura(b >> sh);
        o[1] = satura(g >> sh);
        o[2] = satura(r >> sh);
#endif
    }
}

} // namespace

namespace Ridimensiona {

// The work of one reduction: the taps of both axes and the bands of output
// rows, each with the source rows it needs.
struct Riduttore::Piano {
    Asse ax, ay;
    bool copia = false;  // equal sizes
    int altezzaBanda = 0, bande = 0;
    std::atomic<int> prossima{0};

    Piano(const PixelBGR &src, int dW, int dH, int threads)
        : copia(src.width == dW && src.height == dH)
    {
        if (!copia) {
            ax = calcolaAsse(src.width, dW);
            ay = calcolaAsse(src.height, dH);
        }
        // Several bands for each thread, so that the first start early and
        // the threads end together.
        altezzaBanda = std::clamp(dH / std::max(1, threads * 4), 4, 64);
        bande = (dH + altezzaBanda - 1) / altezzaBanda;
    }
    int inizio(int banda, int dH) const { return std::min(banda * altezzaBanda, dH); }
    // How many source rows from the top output rows [y0, y1) need.
    int righeServono(int y0, int y1) const
    {
        if (copia)
            return y1;
        int r = 0;
        for (int y = y0; y < y1; ++y)
            r = std::max(r, ay.first[size_t(y)] + ay.n[size_t(y)]);
        return r;
    }
};

Riduttore::Riduttore(cDIBSection &dst, int threads)
    : m_dst(dst), m_threads(threads > 0 ? threads : int(std::max(1u, std::thread::hardware_concurrency())))
{
}

Riduttore::~Riduttore()
{
    ferma();
}

void Riduttore::righe(const PixelBGR &src, int complete)
{
    if (complete < 0) {
        ferma();
        return;
    }
    if (src.isNull() || m_dst.isEmpty())
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_piano) {
        m_src = &src;
        const int dW = m_dst.Width(), dH = m_dst.Height();
        // Work in multiply-adds; small jobs stay on the thread that concludes.
        const double lavoro = double(dH) * src.stride() * std::ceil(Lobi * 2 * std::max(1.0, double(src.height) / dH))
                              + double(dH) * dW * 3 * std::ceil(Lobi * 2 * std::max(1.0, double(src.width) / dW));
        m_threads = std::clamp(int(lavoro / 4.0e6), 1, std::min(m_threads, dH));
        m_piano = std::make_unique<Piano>(src, dW, dH, m_threads);
        // While rows are still coming one thread follows the decoder (it
        // keeps up with it); the others join in once every row is there.
        avvia(complete < src.height ? 1 : m_threads - 1);
    }
    m_complete = std::max(m_complete, complete);
    if (m_complete >= m_soglia) {
        m_soglia = std::numeric_limits<int>::max();
        m_righePronte.notify_all();
    }
}

void Riduttore::avvia(int quanti)
{
    try {
        while (int(m_pool.size()) < std::min(quanti, m_threads - 1))
            m_pool.emplace_back(&Riduttore::lavora, this);
    } catch (const std::system_error &e) {
        // Fewer threads: concludi() does what they would have done.
        qWarning("Riduzione su %d thread invece di %d: %s", int(m_pool.size()) + 1, m_threads, e.what());
    }
}

bool Riduttore::aspettaRighe(int servono)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_fermo && m_complete < servono) {
        m_soglia = std::min(m_soglia, servono);  // the rows that wake the waiters
        m_righePronte.wait(lock);
    }
    return !m_fermo;
}

void Riduttore::lavora()
{
    const PixelBGR &src = *m_src;
    const int dH = m_dst.Height();
    std::vector<int32_t> acc(m_piano->copia ? 0 : src.stride());
    std::vector<int16_t> tmp(m_piano->copia ? 0 : size_t(src.width) * 4);
    for (int b; (b = m_piano->prossima.fetch_add(1)) < m_piano->bande;) {
        const int y0 = m_piano->inizio(b, dH), y1 = m_piano->inizio(b + 1, dH);
        if (!aspettaRighe(m_piano->righeServono(y0, y1)))
            return;
        for (int y = y0; y < y1; ++y) {
            if (m_piano->copia) {
                std::copy_n(src.row(y), src.stride(), m_dst.scanLineFromTop(y));
                continue;
            }
            verticale(src, m_piano->ay, y, acc, tmp);
            orizzontale(tmp, m_piano->ax, m_dst.scanLineFromTop(y));
        }
    }
}

void Riduttore::concludi()
{
    if (!m_piano)
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_complete = m_src->height;
        m_righePronte.notify_all();
        avvia(m_threads - 1);
    }
    lavora();
    for (auto &t : m_pool)
        t.join();
    m_pool.clear();
}

void Riduttore::ferma()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fermo = true;
        m_righePronte.notify_all();
    }
    for (auto &t : m_pool)
        t.join();
    m_pool.clear();
}

void lanczos(const PixelBGR &src, cDIBSection &dst, int threads)
{
    Riduttore r(dst, threads);
    r.righe(src, src.height);
    r.concludi();
}

}  // namespace Ridimensiona
