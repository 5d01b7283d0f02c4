#include "support/VersionInfoUnit.h"

#include "support/ProgramFilesUnit.h"

#include <QFileInfo>

QString GetFileVersionText(const QString& fileName)
{
    const QFileInfo file(fileName);
    const QFileInfo program(ExecutablePath());
    if (!file.exists() || !program.exists() || file.canonicalFilePath() != program.canonicalFilePath())
        return {};
    return QStringLiteral(VARNOCK_VERSION);
}
