#pragma once
// For tests: a program folder in a temporary directory holding a fresh copy of the database the build makes.
// The executable path is pointed there, so every file derived from it (database, backup, event log) lies
// there.

#include "support/ProgramFilesUnit.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

inline QString TemplateDatabasePath()
{
    return qEnvironmentVariable("VARNOCK_BINARY_DIR") + QStringLiteral("/db/VarnockTemplate.ABS");
}

// Returns the database path (folder/Varnock.ABS), or an empty text when the template cannot be copied.
inline QString PrepareProgramFolder(const QTemporaryDir& folder, bool withDatabase = true)
{
    const QString executable = folder.filePath(QStringLiteral("Varnock"));
    SetExecutablePathForTesting(executable);
    const QString database = ProgramFile(QStringLiteral(".ABS"));
    if (withDatabase && !QFile::copy(TemplateDatabasePath(), database))
        return {};
    QFile::setPermissions(database, QFile::ReadOwner | QFile::WriteOwner);
    return database;
}
