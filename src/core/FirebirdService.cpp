#include "core/FirebirdService.h"

#include "core/Connection.h"
#include "core/FbClient.h"

#include <QFile>
#include <QRegularExpression>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include <algorithm>
#include <functional>
#include <vector>

namespace kelpora {

namespace {

using Firebird::IXpbBuilder;
using Firebird::ThrowStatusWrapper;

thread_local QStringList t_output;

// When a backup file ends early (or a disk fills up), the engine's backup code asks on
// the process's own console for the next volume and waits for Enter: a restore of a
// truncated file would hang a tool run from a terminal. For the length of a service
// run, the console's input is empty and its output goes nowhere; the outcome is judged
// from the service's status and the result, not from that prompt.
class QuietConsole {
public:
    QuietConsole()
    {
        std::fflush(stdout);
        const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (null < 0)
            return;
        m_in = ::dup(STDIN_FILENO);
        m_out = ::dup(STDOUT_FILENO);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
    ~QuietConsole()
    {
        std::fflush(stdout);
        restore(m_in, STDIN_FILENO);
        restore(m_out, STDOUT_FILENO);
    }
    QuietConsole(const QuietConsole&) = delete;
    QuietConsole& operator=(const QuietConsole&) = delete;

private:
    static void restore(int saved, int fd)
    {
        if (saved < 0)
            return;
        ::dup2(saved, fd);
        ::close(saved);
    }
    int m_in = -1;
    int m_out = -1;
};

fb::Ref<Firebird::IService> attachServiceManager(ThrowStatusWrapper* st)
{
    const IBDatabase::Params params = Connection::bookParams();
    fb::Ref<IXpbBuilder> spb(fb::util()->getXpbBuilder(st, IXpbBuilder::SPB_ATTACH, nullptr, 0));
    spb->insertString(st, isc_spb_user_name, params.user.toUtf8().constData());
    spb->insertString(st, isc_spb_password, params.password.toUtf8().constData());
    fb::Ref<Firebird::IProvider> provider(fb::master()->getDispatcher());
    return fb::Ref<Firebird::IService>(
        provider->attachServiceManager(st, "service_mgr", spb->getBufferLength(st), spb->getBuffer(st)));
}

// Reads one answer of the service: its lines go to out. True while the service runs.
bool takeLines(const unsigned char* p, const unsigned char* end, QStringList& out)
{
    bool running = false;
    while (p < end && *p != isc_info_end) {
        const unsigned char item = *p++;
        if (item == isc_info_svc_line) {
            if (end - p < 2)
                break;
            const unsigned length = unsigned(p[0]) | (unsigned(p[1]) << 8);
            p += 2;
            if (length > unsigned(end - p))
                break;
            if (length > 0) {
                out << QString::fromLocal8Bit(reinterpret_cast<const char*>(p), qsizetype(length)).trimmed();
                running = true;
            }
            p += length;
        } else if (item == isc_info_truncated || item == isc_info_data_not_ready || item == isc_info_svc_timeout) {
            running = true;
        } else {
            break;
        }
    }
    return running;
}

// The engine's own report of the records copied so far: "gbak:200 records written"
// while backing up, "... records restored" while restoring.
void reportRecords(const QStringList& lines, qsizetype from, const FirebirdService::RecordsDone& done)
{
    static const QRegularExpression count(QStringLiteral("^(?:gbak:)?\\s*(\\d+) records (?:written|restored)"));
    for (qsizetype i = from; i < lines.size(); ++i)
        if (const QRegularExpressionMatch m = count.match(lines[i]); m.hasMatch())
            done(m.captured(1).toLongLong());
}

// Starts the action in spb and follows its report to the end. The service passes a
// failure on as the error of the query that would have read the next line.
void run(const FirebirdService::RecordsDone& done, const std::function<void(ThrowStatusWrapper*, IXpbBuilder*)>& build)
{
    t_output.clear();
    const QuietConsole quiet;
    qint64 records = 0;
    fb::call([&](ThrowStatusWrapper* st) {
        fb::Ref<Firebird::IService> service = attachServiceManager(st);
        fb::Ref<IXpbBuilder> spb(fb::util()->getXpbBuilder(st, IXpbBuilder::SPB_START, nullptr, 0));
        build(st, spb.get());
        service->start(st, spb->getBufferLength(st), spb->getBuffer(st));
        const unsigned char items[] = {isc_info_svc_line};
        // A query comes back after a second at the latest, so whoever follows the work
        // hears of it even while one big record is being copied.
        const unsigned char wait[] = {isc_info_svc_timeout, 4, 0, 1, 0, 0, 0};
        std::vector<unsigned char> answer(16384);
        bool running = true;
        while (running) {
            std::fill(answer.begin(), answer.end(), isc_info_end);
            service->query(st, done ? sizeof wait : 0, done ? wait : nullptr, sizeof items, items,
                unsigned(answer.size()), answer.data());
            const qsizetype before = t_output.size();
            running = takeLines(answer.data(), answer.data() + answer.size(), t_output);
            if (done) {
                reportRecords(t_output, before, [&records](qint64 n) { records = n; });
                done(records);
            }
        }
        service->detach(st);
        (void)service.release(); // detach() released it
    });
}

// Verbose, with the records copied so far told every this many records.
void insertReport(ThrowStatusWrapper* st, IXpbBuilder* spb)
{
    spb->insertInt(st, isc_spb_verbint, 200);
}

} // namespace

void FirebirdService::backup(const QString& bookPath, const QString& backupPath, const RecordsDone& done)
{
    const QByteArray book = QFile::encodeName(bookPath);
    const QByteArray file = QFile::encodeName(backupPath);
    run(done, [&](ThrowStatusWrapper* st, IXpbBuilder* spb) {
        spb->insertTag(st, isc_action_svc_backup);
        spb->insertString(st, isc_spb_dbname, book.constData());
        spb->insertString(st, isc_spb_bkp_file, file.constData());
        insertReport(st, spb);
    });
}

void FirebirdService::restore(const QString& backupPath, const QString& bookPath, const RecordsDone& done)
{
    const QByteArray book = QFile::encodeName(bookPath);
    const QByteArray file = QFile::encodeName(backupPath);
    run(done, [&](ThrowStatusWrapper* st, IXpbBuilder* spb) {
        spb->insertTag(st, isc_action_svc_restore);
        spb->insertString(st, isc_spb_bkp_file, file.constData());
        spb->insertString(st, isc_spb_dbname, book.constData());
        // Create only: never replace a file that is there.
        spb->insertInt(st, isc_spb_options, isc_spb_res_create);
        insertReport(st, spb);
    });
}

void FirebirdService::setForcedWrites(const QString& bookPath)
{
    const QByteArray book = QFile::encodeName(bookPath);
    run({}, [&](ThrowStatusWrapper* st, IXpbBuilder* spb) {
        spb->insertTag(st, isc_action_svc_properties);
        spb->insertString(st, isc_spb_dbname, book.constData());
        const unsigned char sync = isc_spb_prp_wm_sync;
        spb->insertBytes(st, isc_spb_prp_write_mode, &sync, 1);
    });
}

QStringList FirebirdService::lastOutput()
{
    return t_output;
}

} // namespace kelpora
