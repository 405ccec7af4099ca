#pragma once
// The shrinking filter: a separable Lanczos filter (three lobes) whose reach
// grows with the reduction, so that every source pixel counts (no aliasing),
// in fixed-point arithmetic. The output is made in bands of rows, each
// filtered down the columns first and then along its rows, spread over the
// machine's cores for large pictures; a band starts as soon as the source
// rows it needs are there, so that filtering runs while a JPEG is still
// being decoded. The result is the same whatever the number of threads.
#include "caricaimmagine.h"

#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class cDIBSection;

namespace Ridimensiona {

// Resamples src into dst, which is already created at the wanted size.
// Equal sizes copy the pixels. threads 0: as many as the machine has.
void lanczos(const PixelBGR &src, cDIBSection &dst, int threads = 0);

// The same fed with the source rows as they come (CaricaImmagine's
// RigheDecodificate): righe() tells how many rows from the top of the source
// are complete (the first call also gives the source, which must stay in
// place until concludi() returns), or with -1 that the source is going away;
// concludi() makes the rest and waits for every band. Destroyed without
// concludi(), or told -1, it stops its work and leaves dst unfinished.
class Riduttore {
public:
    Riduttore(cDIBSection &dst, int threads = 0);
    ~Riduttore();
    Riduttore(const Riduttore &) = delete;
    Riduttore &operator=(const Riduttore &) = delete;

    void righe(const PixelBGR &src, int complete);
    void concludi();

private:
    struct Piano;
    void avvia(int quanti);
    void lavora();
    bool aspettaRighe(int servono);
    void ferma();

    cDIBSection &m_dst;
    int m_threads;
    std::unique_ptr<Piano> m_piano;
    const PixelBGR *m_src = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_righePronte;
    int m_complete = 0;
    int m_soglia = std::numeric_limits<int>::max();  // the fewest rows a waiting thread needs
    bool m_fermo = false;
    std::vector<std::thread> m_pool;
};

}  // namespace Ridimensiona
