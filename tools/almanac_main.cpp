#include "core/Almanac.h"
#include "core/DateText.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr,
        "usage: kelpora-almanac DATE...\n"
        "  Prints, for each DATE (yyyy/mm/dd, Japan Standard Time), its lunar date, the tide\n"
        "  name and the moon's age at noon, computed from the date alone:\n"
        "  2024/04/09 旧暦 3/1 大潮 月齢 0.4\n");
    return 2;
}

void complain(const QString& text)
{
    std::fprintf(stderr, "kelpora-almanac: %s\n", text.toUtf8().constData());
}

// Every argument is checked before anything is printed, so a slip in one of them never
// leaves half a list that looks complete.
std::optional<std::vector<QDate>> datesOf(const QStringList& args)
{
    std::vector<QDate> dates;
    bool allRead = true;
    for (const QString& arg : args) {
        const std::optional<QDate> date = kelpora::DateText::parseStrict(arg);
        if (!date) {
            complain(
                QStringLiteral("日付「%1」が読めません。yyyy/mm/dd の形で、ある日付を指定してください。").arg(arg));
            allRead = false;
        } else if (!kelpora::almanacCovers(*date)) {
            complain(QStringLiteral("日付「%1」は計算できる範囲（%2年から%3年まで）の外です。")
                         .arg(arg)
                         .arg(kelpora::kAlmanacFirstYear)
                         .arg(kelpora::kAlmanacLastYear));
            allRead = false;
        } else {
            dates.push_back(*date);
        }
    }
    if (!allRead)
        return std::nullopt;
    return dates;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.isEmpty() || args.front().startsWith(u'-'))
        return usage();
    const std::optional<std::vector<QDate>> dates = datesOf(args);
    if (!dates)
        return 1;
    for (const QDate& date : *dates) {
        const kelpora::AlmanacDay day = kelpora::almanacFor(date);
        const QString line = QStringLiteral("%1 旧暦 %2 %3 月齢 %4\n")
                                 .arg(kelpora::DateText::format(date), kelpora::lunarDateText(day.lunar), day.tideName,
                                     QString::number(day.moonAge, 'f', 1));
        std::fputs(line.toUtf8().constData(), stdout);
    }
    return 0;
}
