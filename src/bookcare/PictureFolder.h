#pragma once

#include <QByteArray>
#include <QString>

namespace kelpora::bookcare {

// The picture files an imported CSV may name: regular files inside its own picture
// folder ("fish_pictures/" beside "fish.csv", as the export writes it) and nothing else,
// so a CSV from someone else cannot make the book take in /etc/shadow, ../secret.txt or
// whatever a symbolic link points at.
class PictureFolder {
public:
    // Thrown with the reason, in Japanese, for a path or file that is refused.
    struct Refusal {
        QString reason;
    };

    explicit PictureFolder(const QString& csvPath);

    // "fish_pictures"
    const QString& name() const noexcept { return m_name; }

    // The bytes of the file at `relative` (as the CSV field holds it, relative to the
    // CSV's folder). Throws Refusal.
    QByteArray read(const QString& relative) const;

private:
    QString checkedWithin(const QString& relative) const;

    QString m_name;
    QString m_path; // the folder, absolute
    QString m_canonical; // the folder with every link resolved; empty if it is missing
};

} // namespace kelpora::bookcare
