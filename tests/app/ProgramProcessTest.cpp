// The program as processes: one copy only, close on SIGTERM with exit code 0, the missing database's exit
// code 1. Each test runs a copy of the executable in a temporary folder (its files lie beside it) with a
// private TMPDIR, which holds the single-instance lock and socket.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

namespace {
QString BuiltFile(const QString& relative)
{
    return qEnvironmentVariable("VARNOCK_BINARY_DIR") + u'/' + relative;
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QTest::qWait(50);
    }
    return true;
}
} // namespace

class ProgramProcessTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> Folder;
    QString Executable;

    std::unique_ptr<QProcess> Start()
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("TMPDIR", Folder->filePath("tmp"));
        environment.insert("XDG_RUNTIME_DIR", Folder->filePath("tmp"));
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(Folder->path());
        process->start(Executable, {});
        return process;
    }

    bool Running(QProcess& process) { return process.state() == QProcess::Running; }

private Q_SLOTS:
    void init()
    {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(Folder->isValid());
        QVERIFY(QDir(Folder->path()).mkdir("tmp"));
        QFile::setPermissions(
            Folder->filePath("tmp"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        Executable = Folder->filePath("Varnock");
        QVERIFY(QFile::copy(BuiltFile("bin/Varnock"), Executable));
        QVERIFY(QFile::copy(BuiltFile("db/VarnockTemplate.ABS"), Folder->filePath("Varnock.ABS")));
        QFile::setPermissions(Folder->filePath("Varnock.ABS"), QFile::ReadOwner | QFile::WriteOwner);
    }

    void secondStartActivatesTheFirstAndEnds()
    {
        auto first = Start();
        QVERIFY(first->waitForStarted());
        // The backup is written by the data module, after the instance lock is taken.
        QVERIFY(WaitFor([&] { return QFile::exists(Folder->filePath("Varnock.DatabaseBackup")); }, 10000));
        const QDateTime backupTime = QFileInfo(Folder->filePath("Varnock.DatabaseBackup")).lastModified();

        auto second = Start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QVERIFY(Running(*first));
        // The second copy touched nothing: no backup of its own.
        QCOMPARE(QFileInfo(Folder->filePath("Varnock.DatabaseBackup")).lastModified(), backupTime);

        // SIGTERM closes the first as a user's close would.
        ::kill(pid_t(first->processId()), SIGTERM);
        QVERIFY(first->waitForFinished(10000));
        QCOMPARE(first->exitStatus(), QProcess::NormalExit);
        QCOMPARE(first->exitCode(), 0);

        // With the first gone, a new start is a first copy again.
        auto third = Start();
        QVERIFY(third->waitForStarted());
        QTest::qWait(500);
        QVERIFY(Running(*third));
        ::kill(pid_t(third->processId()), SIGINT);
        QVERIFY(third->waitForFinished(10000));
        QCOMPARE(third->exitCode(), 0);
    }

    // The error box is open when SIGTERM comes: it is answered, and the exit code stays 1.
    void missingDatabaseEndsWithExitCodeOne()
    {
        QFile backup(Folder->filePath("Varnock.DatabaseBackup"));
        QVERIFY(backup.open(QIODevice::WriteOnly));
        backup.write("kept");
        backup.close();
        QVERIFY(QFile::remove(Folder->filePath("Varnock.ABS")));
        auto process = Start();
        QVERIFY(process->waitForStarted());
        const QString expected = "Database file " + Folder->filePath("Varnock.ABS") + " not found";
        QByteArray standardError;
        QVERIFY(WaitFor(
            [&] {
                standardError += process->readAllStandardError();
                return standardError.contains(expected.toLocal8Bit());
            },
            10000));
        QTest::qWait(300);
        QVERIFY(Running(*process)); // the box waits for an answer
        ::kill(pid_t(process->processId()), SIGTERM);
        QVERIFY(process->waitForFinished(10000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 1);
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QCOMPARE(backup.readAll(), QByteArray("kept"));
        QVERIFY(!QFile::exists(Folder->filePath("Varnock.ABS")));
    }
};

QTEST_GUILESS_MAIN(ProgramProcessTest)
#include "ProgramProcessTest.moc"
