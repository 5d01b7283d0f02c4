#pragma once
// The files that belong to the program are named after the executable's path with its extension replaced.

#include <QString>

// The executable's full path (QCoreApplication's, or the override set by tests).
QString ExecutablePath();
void SetExecutablePathForTesting(const QString& path);

// ChangeFileExt("/p/Varnock", ".ABS") gives "/p/Varnock.ABS"; an existing extension is replaced.
QString ChangeFileExt(const QString& path, const QString& extension);
QString ProgramFile(const QString& extension);
// The executable's file name without folder and extension.
QString ProgramName();
