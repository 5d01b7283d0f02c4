// UpdateFrequencyLog on a 100000-row frequency log shown in the main window's grid (offscreen): the time of
// each call, and of the grid's repaint that follows it, as a burst of squelch reports would cause them.
// Prints the median, the 90th percentile and the largest call, and the first call (which reads the rest of
// the log into the view) on its own. Every call commits its row durably (synchronous WAL), so on a disk the
// figure cannot fall below one fsync, which is measured and printed beside it; TMPDIR=/dev/shm shows the cost
// without the disk.

#include "app/DataModuleUnit.h"
#include "app/VarnockApplicationUnit.h"
#include "monitor/MainFormUnit.h"
#include "support/DateTimeUnit.h"
#include "support/ProgramFilesUnit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int LogRows = 100000;
constexpr int Calls = 2000;
constexpr std::int32_t FirstFrequency = 25000000;
constexpr std::int32_t Spacing = 12500;

bool FillFrequencyLog(const QString& path, int rows)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        return false;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "INSERT INTO OptionsTable_ VALUES ('SerialPortDevices', '/nonexistent/receiver')",
        nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
        "INSERT INTO FrequencyLogTable_ VALUES (?, ?, ?, ?, 'A01', 'Short', 'Long comment')", -1, &insert,
        nullptr);
    for (int i = 0; i < rows; ++i) {
        sqlite3_bind_int(insert, 1, FirstFrequency + i * Spacing);
        sqlite3_bind_double(insert, 2, 45000.0 + i / 1000.0);
        sqlite3_bind_int(insert, 3, 1 + i % 50);
        sqlite3_bind_double(insert, 4, (i % 600) / 86400.0);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// The disk's own floor: every saved row is one synchronous commit, so one fsync of the database's folder.
double FsyncMedianMs(const QString& folder)
{
    QFile probe(folder + QStringLiteral("/fsync.probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return -1;
    std::vector<double> ms;
    QElapsedTimer timer;
    const QByteArray page(4096, 'x');
    for (int i = 0; i < 50; ++i) {
        probe.write(page);
        probe.flush();
        timer.start();
        ::fsync(probe.handle());
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    probe.close();
    probe.remove();
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

} // namespace

int main(int argc, char** argv)
{
    const QString binary = QStringLiteral(VARNOCK_BINARY_DIR);
    QTemporaryDir folder;
    const QString database = folder.filePath(QStringLiteral("Varnock.ABS"));
    if (!QFile::copy(binary + QStringLiteral("/db/VarnockTemplate.ABS"), database)
        || !QFile::setPermissions(database, QFile::ReadOwner | QFile::WriteOwner)
        || !FillFrequencyLog(database, LogRows)) {
        std::fprintf(stderr, "cannot prepare %s\n", qPrintable(database));
        return 1;
    }
    SetExecutablePathForTesting(folder.filePath(QStringLiteral("Varnock")));
    qputenv("QT_QPA_PLATFORM", "offscreen");

    TVarnockApplication application(argc, argv);
    // No receiver answers: the start-up search ends in a box, answered here.
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            AnswerNegatively(modal);
    });
    answerer.start(20);
    application.CreateForms();
    answerer.stop();
    VarnockMainForm->resize(544, 570);
    QApplication::processEvents();

    std::mt19937 random(20240131);
    std::uniform_int_distribution<int> pick(0, LogRows - 1);
    std::vector<double> callMs, repaintMs;
    double firstMs = 0;
    QElapsedTimer timer;
    for (int i = 0; i < Calls; ++i) {
        // An opening and its closing alternate; every tenth opening is a frequency never heard before.
        const bool opening = i % 2 == 0;
        static std::int32_t frequency = 0;
        if (opening)
            frequency = i % 20 == 0 ? FirstFrequency + (LogRows + i) * Spacing + 50
                                    : FirstFrequency + pick(random) * Spacing;
        double total = 0;
        timer.start();
        DataModule1->UpdateFrequencyLog(
            frequency, opening ? 1 : 0, Now(), opening ? 0.0 : 3.0 / 86400, false, 'A', 1, total);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        timer.start();
        VarnockMainForm->FrequencyLogDBGrid->viewport()->repaint();
        repaintMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (i == 0)
            firstMs = ms;
        else
            callMs.push_back(ms);
        QApplication::processEvents();
    }
    std::printf(
        "UpdateFrequencyLog, %d-row log in the main window's grid, %d calls:\n"
        "  per call: median %.3f ms, 90th percentile %.3f ms, largest %.3f ms (goal: median <= 2 ms)\n"
        "  first call (reads the whole log into the view once): %.1f ms\n"
        "  grid repaint after a call: median %.3f ms\n"
        "  one fsync in the database's folder %s: median %.3f ms (each call commits once, durably)\n",
        LogRows, Calls, Percentile(callMs, 0.5), Percentile(callMs, 0.9), Percentile(callMs, 1.0), firstMs,
        Percentile(repaintMs, 0.5), qPrintable(folder.path()), FsyncMedianMs(folder.path()));
    VarnockMainForm->close();
    QApplication::processEvents();
    return 0;
}
