#pragma once

#include <QtGlobal>

#include <functional>

namespace kelpora::bookcare {

// How far a long piece of book care has come, for a window that shows it and must stay
// painted meanwhile; the tools pass none. Told between records, and while the engine
// writes or restores a backup at least about once a second, so a caller that keeps its
// windows painted here never freezes them for longer.
struct Progress {
    enum class Step {
        Writing, // the engine writes a backup of the book
        Restoring, // the engine restores a backup, to check it or to put it in place
        Comparing, // the restored copy laid beside the book, record by record
        Reading, // every record of a restored book read once
        Exporting, // records written to the CSV
    };

    std::function<void(Step step, qint64 records)> report;

    void operator()(Step step, qint64 records) const
    {
        if (report)
            report(step, records);
    }
};

} // namespace kelpora::bookcare
