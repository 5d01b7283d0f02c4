#include "support/ImageListUnit.h"

#include <QHash>

// Outside any namespace, as the resource initialiser's declaration requires.
static int InitIconResources()
{
    // The resources sit in a static library: without this call the linker may leave them out.
    Q_INIT_RESOURCE(icons);
    return 1;
}

namespace {

void LoadIconResources()
{
    static const int loaded = InitIconResources();
    Q_UNUSED(loaded);
}

const QHash<int, QString>& ImageNames()
{
    static const QHash<int, QString> names {
        {0, QStringLiteral("00-audio-off")},
        {1, QStringLiteral("01-audio-on")},
        {2, QStringLiteral("02-clear")},
        {4, QStringLiteral("04-left")},
        {6, QStringLiteral("06-right")},
        {8, QStringLiteral("08-up")},
        {10, QStringLiteral("10-down")},
        {12, QStringLiteral("12-scan")},
        {14, QStringLiteral("14-search")},
        {16, QStringLiteral("16-purge")},
        {18, QStringLiteral("18-save")},
        {20, QStringLiteral("20-delete")},
        {22, QStringLiteral("22-record-on")},
        {23, QStringLiteral("23-record-off")},
    };
    return names;
}

} // namespace

QString ImageListPath(int imageIndex)
{
    const auto name = ImageNames().constFind(imageIndex);
    if (name == ImageNames().constEnd())
        return {};
    return QStringLiteral(":/icons/%1.svg").arg(*name);
}

QIcon ImageListIcon(int imageIndex)
{
    LoadIconResources();
    const QString path = ImageListPath(imageIndex);
    return path.isEmpty() ? QIcon() : QIcon(path);
}
