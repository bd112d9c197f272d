#pragma once

#include <QString>

#include <functional>
#include <memory>

// The client's headers stay in the data layer's own .cpp files: the raw attachment is
// for the data layer's types, and for the benchmark that measures the bare client.
namespace Firebird {
class IAttachment;
}

namespace kelpora {

class IBTransaction;

// One attachment to a database file, made on demand. The file name may be set
// by the before-connect hook just before each attempt; a failed attempt leaves
// the connection closed so the next statement tries again.
class IBDatabase {
public:
    struct Params {
        QString user;
        QString password;
        int dialect = 1;
    };

    explicit IBDatabase(Params params);
    ~IBDatabase();
    IBDatabase(const IBDatabase&) = delete;
    IBDatabase& operator=(const IBDatabase&) = delete;

    void setBeforeConnect(std::function<void(IBDatabase&)> hook);
    void setDatabaseName(const QString& name);
    QString databaseName() const;
    int dialect() const { return m_params.dialect; }

    // False also once a call found the way to this book's server gone: the next
    // statement lets go of the dead attachment and attaches again.
    bool connected() const;
    // Changes with every new attachment, so what was prepared on an earlier one is never
    // taken for this one's, even at the same address.
    quint64 serial() const { return m_serial; }
    void open();
    // Ends the default transaction and detaches; never throws.
    void close() noexcept;

    // Connects first when needed.
    Firebird::IAttachment* attachment();

    void setDefaultTransaction(IBTransaction* tr) { m_defaultTransaction = tr; }
    IBTransaction* defaultTransaction() const { return m_defaultTransaction; }

    // Creates a new database file; used by the file tool, never by the application.
    static void createDatabase(const QString& path, const Params& params, bool forcedWrites);

private:
    bool lost() const;

    Params m_params;
    QString m_name;
    std::function<void(IBDatabase&)> m_beforeConnect;
    struct Handle;
    std::unique_ptr<Handle> m_attachment;
    IBTransaction* m_defaultTransaction = nullptr;
    quint64 m_serial = 0;
};

} // namespace kelpora
