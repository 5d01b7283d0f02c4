#pragma once
// Version text of a program file. Our own executable carries the project's version, compiled in at build
// time.

#include <QString>

// The "FileVersion" text of the file, or empty when the file carries none (every file but our own
// executable).
QString GetFileVersionText(const QString& fileName);
