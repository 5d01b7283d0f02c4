#include "support/SpecialFoldersUnit.h"

#include <QDir>
#include <QStandardPaths>

namespace {
struct FolderKind {
    QStandardPaths::StandardLocation Location;
    const char* DefaultName; // below the home folder; empty: the home folder itself
};

FolderKind KindOf(TSpecialFolder folder)
{
    switch (folder) {
    case TSpecialFolder::Personal:
        return {QStandardPaths::DocumentsLocation, "Documents"};
    case TSpecialFolder::Desktop:
        return {QStandardPaths::DesktopLocation, "Desktop"};
    case TSpecialFolder::Music:
        return {QStandardPaths::MusicLocation, "Music"};
    case TSpecialFolder::AppData:
        return {QStandardPaths::GenericDataLocation, ".local/share"};
    case TSpecialFolder::Profile:
        return {QStandardPaths::HomeLocation, ""};
    }
    throw ESpecialFolder("SHGetFolderPath E_INVALIDARG");
}

// Blanks and control characters at either end are dropped.
QString Trimmed(QString path)
{
    auto removable = [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; };
    while (!path.isEmpty() && removable(path.front()))
        path.remove(0, 1);
    while (!path.isEmpty() && removable(path.back()))
        path.chop(1);
    return path;
}
} // namespace

QString GetSpecialFolderPath(TSpecialFolder folder, bool current, bool create)
{
    const FolderKind kind = KindOf(folder);
    const QString path = Trimmed(current ? QStandardPaths::writableLocation(kind.Location)
                                         : QDir::home().filePath(QString::fromLatin1(kind.DefaultName)));
    if (path.isEmpty())
        throw ESpecialFolder("SHGetFolderPath");
    if (QDir(path).exists())
        return QDir::cleanPath(path);
    if (!create)
        return {};
    if (!QDir().mkpath(path))
        throw ESpecialFolder("SHGetFolderPath");
    return QDir::cleanPath(path);
}
