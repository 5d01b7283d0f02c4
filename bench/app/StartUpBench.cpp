// Start-up to the main window shown (offscreen) with a frequency log of 100000 rows: the program's own
// start-up order in a temporary folder. Prints the time from process start and the share spent in the
// start-up window's fixed report pauses (21 reports of two 20 ms steps). The receiver is a simulator on port
// 1, as on a desk where it is plugged in (without one, start-up would stop at the "not found" box).

#include "app/DataModuleUnit.h"
#include "app/VarnockApplicationUnit.h"
#include "monitor/MainFormUnit.h"
#include "support/ProgramFilesUnit.h"

#include "ReceiverSimulator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>

namespace {
bool FillFrequencyLog(const QString& path, int rows, const QString& receiverDevice)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        return false;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
        "INSERT INTO FrequencyLogTable_ VALUES (?, ?, ?, ?, 'A01', 'Short', 'Long comment')", -1, &insert,
        nullptr);
    for (int i = 0; i < rows; ++i) {
        sqlite3_bind_int(insert, 1, 25000000 + i * 12500);
        sqlite3_bind_double(insert, 2, 45000.0 + i / 1000.0);
        sqlite3_bind_int(insert, 3, 1 + i % 50);
        sqlite3_bind_double(insert, 4, (i % 600) / 86400.0);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_prepare_v2(db, "INSERT INTO OptionsTable_ VALUES ('SerialPortDevices', ?)", -1, &insert, nullptr);
    const QByteArray device = receiverDevice.toUtf8();
    sqlite3_bind_text(insert, 1, device.constData(), int(device.size()), SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_finalize(insert);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}
} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    const QString binary = QStringLiteral(VARNOCK_BINARY_DIR);
    QTemporaryDir folder;
    ReceiverSimulator receiver;
    const QString database = folder.filePath(QStringLiteral("Varnock.ABS"));
    if (!QFile::copy(binary + QStringLiteral("/db/VarnockTemplate.ABS"), database)
        || !QFile::setPermissions(database, QFile::ReadOwner | QFile::WriteOwner)
        || !FillFrequencyLog(database, 100000, receiver.DevicePath())) {
        std::fprintf(stderr, "cannot prepare %s\n", qPrintable(database));
        return 1;
    }
    const qint64 preparation = sinceStart.elapsed();
    SetExecutablePathForTesting(folder.filePath(QStringLiteral("Varnock")));

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QElapsedTimer timer;
    timer.start();
    TVarnockApplication application(argc, argv);
    application.CreateForms();
    TVarnockApplication::processEvents();
    const qint64 shown = timer.elapsed();
    std::printf(
        "Start-up to main window shown, 100000-row frequency log: %lld ms (fixed report pauses %d ms; "
        "database preparation %lld ms not counted); main window visible: %s\n",
        shown, 21 * 2 * 20, preparation, VarnockMainForm && VarnockMainForm->isVisible() ? "yes" : "no");
    return 0;
}
