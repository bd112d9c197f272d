#include "bookcare/StallWatch.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include <time.h>
#include <unistd.h>

namespace kelpora::bookcare {

namespace {

std::chrono::nanoseconds processorTime()
{
    timespec ts {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

// Less than this over the whole limit is waiting, not working.
constexpr std::chrono::milliseconds kIdle(20);

} // namespace

struct StallWatch::Watch {
    const char* tool;
    std::mutex mutex;
    std::condition_variable wake;
    QByteArray message;
    bool done = false;
    std::thread thread;

    void run()
    {
        const auto limit = StallWatch::limit();
        std::unique_lock lock(mutex);
        auto used = processorTime();
        while (!done) {
            if (wake.wait_for(lock, limit, [this] { return done; }))
                return;
            const auto now = processorTime();
            if (now - used < kIdle) {
                // Nothing else may run now: the stuck thread holds whatever it holds.
                std::fprintf(stderr, "%s: %s\n", tool, message.constData());
                std::fflush(stderr);
                ::_exit(1);
            }
            used = now;
        }
    }
};

StallWatch::StallWatch(const char* tool, const QString& whereTheBookIs) : m_watch(std::make_unique<Watch>())
{
    m_watch->tool = tool;
    nowSay(whereTheBookIs);
    m_watch->thread = std::thread([w = m_watch.get()] { w->run(); });
}

StallWatch::~StallWatch()
{
    {
        const std::lock_guard lock(m_watch->mutex);
        m_watch->done = true;
    }
    m_watch->wake.notify_all();
    m_watch->thread.join();
}

void StallWatch::nowSay(const QString& whereTheBookIs)
{
    const QString text = QStringLiteral("釣果記録のエンジンが %1 秒以上応答しないため、処理を打ち切りました。%2")
                             .arg(limit().count())
                             .arg(whereTheBookIs);
    const std::lock_guard lock(m_watch->mutex);
    m_watch->message = text.toUtf8();
}

std::chrono::seconds StallWatch::limit()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("KELPORA_STALL_SECONDS", &ok);
    return std::chrono::seconds(ok && seconds > 0 ? seconds : 120);
}

} // namespace kelpora::bookcare
