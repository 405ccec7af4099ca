// vetrasto-bench pictures [--runs N] [FILE...]: the shrinking engine of the
// picture chooser (read, shrink with the Lanczos filter, write a JPEG of
// quality 90) into a 180-pixel box and into a 1,000-pixel box. Without
// files it makes a synthetic 6000 × 4000 photograph as a JPEG of quality 90.
//
// Each figure is the median of N runs (default 5). Where Debian's
// vipsthumbnail and ImageMagick's convert are installed, the same files go
// through "vipsthumbnail FILE -s BOX" and "convert FILE -thumbnail BOXxBOX"
// at quality 90 for comparison (they are not project dependencies). Quality
// is the PSNR of each result against a reference made from the full-size
// picture with an exact Lanczos filter in floating point.
#include "caricaimmagine.h"
#include "cdibsection.h"
#include "jpegwriter.h"
#include "riduzione.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <thread>
#include <vector>

namespace {

// --- a synthetic photograph ------------------------------------------------

// A cheap random source: xorshift, and a bell-shaped value from the sum of
// two uniform ones.
struct Caso {
    uint64_t s = 0x9E3779B97F4A7C15ull;
    uint32_t next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return uint32_t(s >> 32);
    }
    float campana() { return (float(next() >> 8) + float(next() >> 8)) / float(1 << 24) - 1.0f; }
};

// Noise with a natural spectrum: a pyramid of random values, each level
// doubled in size by bilinear interpolation and given finer detail; then
// hard-edged shapes, a band of fine stripes and a little sensor noise.
cDIBSection foto(int w, int h)
{
    Caso caso;
    int lw = 12, lh = 8;
    std::vector<float> piano[3];
    for (auto &p : piano) {
        p.resize(size_t(lw) * lh);
        for (float &v : p)
            v = 128.f + 110.f * caso.campana();
    }
    float ampiezza = 70.f;
    while (lw < w || lh < h) {
        const int nw = lw * 2, nh = lh * 2;
        for (auto &p : piano) {
            std::vector<float> n(size_t(nw) * nh);
            for (int y = 0; y < nh; ++y) {
                const int y0 = std::max(0, (y - 1) / 2), y1 = std::min(y0 + 1, lh - 1);
                const float fy = (y % 2) ? 0.25f : 0.75f;
                const float *r0 = &p[size_t(y0) * lw], *r1 = &p[size_t(y1) * lw];
                float *o = &n[size_t(y) * nw];
                for (int x = 0; x < nw; ++x) {
                    const int x0 = std::max(0, (x - 1) / 2), x1 = std::min(x0 + 1, lw - 1);
                    const float fx = (x % 2) ? 0.25f : 0.75f;
                    const float a = r0[x0] * fx + r0[x1] * (1 - fx), b = r1[x0] * fx + r1[x1] * (1 - fx);
                    o[x] = a * fy + b * (1 - fy) + ampiezza * caso.campana();
                }
            }
            p.swap(n);
        }
        lw = nw;
        lh = nh;
        ampiezza *= 0.8f;
    }
    cDIBSection d;
    d.Create(w, h);
    for (int y = 0; y < h; ++y) {
        uint8_t *row = d.scanLineFromTop(y);
        const bool strisce = y > h / 2 && y < h / 2 + h / 10;
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                float v = piano[c][size_t(y) * lw + x] + 8.f * caso.campana();
                if (strisce)
                    v += ((x / 3 + y / 5) % 2) ? 40.f : -40.f;
                row[3 * x + c] = uint8_t(std::clamp(v, 0.f, 255.f));
            }
    }
    // Shapes with hard edges, half opaque.
    for (int i = 0; i < 30; ++i) {
        const int cx = int(caso.next() % unsigned(w)), cy = int(caso.next() % unsigned(h));
        const int r = 20 + int(caso.next() % 600u);
        const int col[3] = {int(caso.next() % 256u), int(caso.next() % 256u), int(caso.next() % 256u)};
        const bool cerchio = i % 2 == 0;
        for (int y = std::max(0, cy - r); y < std::min(h, cy + r); ++y) {
            uint8_t *row = d.scanLineFromTop(y);
            for (int x = std::max(0, cx - r); x < std::min(w, cx + r); ++x) {
                const int dx = x - cx, dy = y - cy;
                if (cerchio ? dx * dx + dy * dy >= r * r : std::abs(dy) >= r / 3)
                    continue;
                for (int c = 0; c < 3; ++c)
                    row[3 * x + c] = uint8_t((6 * col[c] + 4 * row[3 * x + c]) / 10);
            }
        }
    }
    return d;
}

// --- the reference: full size, exact Lanczos in floating point -------------

// Lanczos (3 lobes) or, with area true, the exact average of the area each
// output pixel covers.
std::vector<float> filtraAsse(const std::vector<float> &in, int sw, int sh, int dw, bool orizzontale, int canali,
                              bool area)
{
    // Resamples along one axis; "in" is sw × sh × canali, the result dw × sh
    // (horizontal) or sw × dw (vertical).
    const int src = orizzontale ? sw : sh;
    const double scala = double(src) / dw, allarga = std::max(1.0, scala), raggio = 3.0 * allarga;
    auto kern = [](double x) {
        x = std::fabs(x);
        if (x >= 3.0)
            return 0.0;
        if (x < 1e-12)
            return 1.0;
        const double a = M_PI * x;
        return 3.0 * std::sin(a) * std::sin(a / 3.0) / (a * a);
    };
    const int ow = orizzontale ? dw : sw, oh = orizzontale ? sh : dw;
    std::vector<float> out(size_t(ow) * oh * canali);
    auto lavora = [&](int i0, int i1) {
        std::vector<double> w;
        for (int i = i0; i < i1; ++i) {
            const double centro = (i + 0.5) * scala;
            const int a = std::max(0, int(std::floor(centro - raggio))), b = std::min(src, int(std::ceil(centro + raggio)) + 1);
            w.assign(size_t(b - a), 0.0);
            double somma = 0;
            for (int k = a; k < b; ++k)
                somma += w[size_t(k - a)] =
                    area ? std::max(0.0, std::min(k + 1.0, centro + scala / 2) - std::max(double(k), centro - scala / 2))
                         : kern((k + 0.5 - centro) / allarga);
            const int altri = orizzontale ? sh : sw;
            for (int j = 0; j < altri; ++j)
                for (int c = 0; c < canali; ++c) {
                    double acc = 0;
                    for (int k = a; k < b; ++k) {
                        const size_t idx = orizzontale ? (size_t(j) * sw + k) * canali + c : (size_t(k) * sw + j) * canali + c;
                        acc += w[size_t(k - a)] * in[idx];
                    }
                    const size_t o = orizzontale ? (size_t(j) * ow + i) * canali + c : (size_t(i) * ow + j) * canali + c;
                    out[o] = float(acc / somma);
                }
        }
    };
    const int n = int(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (int t = 0; t < n; ++t)
        pool.emplace_back(lavora, dw * t / n, dw * (t + 1) / n);
    for (auto &t : pool)
        t.join();
    return out;
}

struct Riferimento {
    PixelBGR pieno;
    std::vector<float> immagine(QSize s, bool area) const
    {
        std::vector<float> in(size_t(pieno.width) * pieno.height * 3);
        for (int y = 0; y < pieno.height; ++y)
            for (size_t i = 0; i < pieno.stride(); ++i)
                in[size_t(y) * pieno.stride() + i] = pieno.row(y)[i];
        const auto h = filtraAsse(in, pieno.width, pieno.height, s.width(), true, 3, area);
        return filtraAsse(h, s.width(), pieno.height, s.height(), false, 3, area);
    }
};

double psnr(const QString &file, const Riferimento &rif, bool area = false)
{
    PixelBGR out;
    QString err;
    if (!CaricaImmagine::decodifica(file, out, &err))
        return 0;
    const auto r = rif.immagine(QSize(out.width, out.height), area);
    double se = 0;
    for (int y = 0; y < out.height; ++y)
        for (size_t i = 0; i < out.stride(); ++i) {
            const double d = double(out.row(y)[i]) - std::clamp(double(r[size_t(y) * out.stride() + i]), 0.0, 255.0);
            se += d * d;
        }
    const double mse = se / (double(out.width) * out.height * 3);
    return mse > 0 ? 10.0 * std::log10(255.0 * 255.0 / mse) : 99.0;
}

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double cronometra(int runs, const std::function<bool()> &lavoro)
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!lavoro())
            return -1;
        t.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    return mediana(t);
}

bool esegui(const QString &programma, const QStringList &argomenti)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(programma, argomenti);
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString etichetta(const QString &path)
{
    QString s = QFileInfo(path).completeBaseName();
    for (QChar &c : s)
        if (!c.isLetterOrNumber())
            c = u'_';
    return s;
}

}  // namespace

int benchPictures(int argc, char **argv)
{
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    int runs = 5;
    QString uscita;  // --out DIR: keep the pictures made there
    QStringList files;
    for (int i = 2; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QStringLiteral("--runs") && i + 1 < argc)
            runs = std::max(1, QString::fromLocal8Bit(argv[++i]).toInt());
        else if (a == QStringLiteral("--out") && i + 1 < argc)
            uscita = QString::fromLocal8Bit(argv[++i]);
        else
            files << a;
    }
    QTemporaryDir tmpDir;
    if (!uscita.isEmpty())
        QDir().mkpath(uscita);
    const QDir tmp(uscita.isEmpty() ? tmpDir.path() : uscita);
    if (files.isEmpty()) {
        QElapsedTimer t;
        t.start();
        const QString path = tmp.filePath(QStringLiteral("synthetic.jpg"));
        const cDIBSection d = foto(6000, 4000);
        SaveDIBToJPEG(d, path, 90);
        std::printf("synthetic_photo: %.2f MB (6000x4000, made in %.1f s)\n", QFileInfo(path).size() / 1e6,
                    t.nsecsElapsed() / 1e9);
        files << path;
    }
    std::printf("cores: %u\n", std::thread::hardware_concurrency());
    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
    const QString convert = QFileInfo::exists(QStringLiteral("/usr/bin/convert"))
                                ? QStringLiteral("/usr/bin/convert")
                                : QStandardPaths::findExecutable(QStringLiteral("convert"));

    bool ok = true;
    for (const QString &file : files) {
        const QString nome = etichetta(file);
        InfoImmagine info;
        QString errore;
        if (!CaricaImmagine::informazioni(file, info, &errore)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(file), qPrintable(errore));
            ok = false;
            continue;
        }
        std::printf("%s.size: %dx%d px\n", qPrintable(nome), info.width, info.height);
        Riferimento rif;
        if (!CaricaImmagine::decodifica(file, rif.pieno, &errore)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(file), qPrintable(errore));
            ok = false;
            continue;
        }
        for (int box : {180, 1000}) {
            auto uscitaDi = [&](const char *chi, const char *estensione) {
                return tmp.filePath(QStringLiteral("%1_%2_%3.%4").arg(nome, QLatin1String(chi)).arg(box).arg(QLatin1String(estensione)));
            };
            auto riga = [&](const char *chi, const char *misura, double v, const char *unita) {
                std::printf("%s.%s_%d%s: %.*f %s\n", qPrintable(nome), chi, box, misura, unita[0] == 's' ? 3 : 2, v, unita);
            };
            // The whole job, timed; quality of the JPEG file written, and of
            // the filter alone (a lossless PNG of the same pixels).
            const QString out = uscitaDi("engine", "jpg");
            const double t = cronometra(runs, [&] { return Riduzione::riduciInJpeg(file, box, box, out, 90, &errore); });
            if (t < 0) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(file), qPrintable(errore));
                ok = false;
                break;
            }
            riga("engine", "", t, "s");
            riga("engine", "_psnr", psnr(out, rif), "dB");
            const Riduzione::Misura m = Riduzione::adatta(info.width, info.height, box, box);
            if (auto bitmap = Riduzione::leggiRidotta(file, QSize(m.larghezza, m.altezza), &errore)) {
                const QString png = uscitaDi("engine", "png");
                bitmap->image().save(png);
                riga("engine", "_filter_psnr", psnr(png, rif), "dB");
                riga("engine", "_filter_psnr_area", psnr(png, rif, true), "dB");
            }
            struct Strumento {
                const char *nome;
                QString programma;
                std::function<QStringList(const QString &)> argomenti;
            };
            const Strumento strumenti[] = {
                {"vipsthumbnail", vips,
                 [&](const QString &o) {
                     return QStringList{file, QStringLiteral("-s"), QString::number(box), QStringLiteral("-o"),
                                        o.endsWith(QStringLiteral(".jpg")) ? o + QStringLiteral("[Q=90]") : o};
                 }},
                {"convert", convert,
                 [&](const QString &o) {
                     return QStringList{file, QStringLiteral("-thumbnail"), QStringLiteral("%1x%1").arg(box),
                                        QStringLiteral("-quality"), QStringLiteral("90"), o};
                 }},
            };
            for (const Strumento &s : strumenti) {
                if (s.programma.isEmpty())
                    continue;
                const QString jpg = uscitaDi(s.nome, "jpg"), png = uscitaDi(s.nome, "png");
                const double ts = cronometra(runs, [&] { return esegui(s.programma, s.argomenti(jpg)); });
                if (ts < 0)
                    continue;
                riga(s.nome, "", ts, "s");
                riga(s.nome, "_psnr", psnr(jpg, rif), "dB");
                if (esegui(s.programma, s.argomenti(png))) {
                    riga(s.nome, "_filter_psnr", psnr(png, rif), "dB");
                    riga(s.nome, "_filter_psnr_area", psnr(png, rif, true), "dB");
                }
            }
            std::fflush(stdout);
        }
    }
    return ok ? 0 : 1;
}
