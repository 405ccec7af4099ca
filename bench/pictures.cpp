// vetrasto-bench pictures [--runs N] [--scales] [--out DIR] [FILE...]: the
// shrinking engine of the picture chooser (read, shrink with the Lanczos
// filter, write a JPEG of quality 90) into a 180-pixel box and into a
// 1,000-pixel box, side by side with Debian's vipsthumbnail (and
// ImageMagick's convert) on the same files, where they are installed (they
// are not project dependencies). Without files it makes two synthetic
// photographs, 3000 × 2000 and 1200 × 800, as JPEG files of quality 90.
//
// Times are medians of N rounds (default 5); each round runs the engine
// once, then vipsthumbnail over several names of the file in one process
// and over one name: its time per picture is the difference over the extra
// names, without the start of its process. Quality is the PSNR of each
// result against a reference made from the full-size picture with an exact
// Lanczos filter in floating point: of the JPEG file written, and of the
// filter alone (a lossless PNG of the same pixels). With --scales the
// engine is also timed and measured at every JPEG decoding scale n/8 that
// still gives at least the wanted size.
#include "caricaimmagine.h"
#include "cdibsection.h"
#include "jpegwriter.h"
#include "ridimensiona.h"
#include "riduzione.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

// --- a synthetic photograph ------------------------------------------------

// A cheap random source: xorshift; uniform values and bell-shaped ones (the
// sum of three uniform ones).
struct Caso {
    uint64_t s = 0x9E3779B97F4A7C15ull;
    uint32_t next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return uint32_t(s >> 32);
    }
    float uniforme() { return float(next() >> 8) / float(1 << 24); }  // [0, 1)
    float campana() { return uniforme() + uniforme() + uniforme() - 1.5f; }
};

// A scene of objects that hide one another ("dead leaves"), with as many
// small objects as large ones in every octave of size, as in photographs:
// discs from 1.5 pixels to a fifth of the width, each with its own colour, shading and a
// surface texture (a grain of random direction and fineness, down to three
// pixels a period), edges anti-aliased over one pixel, and sensor noise.
// The same seed gives the same picture.
cDIBSection foto(int w, int h)
{
    Caso caso;
    std::vector<float> piano(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)  // a sky-like gradient behind everything
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                piano[(size_t(y) * w + x) * 3 + c] = 90.f + 80.f * float(h - y) / float(h) + 20.f * float(c);
    const double rMin = 1.5, rMax = w / 5.0, area = double(w) * h;
    // Radii with density r^-3 (scale invariance): r = rMin / sqrt(1 - u (1 - (rMin/rMax)^2)).
    const double k = 1.0 - (rMin * rMin) / (rMax * rMax);
    const int dischi = int(area * 1.5 / (M_PI * rMin * rMin * std::log(rMax / rMin) * 2.0 / k));
    for (int i = 0; i < dischi; ++i) {
        const float r = float(rMin / std::sqrt(1.0 - caso.uniforme() * k));
        const float cx = caso.uniforme() * float(w), cy = caso.uniforme() * float(h);
        float colore[3];
        const float luce = 30.f + 200.f * caso.uniforme(), tinta = 60.f * caso.uniforme();
        for (float &c : colore)
            c = luce + tinta * (caso.uniforme() - 0.5f) * 2.f;
        const float gx = caso.campana() * 40.f / r, gy = caso.campana() * 40.f / r;  // shading across the disc
        const float angolo = caso.uniforme() * float(M_PI), periodo = 3.f * std::pow(20.f, caso.uniforme());
        const float fx = std::cos(angolo) * 2.f * float(M_PI) / periodo, fy = std::sin(angolo) * 2.f * float(M_PI) / periodo;
        const float grana = 25.f * caso.uniforme() * caso.uniforme(), fase = caso.uniforme() * 6.3f;
        const int x0 = std::max(0, int(cx - r - 1)), x1 = std::min(w - 1, int(cx + r + 1));
        const int y0 = std::max(0, int(cy - r - 1)), y1 = std::min(h - 1, int(cy + r + 1));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const float dx = float(x) + 0.5f - cx, dy = float(y) + 0.5f - cy;
                const float copertura = std::clamp(r - std::sqrt(dx * dx + dy * dy) + 0.5f, 0.f, 1.f);
                if (copertura <= 0.f)
                    continue;
                const float v = gx * dx + gy * dy + grana * std::sin(fx * dx + fy * dy + fase);
                float *p = &piano[(size_t(y) * w + x) * 3];
                for (int c = 0; c < 3; ++c)
                    p[c] += copertura * (colore[c] + v - p[c]);
            }
    }
    cDIBSection d;
    d.Create(w, h);
    for (int y = 0; y < h; ++y) {
        uint8_t *row = d.scanLineFromTop(y);
        for (int x = 0; x < w; ++x) {
            const float rumore = 1.5f * caso.campana();  // shared by the channels, as a sensor's luminance noise
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] = uint8_t(std::clamp(piano[(size_t(y) * w + x) * 3 + c] + rumore + 1.f * caso.campana(), 0.f, 255.f) + 0.5f);
        }
    }
    return d;
}

// --- the reference: full size, exact Lanczos in floating point -------------

// Lanczos (3 lobes), its reach widened by the reduction.
std::vector<float> filtraAsse(const std::vector<float> &in, int sw, int sh, int dw, bool orizzontale, int canali)
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
                somma += w[size_t(k - a)] = kern((k + 0.5 - centro) / allarga);
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

// The full-size picture and its references, made once for each size.
struct Riferimento {
    PixelBGR pieno;
    const std::vector<float> &immagine(QSize s)
    {
        for (const auto &[misura, fatta] : m_fatte)
            if (misura == s)
                return fatta;
        std::vector<float> in(size_t(pieno.width) * pieno.height * 3);
        for (int y = 0; y < pieno.height; ++y)
            for (size_t i = 0; i < pieno.stride(); ++i)
                in[size_t(y) * pieno.stride() + i] = pieno.row(y)[i];
        const auto h = filtraAsse(in, pieno.width, pieno.height, s.width(), true, 3);
        m_fatte.emplace_back(s, filtraAsse(h, s.width(), pieno.height, s.height(), false, 3));
        return m_fatte.back().second;
    }

private:
    std::vector<std::pair<QSize, std::vector<float>>> m_fatte;
};

double psnr(const QString &file, Riferimento &rif)
{
    PixelBGR out;
    QString err;
    if (!CaricaImmagine::decodifica(file, out, &err))
        return 0;
    const auto &r = rif.immagine(QSize(out.width, out.height));
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

// Seconds the work took; -1 when it failed.
double cronometra(const std::function<bool()> &lavoro)
{
    QElapsedTimer timer;
    timer.start();
    return lavoro() ? double(timer.nsecsElapsed()) / 1e9 : -1;
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

// The engine's own steps with the JPEG decoded at scale n/8, a forced
// choice for comparing scales, written as a JPEG; nullptr when it failed.
std::unique_ptr<cDIBSection> riduciAScala(const QString &file, QSize origine, QSize misura, int ottavi,
                                          const QString &uscita)
{
    QString errore;
    auto bitmap = Riduzione::leggiRidotta(file, origine, misura, &errore, 0, ottavi);
    return bitmap && SaveDIBToJPEG(*bitmap, uscita, 90) ? std::move(bitmap) : nullptr;
}

// Lines "name: value unit" of one picture in one box.
class Righe {
public:
    Righe(const QString &nome, int box) : m_prefisso(QStringLiteral("%1.%2").arg(nome).arg(box)) {}
    void riga(const QString &misura, double v, const char *unita) const
    {
        std::printf("%s.%s: %.*f %s\n", qPrintable(m_prefisso), qPrintable(misura), unita[0] == 's' ? 4 : 2, v, unita);
    }

private:
    QString m_prefisso;
};

struct Strumenti {
    QString vips, convert;
};

// The engine at every JPEG decoding scale that still gives the wanted size,
// in alternating rounds: time and quality of each.
void confrontaScale(const QString &file, const InfoImmagine &info, Riferimento &rif, QSize misura, int runs,
                    const Righe &righe, const std::function<QString(const QString &, const char *)> &uscita)
{
    const QSize origine(info.width, info.height);
    std::vector<int> scale;
    for (int ottavi = 1; ottavi <= 8; ++ottavi) {
        const QSize d = Riduzione::misuraDecodifica(origine, ottavi);
        if (d.width() >= misura.width() && d.height() >= misura.height())
            scale.push_back(ottavi);
    }
    auto jpg = [&](int ottavi) { return uscita(QStringLiteral("scale%1").arg(ottavi), "jpg"); };
    auto png = [&](int ottavi) { return uscita(QStringLiteral("scale%1").arg(ottavi), "png"); };
    std::vector<std::vector<double>> t(scale.size());
    // The last result of each scale, for the filter's own quality.
    std::vector<std::unique_ptr<cDIBSection>> ultima(scale.size());
    for (int r = 0; r < runs; ++r)
        for (size_t i = 0; i < scale.size(); ++i)
            t[i].push_back(cronometra([&] {
                ultima[i] = riduciAScala(file, origine, misura, scale[i], jpg(scale[i]));
                return ultima[i] != nullptr;
            }));
    for (size_t i = 0; i < scale.size(); ++i) {
        const QString nome = QStringLiteral("scale_%1_8").arg(scale[i]);
        righe.riga(nome, mediana(t[i]), "s");
        righe.riga(nome + QStringLiteral("_psnr"), psnr(jpg(scale[i]), rif), "dB");
        if (ultima[i] && ultima[i]->image().save(png(scale[i])))
            righe.riga(nome + QStringLiteral("_filter_psnr"), psnr(png(scale[i]), rif), "dB");
    }
}

// One picture in one box: the engine and the other tools side by side.
bool confronta(const QString &file, const InfoImmagine &info, Riferimento &rif, int box, int runs,
               bool scale, const Strumenti &strumenti, const QDir &tmp)
{
    const QString nome = etichetta(file);
    const Righe righe(nome, box);
    const std::function<QString(const QString &, const char *)> uscita = [&](const QString &chi,
                                                                               const char *estensione) {
        return tmp.filePath(QStringLiteral("%1_%2_%3.%4").arg(nome, chi).arg(box).arg(QLatin1String(estensione)));
    };
    const Riduzione::Misura m = Riduzione::adatta(info.width, info.height, box, box);
    const QSize misura(m.larghezza, m.altezza);
    std::printf("%s.%d.size: %dx%d px\n", qPrintable(nome), box, misura.width(), misura.height());

    // vipsthumbnail in one process over several names of the file, so that
    // the start of the process is left out; each name once (its cache).
    constexpr int nomi = 6;
    QStringList copie;
    for (int i = 0; i < nomi && !strumenti.vips.isEmpty(); ++i) {
        copie << tmp.filePath(QStringLiteral("%1_copia%2.jpg").arg(nome).arg(i));
        QFile::remove(copie.last());
        if (!QFile::link(QFileInfo(file).absoluteFilePath(), copie.last()) && !QFile::copy(file, copie.last()))
            return false;
    }
    // The engine's own size, exactly ("!"): vipsthumbnail would round the
    // height to 667 where the engine cuts it to 666, and the reference
    // follows the size of each result.
    const QString dimensioni = QStringLiteral("%1x%2!").arg(misura.width()).arg(misura.height());
    auto vips = [&](const QStringList &ingressi, const QString &o) {
        return esegui(strumenti.vips, ingressi + QStringList{QStringLiteral("-s"), dimensioni, QStringLiteral("-o"), o});
    };
    const QString vipsJpg = tmp.filePath(QStringLiteral("%s_vipsthumbnail_%1.jpg[Q=90]").arg(box));
    auto convert = [&](const QString &o) {
        return esegui(strumenti.convert, {file, QStringLiteral("-thumbnail"), QStringLiteral("%1x%1").arg(box),
                                          QStringLiteral("-quality"), QStringLiteral("90"), o});
    };

    const QString motore = uscita(QStringLiteral("engine"), "jpg");
    std::vector<double> tMotore, tVips, tVipsProcesso, tConvert;
    QString errore;
    for (int r = 0; r < runs; ++r) {
        tMotore.push_back(cronometra([&] { return Riduzione::riduciInJpeg(file, box, box, motore, 90, &errore); }));
        if (tMotore.back() < 0) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(file), qPrintable(errore));
            return false;
        }
        if (!strumenti.vips.isEmpty()) {
            const double molti = cronometra([&] { return vips(copie, vipsJpg); });
            const double uno = cronometra([&] { return vips(copie.mid(0, 1), vipsJpg); });
            if (molti > 0 && uno > 0) {
                tVips.push_back((molti - uno) / (nomi - 1));
                tVipsProcesso.push_back(uno);
            }
        }
        if (!strumenti.convert.isEmpty())
            tConvert.push_back(cronometra([&] { return convert(uscita(QStringLiteral("convert"), "jpg")); }));
    }
    const double motoreS = mediana(tMotore);
    righe.riga(QStringLiteral("engine"), motoreS, "s");
    righe.riga(QStringLiteral("engine_psnr"), psnr(motore, rif), "dB");
    if (auto bitmap = Riduzione::leggiRidotta(file, misura, &errore)) {
        const QString png = uscita(QStringLiteral("engine"), "png");
        bitmap->image().save(png);
        righe.riga(QStringLiteral("engine_filter_psnr"), psnr(png, rif), "dB");
    }
    if (!tVips.empty()) {
        const double vipsS = mediana(tVips);
        righe.riga(QStringLiteral("vipsthumbnail"), vipsS, "s");
        righe.riga(QStringLiteral("vipsthumbnail_with_process_start"), mediana(tVipsProcesso), "s");
        righe.riga(QStringLiteral("engine_time_to_vipsthumbnail"), motoreS / vipsS, "x");
        const QString jpg = tmp.filePath(QStringLiteral("%1_copia0_vipsthumbnail_%2.jpg").arg(nome).arg(box));
        righe.riga(QStringLiteral("vipsthumbnail_psnr"), psnr(jpg, rif), "dB");
        const QString png = tmp.filePath(QStringLiteral("%1_copia0_vipsthumbnail_%2.png").arg(nome).arg(box));
        if (vips(copie.mid(0, 1), tmp.filePath(QStringLiteral("%s_vipsthumbnail_%1.png").arg(box))))
            righe.riga(QStringLiteral("vipsthumbnail_filter_psnr"), psnr(png, rif), "dB");
    }
    if (!tConvert.empty()) {
        righe.riga(QStringLiteral("convert_with_process_start"), mediana(tConvert), "s");
        righe.riga(QStringLiteral("convert_psnr"), psnr(uscita(QStringLiteral("convert"), "jpg"), rif), "dB");
    }
    if (scale)
        confrontaScale(file, info, rif, misura, runs, righe, uscita);
    std::fflush(stdout);
    return true;
}

}  // namespace

int benchPictures(int argc, char **argv)
{
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    int runs = 5;
    bool scale = false;
    QString cartellaUscita;  // --out DIR: keep the pictures made there
    QStringList files;
    for (int i = 2; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QStringLiteral("--runs") && i + 1 < argc)
            runs = std::max(1, QString::fromLocal8Bit(argv[++i]).toInt());
        else if (a == QStringLiteral("--out") && i + 1 < argc)
            cartellaUscita = QString::fromLocal8Bit(argv[++i]);
        else if (a == QStringLiteral("--scales"))
            scale = true;
        else
            files << a;
    }
    QTemporaryDir tmpDir;
    if (!cartellaUscita.isEmpty())
        QDir().mkpath(cartellaUscita);
    const QDir tmp(cartellaUscita.isEmpty() ? tmpDir.path() : cartellaUscita);
    if (files.isEmpty()) {
        for (const QSize s : {QSize(3000, 2000), QSize(1200, 800)}) {
            const QString path = tmp.filePath(QStringLiteral("photo%1x%2.jpg").arg(s.width()).arg(s.height()));
            SaveDIBToJPEG(foto(s.width(), s.height()), path, 90);
            files << path;
        }
    }
    std::printf("cores: %u\n", std::thread::hardware_concurrency());
    Strumenti strumenti;
    strumenti.vips = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
    strumenti.convert = QFileInfo::exists(QStringLiteral("/usr/bin/convert"))
                            ? QStringLiteral("/usr/bin/convert")
                            : QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (strumenti.vips.isEmpty())
        std::printf("vipsthumbnail: not installed (Debian package libvips-tools)\n");

    bool ok = true;
    for (const QString &file : files) {
        InfoImmagine info;
        Riferimento rif;
        QString errore;
        if (!CaricaImmagine::informazioni(file, info, &errore) || !CaricaImmagine::decodifica(file, rif.pieno, &errore)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(file), qPrintable(errore));
            ok = false;
            continue;
        }
        std::printf("%s.size: %dx%d px\n", qPrintable(etichetta(file)), info.width, info.height);
        for (int box : {180, 1000})
            ok = confronta(file, info, rif, box, runs, scale, strumenti, tmp) && ok;
    }
    return ok ? 0 : 1;
}
