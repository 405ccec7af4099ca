#include "ridimensiona.h"

#include "cdibsection.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

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
// first[i] + count - 1 with their weights (count taps for every output,
// padded with zero weights).
struct Asse {
    std::vector<int> first;
    std::vector<int16_t> pesi;
    int count = 0;
};

Asse calcolaAsse(int src, int dst)
{
    Asse a;
    const double scala = double(src) / double(dst);
    const double allarga = std::max(scala, 1.0);
    const double raggio = Lobi * allarga;
    a.count = int(std::ceil(raggio)) * 2 + 1;
    a.first.resize(size_t(dst));
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
        // Shift the window left so that it stays inside the source.
        const int first = std::min(xmin, std::max(src - a.count, 0));
        const int shift = xmin - first;
        a.first[size_t(i)] = first;
        int16_t *p = &a.pesi[size_t(i) * a.count];
        int totale = 0, grande = shift;
        for (int k = 0; k < n; ++k) {
            const int v = int(std::lround(w[size_t(k)] / somma * (1 << BitsPeso)));
            p[shift + k] = int16_t(v);
            totale += v;
            if (std::abs(v) > std::abs(p[grande]))
                grande = shift + k;
        }
        p[grande] = int16_t(p[grande] + ((1 << BitsPeso) - totale));  // exactly 1.0 in all
    }
    return a;
}

inline uint8_t satura(int v)
{
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Output rows [y0, y1) of dst.
void banda(const PixelBGR &src, cDIBSection &dst, const Asse &ax, const Asse &ay, int y0, int y1)
{
    const int dW = dst.Width();
    const int srcRow0 = ay.first[size_t(y0)];
    int srcRow1 = 0;
    for (int y = y0; y < y1; ++y)
        srcRow1 = std::max(srcRow1, ay.first[size_t(y)] + ay.count);
    srcRow1 = std::min(srcRow1, src.height);
    const size_t riga = size_t(dW) * 3;
    std::vector<int16_t> tmp(size_t(srcRow1 - srcRow0) * riga);

    // Horizontal pass over the source rows the band needs.
    for (int sy = srcRow0; sy < srcRow1; ++sy) {
        const uint8_t *in = src.row(sy);
        int16_t *o = &tmp[size_t(sy - srcRow0) * riga];
        for (int x = 0; x < dW; ++x) {
            const uint8_t *p = in + size_t(ax.first[size_t(x)]) * 3;
            const int16_t *w = &ax.pesi[size_t(x) * ax.count];
            const int n = std::min(ax.count, src.width - ax.first[size_t(x)]);
            int b = 0, g = 0, r = 0;
            for (int k = 0; k < n; ++k, p += 3) {
                b += w[k] * p[0];
                g += w[k] * p[1];
                r += w[k] * p[2];
            }
            constexpr int sh = BitsPeso - BitsIntermedi, half = 1 << (sh - 1);
            o[3 * x] = int16_t((b + half) >> sh);
            o[3 * x + 1] = int16_t((g + half) >> sh);
            o[3 * x + 2] = int16_t((r + half) >> sh);
        }
    }
    // Vertical pass.
    std::vector<int> acc(riga);
    constexpr int sh = BitsPeso + BitsIntermedi, half = 1 << (sh - 1);
    for (int y = y0; y < y1; ++y) {
        std::fill(acc.begin(), acc.end(), half);
        const int first = ay.first[size_t(y)];
        const int16_t *w = &ay.pesi[size_t(y) * ay.count];
        const int n = std::min(ay.count, src.height - first);
        for (int k = 0; k < n; ++k) {
            const int peso = w[k];
            if (peso == 0)
                continue;
            const int16_t *in = &tmp[size_t(first + k - srcRow0) * riga];
            for (size_t i = 0; i < riga; ++i)
                acc[i] += peso * in[i];
        }
        uint8_t *o = dst.scanLineFromTop(y);
        for (size_t i = 0; i < riga; ++i)
            o[i] = satura(acc[i] >> sh);
    }
}

}  // namespace

void Ridimensiona::lanczos(const PixelBGR &src, cDIBSection &dst, int threads)
{
    if (src.isNull() || dst.isEmpty())
        return;
    const int dW = dst.Width(), dH = dst.Height();
    if (dW == src.width && dH == src.height) {
        for (int y = 0; y < dH; ++y)
            std::copy_n(src.row(y), src.stride(), dst.scanLineFromTop(y));
        return;
    }
    const Asse ax = calcolaAsse(src.width, dW);
    const Asse ay = calcolaAsse(src.height, dH);

    // Work in multiply-adds; small jobs stay on this thread.
    const double lavoro = double(src.height) * dW * ax.count + double(dH) * dW * ay.count;
    int n = threads > 0 ? threads : int(std::max(1u, std::thread::hardware_concurrency()));
    n = std::clamp(int(lavoro / 2.0e6), 1, n);
    n = std::min(n, dH);
    if (n <= 1) {
        banda(src, dst, ax, ay, 0, dH);
        return;
    }
    std::vector<std::thread> pool;
    for (int t = 1; t < n; ++t)
        pool.emplace_back(banda, std::cref(src), std::ref(dst), std::cref(ax), std::cref(ay), dH * t / n,
                          dH * (t + 1) / n);
    banda(src, dst, ax, ay, 0, dH / n);
    for (auto &th : pool)
        th.join();
}
