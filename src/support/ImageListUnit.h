#pragma once
// The main window's image list: action icons by image index, drawn as SVG in the program's resources.

#include <QIcon>

constexpr int ImageListCount = 24;

// The icon at imageIndex, or a null icon for an index that holds no image.
QIcon ImageListIcon(int imageIndex);
// The resource path of that image, or an empty text.
QString ImageListPath(int imageIndex);
