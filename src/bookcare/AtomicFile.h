#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace kelpora::bookcare {

// A file that appears under its name only when it is whole and on the disk. It is
// written under a hidden temporary name beside its final place; every write, the sync
// and the close are checked; commit() renames it into place and syncs the folder, so a
// full disk, a failed write or a kill at any moment leaves either nothing or the old
// file, never a cut-off one under the final name. Without commit() the temporary file
// is removed. Every failure throws FileError naming the file and the cause in Japanese.
class AtomicFile {
public:
    enum class Replace { Never, Allowed };

    // Creates the temporary file now. mode is an upper bound (the umask still applies):
    // 0600 for files only their owner may read.
    explicit AtomicFile(const QString& path, mode_t mode = 0644, Replace replace = Replace::Never);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(const char* data, qsizetype size);
    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }
    // With Replace::Never an existing file at path is refused (EEXIST), never overwritten.
    void commit();

    const QString& path() const noexcept { return m_path; }
    const QString& temporaryPath() const noexcept { return m_temporary; }

    // The whole of bytes as one new file.
    static void writeWhole(
        const QString& path, const QByteArray& bytes, mode_t mode = 0644, Replace replace = Replace::Never);

private:
    QString m_path;
    QString m_temporary;
    Replace m_replace;
    int m_fd = -1;
    bool m_committed = false;
};

// A new file written whole, synced and closed, every step checked. For files inside a
// folder that is itself moved into place once complete. Refuses an existing file.
void writeNewFile(const QString& path, const QByteArray& bytes, mode_t mode = 0644);

// A new empty folder beside finalPath under a hidden name ("DIR/.NAME.part-1a2b3c4d"),
// to be filled and then moved into place whole with renameNoReplace. Throws FileError.
QString createTemporaryFolder(const QString& finalPath, mode_t mode = 0777);

// rename(2) that never replaces what is at `to` (also for folders). Throws FileError.
void renameNoReplace(const QString& from, const QString& to);

} // namespace kelpora::bookcare
