#pragma once
// The library of recorded waves: reading frequency and start time back from a recording's name, listing and
// ordering the recordings of a folder, the separator rule between played files, and moving and purging files.

#include "support/DateTimeUnit.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <functional>

// The patterns played, in the order they are collected. Subfolders are never visited.
inline const QStringList WavePatterns {QStringLiteral("*.Wav"), QStringLiteral("*.mp3")};
inline const QString DeletedFolderName = QStringLiteral("Deleted");
inline const QString SavedFolderName = QStringLiteral("Saved");

// The frequency text before the first "_" of the name (folder removed), read as megahertz text and, failing
// that, as kilohertz text; 0 when neither fits.
qint32 FrequencyFromFileName(const QString& path);

// The local date-time "yyyymmdd_hhnnss.zzz" after the first "_" of the name; 0 for anything else.
TDateTime TimeFromFileName(const QString& path);

// 1 when item i was recorded later than item j, -1 when earlier, 0 when at the same moment.
int CompareWaveFileTimes(const QStringList& list, int i, int j);

// Orders by recording time, names without a time first; equal times keep their order. Each name is parsed
// once, so a folder of ten thousand recordings sorts in milliseconds.
void SortWaveFiles(QStringList& list);

// Calls visit for each file matching the patterns in folder (hidden ones too), pattern by pattern, until it
// returns false.
void ForEachWaveFile(const QString& folder, const QStringList& patterns,
    const std::function<bool(const QFileInfo& file)>& visit);

// The moments of one played file that the separator rule needs.
struct TPlayedWave {
    qint32 Frequency = 0;
    TDateTime FileTime = 0;
    TDateTime PlayStart = 0;
};

// Whether the separator follows the current file (when another one follows it): the frequency changed, or the
// recordings lie further apart than their playing did, with 4 seconds of grace.
bool SeparatorFollows(const TPlayedWave& previous, const TPlayedWave& current);

// The separator sound beside the executable (Varnock.Wav).
QString SeparatorSoundFile();

// Moves the file into folder under the same name, creating the folder with its parents first. False when
// the move failed; an existing file of that name is never replaced.
bool MoveWaveFile(const QString& path, const QString& folder);

// Whether the file has no write permission left for anyone: recordings marked read-only.
bool IsReadOnlyFile(const QFileInfo& file);

// Deletes the file unless it is read-only. False when it stays.
bool DeleteWaveFile(const QFileInfo& file);

// Adds path to the sorted list unless it is there already.
void AddSortedUnique(QStringList& list, const QString& path);
