#include "music/MusicWatcher.h"

#include <QFile>
#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

MusicWatcher::MusicWatcher(QObject *parent) : QObject(parent)
{
    settle.setSingleShot(true);
    settle.setInterval(SettleMs);
    connect(&settle, &QTimer::timeout, this, &MusicWatcher::changed);
    fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd >= 0) {
        notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &MusicWatcher::drain);
    }
}

MusicWatcher::~MusicWatcher()
{
    if (fd >= 0)
        ::close(fd);
}

void MusicWatcher::watch(const QList<QString> &folders)
{
    if (fd < 0)
        return;
    for (int w : std::as_const(watches))
        ::inotify_rm_watch(fd, w);
    watches.clear();
    constexpr uint32_t events = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE
        | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
    for (const QString &folder : folders) {
        // Past the system's limit of watches the rest is simply not followed.
        const int w = ::inotify_add_watch(fd, QFile::encodeName(folder).constData(), events);
        if (w >= 0)
            watches.append(w);
    }
}

void MusicWatcher::drain()
{
    alignas(struct inotify_event) char buffer[16384];
    bool any = false;
    while (::read(fd, buffer, sizeof buffer) > 0)
        any = true;
    if (any)
        settle.start();
}
