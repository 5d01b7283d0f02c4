#include "support/ProgramFilesUnit.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
QString& PathOverride()
{
    static QString path;
    return path;
}
} // namespace

QString ExecutablePath()
{
    if (!PathOverride().isEmpty())
        return PathOverride();
    return QCoreApplication::applicationFilePath();
}

void SetExecutablePathForTesting(const QString& path)
{
    PathOverride() = path;
}

QString ChangeFileExt(const QString& path, const QString& extension)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString folder = path.left(path.size() - name.size());
    return folder + base + extension;
}

QString ProgramFile(const QString& extension)
{
    return ChangeFileExt(ExecutablePath(), extension);
}

QString ProgramName()
{
    const QString name = QFileInfo(ExecutablePath()).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}
