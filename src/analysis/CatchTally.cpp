#include "analysis/CatchTally.h"

#include "core/DateText.h"
#include "core/SjisCodec.h"
#include "core/SqlQuery.h"

#include <QHash>

#include <algorithm>
#include <map>

namespace kelpora {

namespace {

const QString kOthers = QStringLiteral("その他");

struct Columns {
    explicit Columns(const SqlQuery& q)
        : code(q.columnNumber(QStringLiteral("CODENO"))), day(q.columnNumber(QStringLiteral("DAY_DATA"))),
          place(q.columnNumber(QStringLiteral("BASYO"))), point(q.columnNumber(QStringLiteral("FUNE"))),
          tide(q.columnNumber(QStringLiteral("SHIO")))
    {
        for (int s = 0; s < 3; ++s) {
            const QString fish = QStringLiteral("FISH%1").arg(s + 1);
            this->fish[size_t(s)] = q.columnNumber(fish);
            largest[size_t(s)] = q.columnNumber(fish + QStringLiteral("_MAX"));
            count[size_t(s)] = q.columnNumber(fish + QStringLiteral("_KAZU"));
        }
    }
    int code, day, place, point, tide;
    std::array<int, 3> fish{}, largest{}, count{};
};

QString trimmedEnd(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    text.truncate(end);
    return text;
}

// Each stored writing is decoded once: twenty thousand records hold a few hundred names.
class Names {
public:
    // -1 for a name not given (NULL, empty or blanks only).
    int id(QByteArrayView stored)
    {
        qsizetype length = stored.size();
        while (length > 0 && stored[length - 1] == ' ')
            --length;
        if (length == 0)
            return -1;
        const QByteArray key = QByteArray::fromRawData(stored.data(), length);
        const auto known = m_byBytes.constFind(key);
        if (known != m_byBytes.constEnd())
            return *known;
        const QString name = trimmedEnd(sjis::decode(stored.data(), length));
        int id = -1;
        if (!name.isEmpty()) {
            id = int(m_byName.value(name, int(m_names.size())));
            if (id == m_names.size()) {
                m_byName.insert(name, id);
                m_names.append(name);
            }
        }
        m_byBytes.insert(QByteArray(stored.data(), length), id);
        return id;
    }
    const QString& name(int id) const { return m_names.at(id); }
    int size() const { return int(m_names.size()); }

private:
    QHash<QByteArray, int> m_byBytes;
    QHash<QString, int> m_byName;
    QStringList m_names;
};

bool digits(QByteArrayView text, int from, int count)
{
    for (int i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

int number(QByteArrayView text, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

// A date with its year and month at hand: QDate works them out afresh at every call.
struct Day {
    QDate date;
    int year = 0;
    int month = 0;
};

std::optional<Day> dayOf(const std::optional<QDate>& date)
{
    if (!date || !date->isValid())
        return std::nullopt;
    return Day{*date, date->year(), date->month()};
}

// "yyyy/mm/dd" as the entry writes it; a correction may have stored another writing.
std::optional<Day> readDay(QByteArrayView stored)
{
    if (stored.size() == 10 && stored[4] == '/' && stored[7] == '/' && digits(stored, 0, 4) && digits(stored, 5, 2)
        && digits(stored, 8, 2)) {
        const Day day{QDate(number(stored, 0, 4), number(stored, 5, 2), number(stored, 8, 2)), number(stored, 0, 4),
            number(stored, 5, 2)};
        return day.date.isValid() ? std::optional<Day>(day) : std::nullopt;
    }
    if (stored.isEmpty())
        return std::nullopt;
    return dayOf(DateText::parseStrict(sjis::decode(stored.data(), stored.size()).trimmed()));
}

struct Slot {
    int species = -1;
    int catches = 0;
    std::optional<int> largest;
};

// The record's species, each once however many slots hold it.
struct RecordCatch {
    std::array<Slot, 3> held;
    int used = 0;
    int catches = 0;

    void add(int species, int count, std::optional<int> largest)
    {
        Slot* slot = std::find_if(held.begin(), held.begin() + used, [&](const Slot& s) { return s.species == species; });
        if (slot == held.begin() + used) {
            ++used;
            slot->species = species;
        }
        slot->catches += count;
        if (largest && (!slot->largest || *largest > *slot->largest))
            slot->largest = largest;
        catches += count;
    }
};

class TideGroups {
public:
    TideGroups(const Columns& columns, const TallyOptions& options) : m_columns(columns), m_options(options) { }

    void add(const SqlQuery& q, int row, const std::optional<Day>& day, int catches)
    {
        TideTally& group = m_groups[groupOf(q, row, day)];
        ++group.outings;
        group.catches += catches;
    }

    std::vector<TideTally> ordered() const
    {
        std::vector<TideTally> out;
        std::vector<bool> taken(m_groups.size(), false);
        const auto take = [&](const QString& name, bool computed, bool always) {
            const auto at = m_index.constFind(key(name, computed));
            if (at != m_index.constEnd()) {
                taken[size_t(*at)] = true;
                out.push_back(m_groups[size_t(*at)]);
            } else if (always) {
                out.push_back(TideTally{computed ? computedTideName(name) : name, computed, 0, 0});
            }
        };
        for (const QString& name : tideNames())
            take(name, false, true);
        for (bool computed : {false, true}) {
            if (computed)
                for (const QString& name : tideNames())
                    take(name, true, false);
            for (size_t i = 0; i < m_groups.size(); ++i)
                if (!taken[i] && m_groups[i].computed == computed && m_groups[i].name != unknownTide()) {
                    taken[i] = true;
                    out.push_back(m_groups[i]);
                }
        }
        take(unknownTide(), false, true);
        return out;
    }

private:
    static QString key(const QString& name, bool computed) { return computed ? u'\1' + name : name; }

    int group(const QString& name, bool computed)
    {
        const QString k = key(name, computed);
        const auto at = m_index.constFind(k);
        if (at != m_index.constEnd())
            return *at;
        m_groups.push_back(TideTally{computed ? computedTideName(name) : name, computed, 0, 0});
        m_index.insert(k, int(m_groups.size() - 1));
        return int(m_groups.size() - 1);
    }

    int groupOf(const SqlQuery& q, int row, const std::optional<Day>& day)
    {
        const int stored = m_names.id(q.textBytesAt(row, m_columns.tide));
        if (stored >= 0) {
            if (size_t(stored) >= m_storedGroup.size())
                m_storedGroup.resize(size_t(stored) + 1, -1);
            int& g = m_storedGroup[size_t(stored)];
            if (g < 0)
                g = group(m_names.name(stored), false);
            return g;
        }
        if (!day || !m_options.computedTide)
            return group(unknownTide(), false);
        const auto known = m_byDay.constFind(day->date);
        if (known != m_byDay.constEnd())
            return *known;
        const QString computed = m_options.computedTide(day->date).trimmed();
        const int g = computed.isEmpty() ? group(unknownTide(), false) : group(computed, true);
        m_byDay.insert(day->date, g);
        return g;
    }

    const Columns& m_columns;
    const TallyOptions& m_options;
    Names m_names;
    std::vector<TideTally> m_groups;
    QHash<QString, int> m_index;
    std::vector<int> m_storedGroup;
    QHash<QDate, int> m_byDay;
};

// Catches and outings per place or point.
class PlaceCounts {
public:
    void add(QByteArrayView stored, int catches)
    {
        const int id = m_names.id(stored);
        if (id < 0)
            return;
        if (size_t(id) >= m_counts.size())
            m_counts.resize(size_t(id) + 1);
        ++m_counts[size_t(id)].outings;
        m_counts[size_t(id)].catches += catches;
    }
    std::vector<NamedCount> ranked() const
    {
        std::vector<NamedCount> out = m_counts;
        for (size_t i = 0; i < out.size(); ++i)
            out[i].name = m_names.name(int(i));
        std::stable_sort(
            out.begin(), out.end(), [](const NamedCount& a, const NamedCount& b) { return a.catches > b.catches; });
        return out;
    }

private:
    Names m_names;
    std::vector<NamedCount> m_counts;
};

class Tally {
public:
    Tally(const SqlQuery& q, const TallyOptions& options)
        : m_q(q), m_columns(q), m_options(options), m_tides(m_columns, options)
    { }

    CatchTally run()
    {
        for (int row = 0; row < m_q.rowCount(); ++row)
            addRecord(row);
        CatchTally out;
        out.outings = m_q.rowCount();
        out.catches = m_catches;
        out.undated = m_undated;
        out.species = species();
        for (const auto& [year, tally] : m_years)
            out.years.push_back(tally);
        out.tides = m_tides.ordered();
        out.places = m_places.ranked();
        out.points = m_points.ranked();
        return out;
    }

private:
    RecordCatch catchOf(int row)
    {
        RecordCatch record;
        for (size_t s = 0; s < 3; ++s) {
            const int id = m_species.id(m_q.textBytesAt(row, m_columns.fish[s]));
            if (id < 0 || !wanted(id))
                continue;
            const std::optional<qint32> count = m_q.integerAt(row, m_columns.count[s]);
            record.add(id, count ? std::max(0, *count) : 1, m_q.integerAt(row, m_columns.largest[s]));
        }
        return record;
    }

    bool wanted(int species)
    {
        if (m_options.onlySpecies.isEmpty())
            return true;
        if (size_t(species) >= m_wanted.size())
            m_wanted.resize(size_t(species) + 1, -1);
        signed char& w = m_wanted[size_t(species)];
        if (w < 0)
            w = m_species.name(species) == m_options.onlySpecies ? 1 : 0;
        return w == 1;
    }

    void addRecord(int row)
    {
        const std::optional<Day> day = readDay(m_q.textBytesAt(row, m_columns.day));
        const RecordCatch record = catchOf(row);
        m_catches += record.catches;
        if (day) {
            YearTally& year = m_years[day->year];
            year.year = day->year;
            ++year.outings;
            year.catches += record.catches;
        } else {
            ++m_undated;
        }
        for (int i = 0; i < record.used; ++i)
            addSpecies(record.held[size_t(i)], row, day);
        m_tides.add(m_q, row, day, record.catches);
        m_places.add(m_q.textBytesAt(row, m_columns.place), record.catches);
        m_points.add(m_q.textBytesAt(row, m_columns.point), record.catches);
    }

    void addSpecies(const Slot& slot, int row, const std::optional<Day>& day)
    {
        if (size_t(slot.species) >= m_perSpecies.size())
            m_perSpecies.resize(size_t(slot.species) + 1);
        SpeciesTally& s = m_perSpecies[size_t(slot.species)];
        s.catches += slot.catches;
        ++s.outings;
        if (day)
            s.byMonth[size_t(day->month - 1)] += slot.catches;
        if (!slot.largest)
            return;
        if (day)
            s.sizes.push_back(SizeOnDay{day->date, *slot.largest, row});
        // The first record to reach a size holds it; a later equal one does not take it over.
        if (!s.best || *slot.largest > s.best->size)
            s.best = PersonalBest{*slot.largest, row, 0, {}, {}, {}};
    }

    QString textAt(int row, int column) const
    {
        const QByteArrayView bytes = m_q.textBytesAt(row, column);
        return sjis::decode(bytes.data(), bytes.size());
    }

    std::vector<SpeciesTally> species()
    {
        std::vector<SpeciesTally> out = std::move(m_perSpecies);
        out.resize(size_t(m_species.size()));
        for (size_t i = 0; i < out.size(); ++i) {
            SpeciesTally& s = out[i];
            s.name = m_species.name(int(i));
            std::stable_sort(
                s.sizes.begin(), s.sizes.end(), [](const SizeOnDay& a, const SizeOnDay& b) { return a.day < b.day; });
            if (s.best) {
                const int row = s.best->row;
                s.best->codeNo = m_q.integerAt(row, m_columns.code).value_or(0);
                s.best->day = textAt(row, m_columns.day);
                s.best->place = textAt(row, m_columns.place);
                s.best->point = textAt(row, m_columns.point);
            }
        }
        std::erase_if(out, [](const SpeciesTally& s) { return s.outings == 0; });
        std::stable_sort(
            out.begin(), out.end(), [](const SpeciesTally& a, const SpeciesTally& b) { return a.catches > b.catches; });
        return out;
    }

    const SqlQuery& m_q;
    const Columns m_columns;
    const TallyOptions& m_options;
    Names m_species;
    std::vector<signed char> m_wanted;
    std::vector<SpeciesTally> m_perSpecies;
    std::map<int, YearTally> m_years;
    TideGroups m_tides;
    PlaceCounts m_places;
    PlaceCounts m_points;
    int m_catches = 0;
    int m_undated = 0;
};

} // namespace

QStringList tideNames()
{
    return {QStringLiteral("大潮"), QStringLiteral("中潮"), QStringLiteral("小潮"), QStringLiteral("長潮"),
        QStringLiteral("若潮")};
}

QString unknownTide()
{
    return QStringLiteral("不明");
}

QString computedTideName(const QString& tide)
{
    return tide + QStringLiteral("(計算)");
}

CatchTally tallyCatches(const SqlQuery& rows, const TallyOptions& options)
{
    if (!rows.isOpen())
        return {};
    return Tally(rows, options).run();
}

MonthStack CatchTally::monthStack(int topSpecies) const
{
    MonthStack stack;
    std::array<int, 12> others{};
    bool anyOthers = false;
    for (size_t i = 0; i < species.size(); ++i) {
        if (int(i) < topSpecies) {
            stack.bands << species[i].name;
            stack.counts.push_back(species[i].byMonth);
            continue;
        }
        for (size_t m = 0; m < 12; ++m)
            others[m] += species[i].byMonth[m];
        anyOthers = true;
    }
    if (anyOthers) {
        stack.bands << kOthers;
        stack.counts.push_back(others);
    }
    return stack;
}

const SpeciesTally* CatchTally::find(const QString& name) const
{
    const auto it = std::find_if(species.begin(), species.end(), [&](const SpeciesTally& s) { return s.name == name; });
    return it == species.end() ? nullptr : &*it;
}

} // namespace kelpora
