#include "app/SignalShutdown.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <csignal>
#include <pthread.h>
#include <thread>

namespace kelpora {

namespace {

// SIGUSR2 only wakes the watcher when the application ends by itself.
sigset_t watchedSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGUSR2);
    return set;
}

void endEventLoops()
{
    // exit() ends every nested modal loop at once and makes new ones return at once,
    // so no message box can hold the shutdown up; each opener then destroys its child.
    QCoreApplication::exit(0);
}

} // namespace

struct SignalShutdown::Watcher {
    std::thread thread;
};

void SignalShutdown::blockSignals()
{
    const sigset_t set = watchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void SignalShutdown::unblockSignals() noexcept
{
    const sigset_t set = watchedSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

SignalShutdown::SignalShutdown() : d(std::make_unique<Watcher>())
{
    blockSignals();
    d->thread = std::thread([] {
        const sigset_t set = watchedSignals();
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0 || signal == SIGUSR2)
                return;
            if (QCoreApplication* app = QCoreApplication::instance())
                QMetaObject::invokeMethod(app, endEventLoops, Qt::QueuedConnection);
        }
    });
}

SignalShutdown::~SignalShutdown()
{
    pthread_kill(d->thread.native_handle(), SIGUSR2);
    d->thread.join();
}

} // namespace kelpora
