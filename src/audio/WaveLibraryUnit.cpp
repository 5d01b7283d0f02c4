#include "audio/WaveLibraryUnit.h"

#include "monitor/FrequencyTextUnit.h"
#include "support/ProgramFilesUnit.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTime>

#include <algorithm>
#include <exception>
#include <numeric>
#include <optional>
#include <vector>

namespace {

const QDate Epoch(1899, 12, 30);

QString NameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

qint32 ParsedOrZero(qint32 (*parse)(const QString&), const QString& text)
{
    try {
        return parse(text);
    } catch (const std::exception&) {
        return 0;
    }
}

// The decimal number in text[from, from + count), strictly digits; nothing when the text is too short.
std::optional<int> DigitsAt(const QString& text, qsizetype from, qsizetype count)
{
    if (from + count > text.size())
        return std::nullopt;
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const QChar c = text.at(i);
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

qint32 FrequencyFromFileName(const QString& path)
{
    QString text = NameOf(path);
    const qsizetype underscore = text.indexOf(u'_');
    if (underscore >= 0)
        text.truncate(underscore);
    const qint32 hertz = ParsedOrZero(ParseMHzText, text);
    return hertz != 0 ? hertz : ParsedOrZero(ParseKHzText, text);
}

TDateTime TimeFromFileName(const QString& path)
{
    QString text = NameOf(path);
    text.remove(0, text.indexOf(u'_') + 1);
    const auto year = DigitsAt(text, 0, 4);
    const auto month = DigitsAt(text, 4, 2);
    const auto day = DigitsAt(text, 6, 2);
    const auto hour = DigitsAt(text, 9, 2);
    const auto minute = DigitsAt(text, 11, 2);
    const auto second = DigitsAt(text, 13, 2);
    const auto millisecond = DigitsAt(text, 16, 3);
    if (!year || !month || !day || !hour || !minute || !second || !millisecond)
        return 0;
    const QDate date(*year, *month, *day);
    const QTime time(*hour, *minute, *second, *millisecond);
    if (!date.isValid() || !time.isValid())
        return 0;
    // The name holds wall-clock time: counted directly, so a time in a daylight-saving gap stays as written.
    return double(Epoch.daysTo(date)) + double(time.msecsSinceStartOfDay()) / MillisecondsPerDay;
}

int CompareWaveFileTimes(const QStringList& list, int i, int j)
{
    const TDateTime a = TimeFromFileName(list.at(i));
    const TDateTime b = TimeFromFileName(list.at(j));
    return a > b ? 1 : (a < b ? -1 : 0);
}

void SortWaveFiles(QStringList& list)
{
    std::vector<TDateTime> times;
    times.reserve(size_t(list.size()));
    for (const QString& path : list)
        times.push_back(TimeFromFileName(path));
    std::vector<qsizetype> order(times.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(
        order.begin(), order.end(), [&](qsizetype a, qsizetype b) { return times[a] < times[b]; });
    QStringList sorted;
    sorted.reserve(list.size());
    for (qsizetype index : order)
        sorted.append(list.at(index));
    list.swap(sorted);
}

void ForEachWaveFile(const QString& folder, const QStringList& patterns,
    const std::function<bool(const QFileInfo& file)>& visit)
{
    for (const QString& pattern : patterns) {
        QDirIterator it(folder, {pattern}, QDir::Files | QDir::Hidden | QDir::System);
        while (it.hasNext()) {
            it.next();
            if (!visit(it.fileInfo()))
                return;
        }
    }
}

bool SeparatorFollows(const TPlayedWave& previous, const TPlayedWave& current)
{
    constexpr TDateTime grace = 4.0 / 86400.0;
    if (current.Frequency != previous.Frequency)
        return true;
    return current.FileTime > previous.FileTime + (current.PlayStart - previous.PlayStart) + grace;
}

QString SeparatorSoundFile()
{
    return ProgramFile(QStringLiteral(".Wav"));
}

bool MoveWaveFile(const QString& path, const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    const QString target = QDir(folder).filePath(NameOf(path));
    if (QFileInfo::exists(target))
        return false;
    return QFile::rename(path, target);
}

bool IsReadOnlyFile(const QFileInfo& file)
{
    constexpr QFileDevice::Permissions anyWrite
        = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return (file.permissions() & anyWrite) == 0;
}

bool DeleteWaveFile(const QFileInfo& file)
{
    // Unlinking needs only the folder's permission here, so the read-only mark has to be honoured by us.
    if (!file.exists() || IsReadOnlyFile(file))
        return false;
    return QFile::remove(file.filePath());
}

void AddSortedUnique(QStringList& list, const QString& path)
{
    const auto at = std::lower_bound(list.begin(), list.end(), path);
    if (at == list.end() || *at != path)
        list.insert(at, path);
}
