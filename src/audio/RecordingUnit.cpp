#include "audio/RecordingUnit.h"

#include "app/EventLogUnit.h"
#include "monitor/FrequencyTextUnit.h"
#include "support/ProgramFilesUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString ProgramCaption = QStringLiteral("Varnock");

QString WithoutTrailingDelimiters(QString path)
{
    while (path.size() > 1 && (path.endsWith(u'/') || path.endsWith(u'\\'))) {
        path.chop(1);
    }
    return path;
}

} // namespace

QString RecordingDirectoryPath(
    const QString& optionValue, const QString& documentsFolder, const QString& programName)
{
    QString base = WithoutTrailingDelimiters(optionValue);
    if (base.isEmpty()) {
        base = WithoutTrailingDelimiters(documentsFolder);
    }
    QString folder = base.isEmpty() ? programName : base + u'/' + programName;
    folder = QDir::cleanPath(folder);
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString MakeRecordingDirectory(const QString& optionValue)
{
    const QString folder = RecordingDirectoryPath(
        optionValue, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), ProgramName());
    QDir().mkpath(folder); // a folder that cannot be made shows up as a failing recording start
    return folder;
}

QString MakeWaveFileName(const QString& directory, qint32 frequency, const QDateTime& moment)
{
    return directory + FormatFrequency(frequency, 0) + u'_'
        + moment.toString(QStringLiteral("yyyyMMdd_hhmmss.zzz")) + QStringLiteral(".Wav");
}

bool MakeRecordingReadOnly(const QString& fileName)
{
    QFile file(fileName);
    if (!file.exists()) {
        return false;
    }
    const QFileDevice::Permissions writable = QFileDevice::WriteOwner | QFileDevice::WriteUser
        | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return file.setPermissions(file.permissions() & ~writable);
}

TRecorder::TRecorder(QObject* parent)
    : QObject(parent)
{
}

TRecorder::~TRecorder()
{
    // Closing finalises the sizes; the log and the signals are of no use any more.
    try {
        Writer.CloseWaveFile();
    } catch (const EWaveFile&) {
    }
}

QString TRecorder::MakeWaveFileName(qint32 frequency) const
{
    return ::MakeWaveFileName(Directory, frequency, QDateTime::currentDateTime());
}

bool TRecorder::StartRecording(const QString& fileName, const TAudioFormat& format)
{
    if (fileName == CurrentFileName) {
        return true;
    }
    if (IsRecording()) {
        StopRecording();
    }
    try {
        Writer.OpenWaveFile(fileName, format);
    } catch (const EWaveFile& error) {
        AddToEventLog(
            "TVarnockMainForm.StartRecording " + fileName + "  " + QString::fromStdString(error.what()),
            clRed, true);
        return false;
    }
    CurrentFileName = fileName;
    WriteFailureLogged = false;
    Q_EMIT CaptionChanged(ProgramCaption + u' ' + QFileInfo(fileName).fileName());
    Q_EMIT TraceColourChanged(clGreen);
    AddToEventLog("Recording Start " + fileName, clPurple, false);
    return true;
}

void TRecorder::StopRecording()
{
    if (Writer.IsOpen()) {
        const qint64 dataBytes = Writer.RecordedDataBytes();
        try {
            Writer.CloseWaveFile();
        } catch (const EWaveFile& error) {
            AddToEventLog("TVarnockMainForm.StopRecording " + CurrentFileName + "  "
                    + QString::fromStdString(error.what()),
                clRed, true);
        }
        AddToEventLog("Recording Stop " + CurrentFileName + "  " + QString::number(dataBytes) + " data bytes",
            clPurple, false);
        if (dataBytes <= 0) {
            QFile::remove(CurrentFileName);
            AddToEventLog(CurrentFileName + " contains no data - deleted", clBlue, false);
        }
        CurrentFileName.clear();
    }
    Q_EMIT CaptionChanged(ProgramCaption);
    Q_EMIT TraceColourChanged(clGray);
}

void TRecorder::WriteWaveData(const char* data, qint64 count)
{
    if (!IsRecording()) {
        return;
    }
    try {
        Writer.WriteWaveData(data, count);
    } catch (const EWaveFile& error) {
        if (!WriteFailureLogged) {
            WriteFailureLogged = true;
            AddToEventLog("TVarnockMainForm.WriteWaveData " + CurrentFileName + "  "
                    + QString::fromStdString(error.what()),
                clRed, true);
        }
    }
}
