#include "ProgramFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QThread>
#include <QUuid>
#include <QtEndian>

#include <csignal>
#include <stdexcept>
#include <sys/prctl.h>

namespace {
QString SourceFile(const QString& relative)
{
    return qEnvironmentVariable("VARNOCK_SOURCE_DIR") + u'/' + relative;
}

QString BuiltFile(const QString& relative)
{
    return qEnvironmentVariable("VARNOCK_BINARY_DIR") + u'/' + relative;
}

// One short-lived connection per use: the program holds the file exclusively while it runs, so nothing may
// stay open between runs.
template <class Work> auto WithDatabase(const QString& file, Work work)
{
    const QString name = QUuid::createUuid().toString();
    struct Remover {
        QString name;
        ~Remover() { QSqlDatabase::removeDatabase(name); }
    } remover {name};
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    database.setDatabaseName(file);
    if (!database.open())
        throw std::runtime_error(("cannot open " + file + ": " + database.lastError().text()).toStdString());
    auto result = work(database);
    database.close();
    return result;
}

QSqlQuery Run(QSqlDatabase& database, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(database);
    if (!query.prepare(sql))
        throw std::runtime_error((sql + ": " + query.lastError().text()).toStdString());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw std::runtime_error((sql + ": " + query.lastError().text()).toStdString());
    return query;
}

QString RunTool(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(process.readAll());
}
} // namespace

SimulatorOptions QuickReceiver()
{
    SimulatorOptions options;
    options.resortMs = 0;
    return options;
}

bool WaitUntil(const std::function<bool()>& condition, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------------------

TProgramFolder::TProgramFolder()
{
    if (!Dir.isValid())
        return;
    const QDir here(Dir.path());
    Valid = here.mkdir(QStringLiteral("tmp")) && here.mkdir(QStringLiteral("recordings"))
        && QFile::setPermissions(
            Path(QStringLiteral("tmp")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
        && QFile::copy(BuiltFile(QStringLiteral("bin/Varnock")), Path(QStringLiteral("Varnock")))
        && QFile::copy(BuiltFile(QStringLiteral("db/VarnockTemplate.ABS")), Database())
        && QFile::setPermissions(Database(), QFile::ReadOwner | QFile::WriteOwner);
    const QString separator = BuiltFile(QStringLiteral("bin/Varnock.Wav"));
    if (Valid && QFile::exists(separator))
        QFile::copy(separator, Path(QStringLiteral("Varnock.Wav")));
    if (Valid)
        SetOption(QStringLiteral("RecordedWaveFileDirectory"), RecordingFolder());
}

QString TProgramFolder::Path(const QString& name) const
{
    return name.isEmpty() ? Dir.path() : Dir.filePath(name);
}

void TProgramFolder::SetOption(const QString& name, const QString& value)
{
    WithDatabase(Database(), [&](QSqlDatabase& database) {
        Run(database, QStringLiteral("DELETE FROM OptionsTable_ WHERE OptionName = ?"), {name});
        Run(database, QStringLiteral("INSERT INTO OptionsTable_ (OptionName, OptionValue) VALUES (?, ?)"),
            {name, value});
        return 0;
    });
}

QString TProgramFolder::Option(const QString& name) const
{
    const auto rows = DatabaseRows(Database(),
        QStringLiteral("SELECT OptionValue FROM OptionsTable_ WHERE OptionName = '%1'").arg(name));
    return rows.isEmpty() ? QString() : rows.first().first().toString();
}

void TProgramFolder::Execute(const QString& sql)
{
    WithDatabase(Database(), [&](QSqlDatabase& database) {
        Run(database, sql);
        return 0;
    });
}

QList<QVariantList> TProgramFolder::Rows(const QString& sql) const
{
    return DatabaseRows(Database(), sql);
}

QStringList TProgramFolder::Recordings() const
{
    QStringList files;
    QDirIterator it(RecordingFolder(), {QStringLiteral("*.Wav")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

QList<QVariantList> DatabaseRows(const QString& file, const QString& sql)
{
    return WithDatabase(file, [&](QSqlDatabase& database) {
        QSqlQuery query = Run(database, sql);
        QList<QVariantList> rows;
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i);
            rows << row;
        }
        return rows;
    });
}

// ---------------------------------------------------------------------------------------------------------------

TPulseServer::TPulseServer(const QString& folder)
    : Folder(folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VARNOCK_PULSE_DIR"), Folder);
    QProcess script;
    script.setProcessEnvironment(environment);
    script.start(SourceFile(QStringLiteral("scripts/pulse-start")), {});
    script.waitForFinished(30000);
    const QString output = QString::fromLocal8Bit(script.readAllStandardOutput());
    const QString prefix = QStringLiteral("export XDG_RUNTIME_DIR=");
    const qsizetype at = output.indexOf(prefix);
    if (script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0 || at < 0) {
        StartProblem = QStringLiteral("the PulseAudio server did not start: ")
            + QString::fromLocal8Bit(script.readAllStandardError()).trimmed();
        return;
    }
    RuntimeDir = output.mid(at + prefix.size()).trimmed();
}

TPulseServer::~TPulseServer()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VARNOCK_PULSE_DIR"), Folder);
    RunTool(SourceFile(QStringLiteral("scripts/pulse-stop")), {}, environment);
}

int TPulseServer::Streams(const QString& kind) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeDir);
    const QString listing = RunTool(
        QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), kind}, environment);
    return int(listing.split(u'\n', Qt::SkipEmptyParts).size());
}

int TPulseServer::PlayingStreams() const
{
    return Streams(QStringLiteral("sink-inputs"));
}

int TPulseServer::RecordingStreams() const
{
    return Streams(QStringLiteral("source-outputs"));
}

// ---------------------------------------------------------------------------------------------------------------

TProgram::TProgram(const TProgramFolder& folder, const TPulseServer& pulse)
    : Folder(folder)
    , Pulse(pulse)
{
}

TProgram::~TProgram()
{
    if (IsRunning())
        Kill();
}

void TProgram::Start()
{
    Process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TMPDIR"), Folder.Path(QStringLiteral("tmp")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Pulse.RuntimeDirectory());
    Process->setProcessEnvironment(environment);
    Process->setWorkingDirectory(Folder.Path());
    Process->setProcessChannelMode(QProcess::MergedChannels);
    Process->setStandardOutputFile(Folder.Path(QStringLiteral("varnock.out")), QIODevice::Append);
    // A test that dies (a crash, Qt Test's watchdog) takes its program with it.
    Process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    Process->start(Folder.Path(QStringLiteral("Varnock")), {});
    Process->waitForStarted(10000);
}

bool TProgram::IsRunning() const
{
    return Process && Process->state() != QProcess::NotRunning;
}

qint64 TProgram::Pid() const
{
    return Process ? Process->processId() : 0;
}

int TProgram::Terminate(int milliseconds)
{
    if (!IsRunning())
        return WaitForExit(0);
    ::kill(pid_t(Pid()), SIGTERM);
    return WaitForExit(milliseconds);
}

void TProgram::Kill()
{
    if (!IsRunning())
        return;
    ::kill(pid_t(Pid()), SIGKILL);
    Process->waitForFinished(10000);
}

int TProgram::WaitForExit(int milliseconds)
{
    if (!Process)
        return -1;
    if (Process->state() != QProcess::NotRunning && !Process->waitForFinished(milliseconds))
        return -1;
    return Process->exitStatus() == QProcess::NormalExit ? Process->exitCode() : -1;
}

QString TProgram::Output() const
{
    QFile file(Folder.Path(QStringLiteral("varnock.out")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

qint64 TProgram::ResidentKilobytes() const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(Pid()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

QStringList TProgram::OpenFiles(const QString& suffix) const
{
    QStringList files;
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(Pid()));
    for (const QFileInfo& entry :
        descriptors.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = entry.symLinkTarget();
        if (target.endsWith(suffix))
            files << target;
    }
    return files;
}

// ---------------------------------------------------------------------------------------------------------------

bool WaitForStartUp(
    const ReceiverSimulator& simulator, const TPulseServer& pulse, int reportSwitches, int milliseconds)
{
    if (!WaitUntil(
            [&] { return CommandCount(simulator, "LC1") >= reportSwitches && pulse.RecordingStreams() > 1; },
            milliseconds))
        return false;
    // The last start-up steps follow the capture's start without a pause.
    QTest::qWait(500);
    return true;
}

int CommandCount(const ReceiverSimulator& simulator, const QByteArray& command)
{
    return int(simulator.ReceivedCommands().count(command));
}

TWaveSizes ReadWaveSizes(const QString& file)
{
    TWaveSizes sizes;
    QFile wave(file);
    if (!wave.open(QIODevice::ReadOnly))
        return sizes;
    sizes.fileSize = wave.size();
    const QByteArray header = wave.read(44);
    if (header.size() < 44 || !header.startsWith("RIFF") || header.mid(36, 4) != "data")
        return sizes;
    sizes.riffSize = qFromLittleEndian<quint32>(header.constData() + 4);
    sizes.dataSize = qFromLittleEndian<quint32>(header.constData() + 40);
    return sizes;
}

bool IsClosedWave(const QString& file)
{
    const TWaveSizes sizes = ReadWaveSizes(file);
    const qint64 samples = sizes.fileSize - 44;
    return sizes.dataSize >= 0 && sizes.riffSize == sizes.fileSize - 8
        && (sizes.dataSize == samples || sizes.dataSize + 1 == samples);
}

double SoxDuration(const QString& file)
{
    const QString text = RunTool(
        QStringLiteral("soxi"), {QStringLiteral("-D"), file}, QProcessEnvironment::systemEnvironment());
    bool ok = false;
    const double seconds = text.trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}
