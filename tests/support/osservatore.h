#pragma once
// What happens to the names of one folder, watched with inotify from
// construction on: each event with the name it concerns.
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <sys/inotify.h>
#include <unistd.h>

class Osservatore {
public:
    struct Evento {
        uint32_t tipo;  // IN_CREATE, IN_DELETE, IN_MOVED_TO, ...
        QString nome;
    };

    explicit Osservatore(const QString &cartella, uint32_t tipi = IN_CREATE)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd >= 0)
            m_watch = ::inotify_add_watch(m_fd, QFile::encodeName(cartella).constData(), tipi);
    }
    ~Osservatore()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Osservatore(const Osservatore &) = delete;
    Osservatore &operator=(const Osservatore &) = delete;

    // False when the folder cannot be watched (no such folder, no inotify).
    bool valido() const { return m_fd >= 0 && m_watch >= 0; }

    // The events since the last call.
    QList<Evento> eventi()
    {
        QList<Evento> r;
        alignas(inotify_event) char buf[8192];
        for (ssize_t n; (n = ::read(m_fd, buf, sizeof buf)) > 0;)
            for (char *p = buf; p < buf + n;) {
                const auto *e = reinterpret_cast<const inotify_event *>(p);
                if (e->len)
                    r.push_back({e->mask & IN_ALL_EVENTS, QFile::decodeName(e->name)});
                p += sizeof(inotify_event) + e->len;
            }
        return r;
    }
    // The names created since the last call.
    QStringList creati()
    {
        QStringList r;
        for (const Evento &e : eventi())
            if (e.tipo & IN_CREATE)
                r << e.nome;
        return r;
    }

private:
    int m_fd;
    int m_watch = -1;
};
