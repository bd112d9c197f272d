#include "core/FirebirdService.h"

#include "core/BookLocation.h"
#include "core/Connection.h"
#include "core/Error.h"
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

fb::Ref<Firebird::IService> attachServiceManager(ThrowStatusWrapper* st, const QString& book)
{
    const IBDatabase::Params params = Connection::bookParams();
    fb::Ref<IXpbBuilder> spb(fb::util()->getXpbBuilder(st, IXpbBuilder::SPB_ATTACH, nullptr, 0));
    spb->insertString(st, isc_spb_user_name, params.user.toUtf8().constData());
    spb->insertString(st, isc_spb_password, params.password.toUtf8().constData());
    fb::Ref<Firebird::IProvider> provider(fb::master()->getDispatcher());
    return fb::Ref<Firebird::IService>(
        provider->attachServiceManager(st, QFile::encodeName(BookLocation::serviceManager(book)).constData(),
            spb->getBufferLength(st), spb->getBuffer(st)));
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

using Follow = std::function<void(ThrowStatusWrapper*, Firebird::IService*)>;

// Reads the service's report lines to the end, telling done (when given) the records
// copied so far. A query comes back after a second at the latest, so whoever follows
// the work hears of it even while one big record is being copied.
void followLines(ThrowStatusWrapper* st, Firebird::IService* service, const FirebirdService::RecordsDone& done)
{
    const unsigned char items[] = {isc_info_svc_line};
    const unsigned char wait[] = {isc_info_svc_timeout, 4, 0, 1, 0, 0, 0};
    std::vector<unsigned char> answer(16384);
    qint64 records = 0;
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
}

Follow reportingTo(const FirebirdService::RecordsDone& done)
{
    return [done](ThrowStatusWrapper* st, Firebird::IService* service) { followLines(st, service, done); };
}

// Starts the action in spb on the service manager that serves book and follows it to the
// end. The service passes a failure on as the error of the query that would have read
// the next answer.
void run(const QString& book, const std::function<void(ThrowStatusWrapper*, IXpbBuilder*)>& build, const Follow& follow)
{
    t_output.clear();
    const QuietConsole quiet;
    fb::call([&](ThrowStatusWrapper* st) {
        fb::Ref<Firebird::IService> service = attachServiceManager(st, book);
        fb::Ref<IXpbBuilder> spb(fb::util()->getXpbBuilder(st, IXpbBuilder::SPB_START, nullptr, 0));
        build(st, spb.get());
        service->start(st, spb->getBufferLength(st), spb->getBuffer(st));
        follow(st, service.get());
        service->detach(st);
        (void)service.release(); // detach() released it
    });
}

// Verbose, with the records copied so far told every this many records.
void insertReport(ThrowStatusWrapper* st, IXpbBuilder* spb)
{
    spb->insertInt(st, isc_spb_verbint, 200);
}

quint32 littleEndian(const unsigned char* p, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

// The server writes the backup to its standard output, which the service hands over here
// piece by piece: the file lands on this computer, not on the server.
void receiveBackup(ThrowStatusWrapper* st, Firebird::IService* service, QFile& out)
{
    const unsigned char items[] = {isc_info_svc_to_eof};
    std::vector<unsigned char> answer(32 * 1024);
    for (bool more = true; more;) {
        std::fill(answer.begin(), answer.end(), isc_info_end);
        service->query(st, 0, nullptr, sizeof items, items, unsigned(answer.size()), answer.data());
        more = false;
        const unsigned char* p = answer.data();
        const unsigned char* end = p + answer.size();
        while (p < end && *p != isc_info_end) {
            const unsigned char item = *p++;
            if (item == isc_info_svc_to_eof && end - p >= 2) {
                const quint32 length = littleEndian(p, 2);
                p += 2;
                if (length > quint32(end - p))
                    throw DbError(QStringLiteral("サーバーから届いたバックアップが途中で切れています"));
                if (out.write(reinterpret_cast<const char*>(p), qint64(length)) != qint64(length))
                    throw Error(
                        QStringLiteral("バックアップを %1 に書けません: %2").arg(out.fileName(), out.errorString()));
                p += length;
                more = more || length > 0;
            } else if (item == isc_info_truncated || item == isc_info_data_not_ready || item == isc_info_svc_timeout) {
                // Nothing follows in this answer; the next query brings the rest.
                more = true;
                break;
            } else {
                throw DbError(QStringLiteral("サーバーのバックアップの応答が読めません（%1）").arg(item));
            }
        }
    }
}

// The server reads the backup from its standard input: each answer says how many bytes it
// takes next, and the next query sends no more than that.
void sendBackup(ThrowStatusWrapper* st, Firebird::IService* service, QFile& in)
{
    const unsigned char items[] = {isc_info_svc_stdin, isc_info_svc_line};
    std::vector<unsigned char> answer(16384);
    std::vector<unsigned char> send;
    for (;;) {
        std::fill(answer.begin(), answer.end(), isc_info_end);
        service->query(st, unsigned(send.size()), send.empty() ? nullptr : send.data(), sizeof items, items,
            unsigned(answer.size()), answer.data());
        send.clear();
        quint32 wanted = 0;
        bool busy = false;
        const unsigned char* p = answer.data();
        const unsigned char* end = p + answer.size();
        while (p < end && *p != isc_info_end) {
            const unsigned char item = *p++;
            if (item == isc_info_svc_stdin && end - p >= 4) {
                wanted = littleEndian(p, 4);
                p += 4;
            } else if (item == isc_info_svc_line && end - p >= 2) {
                const quint32 length = littleEndian(p, 2);
                p += 2 + length;
                busy = busy || length > 0;
            } else if (item == isc_info_truncated || item == isc_info_data_not_ready || item == isc_info_svc_timeout) {
                busy = true;
            } else {
                break;
            }
        }
        if (wanted > 0) {
            // One line item carries at most what its two length bytes can say.
            const QByteArray chunk = in.read(qMin<qint64>(wanted, 32 * 1024));
            send.push_back(isc_info_svc_line);
            send.push_back(static_cast<unsigned char>(chunk.size() & 0xff));
            send.push_back(static_cast<unsigned char>((chunk.size() >> 8) & 0xff));
            send.insert(send.end(), chunk.cbegin(), chunk.cend());
        } else if (!busy) {
            return;
        }
    }
}

void backupFromServer(const QString& bookPath, const QString& backupPath)
{
    QFile out(backupPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(QStringLiteral("バックアップを %1 に書けません: %2").arg(backupPath, out.errorString()));
    const QByteArray book = QFile::encodeName(BookLocation::serverPath(bookPath));
    run(
        bookPath,
        [&](ThrowStatusWrapper* st, IXpbBuilder* spb) {
            spb->insertTag(st, isc_action_svc_backup);
            spb->insertString(st, isc_spb_dbname, book.constData());
            spb->insertString(st, isc_spb_bkp_file, "stdout");
        },
        [&](ThrowStatusWrapper* st, Firebird::IService* service) { receiveBackup(st, service, out); });
    if (!out.flush())
        throw Error(QStringLiteral("バックアップを %1 に書けません: %2").arg(backupPath, out.errorString()));
}

void restoreToServer(const QString& backupPath, const QString& bookPath, bool replace)
{
    QFile in(backupPath);
    if (!in.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("バックアップ %1 を読めません: %2").arg(backupPath, in.errorString()));
    const QByteArray book = QFile::encodeName(BookLocation::serverPath(bookPath));
    run(
        bookPath,
        [&](ThrowStatusWrapper* st, IXpbBuilder* spb) {
            spb->insertTag(st, isc_action_svc_restore);
            spb->insertString(st, isc_spb_bkp_file, "stdin");
            spb->insertString(st, isc_spb_dbname, book.constData());
            spb->insertInt(st, isc_spb_options, replace ? isc_spb_res_replace : isc_spb_res_create);
            spb->insertTag(st, isc_spb_verbose);
        },
        [&](ThrowStatusWrapper* st, Firebird::IService* service) { sendBackup(st, service, in); });
}

} // namespace

void FirebirdService::replaceOnServer(const QString& backupPath, const QString& bookPath)
{
    restoreToServer(backupPath, bookPath, true);
}

void FirebirdService::backup(const QString& bookPath, const QString& backupPath, const RecordsDone& done)
{
    if (BookLocation::isServerBook(bookPath)) {
        backupFromServer(bookPath, backupPath);
        return;
    }
    const QByteArray book = QFile::encodeName(bookPath);
    const QByteArray file = QFile::encodeName(backupPath);
    run(
        bookPath,
        [&](ThrowStatusWrapper* st, IXpbBuilder* spb) {
            spb->insertTag(st, isc_action_svc_backup);
            spb->insertString(st, isc_spb_dbname, book.constData());
            spb->insertString(st, isc_spb_bkp_file, file.constData());
            insertReport(st, spb);
        },
        reportingTo(done));
}

void FirebirdService::restore(const QString& backupPath, const QString& bookPath, const RecordsDone& done)
{
    if (BookLocation::isServerBook(bookPath)) {
        restoreToServer(backupPath, bookPath, false);
        return;
    }
    const QByteArray book = QFile::encodeName(bookPath);
    const QByteArray file = QFile::encodeName(backupPath);
    run(
        bookPath,
        [&](ThrowStatusWrapper* st, IXpbBuilder* spb) {
            spb->insertTag(st, isc_action_svc_restore);
            spb->insertString(st, isc_spb_bkp_file, file.constData());
            spb->insertString(st, isc_spb_dbname, book.constData());
            // Create only: never replace a file that is there.
            spb->insertInt(st, isc_spb_options, isc_spb_res_create);
            insertReport(st, spb);
        },
        reportingTo(done));
}

void FirebirdService::setForcedWrites(const QString& bookPath)
{
    const QByteArray book = QFile::encodeName(BookLocation::serverPath(bookPath));
    run(
        bookPath,
        [&](ThrowStatusWrapper* st, IXpbBuilder* spb) {
            spb->insertTag(st, isc_action_svc_properties);
            spb->insertString(st, isc_spb_dbname, book.constData());
            const unsigned char sync = isc_spb_prp_wm_sync;
            spb->insertBytes(st, isc_spb_prp_write_mode, &sync, 1);
        },
        reportingTo({}));
}

QStringList FirebirdService::lastOutput()
{
    return t_output;
}

} // namespace kelpora
