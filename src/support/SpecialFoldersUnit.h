#pragma once
// Paths of the user's special folders.

#include <QString>

#include <stdexcept>

enum class TSpecialFolder { Personal, Desktop, Music, AppData, Profile };

class ESpecialFolder : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// current: the folder as the user's session sets it (XDG user dirs); otherwise its default under the home
// folder. A folder that does not exist gives an empty path unless create is set. An unknown folder raises
// "SHGetFolderPath E_INVALIDARG"; a folder that cannot be made raises "SHGetFolderPath".
QString GetSpecialFolderPath(TSpecialFolder folder, bool current, bool create);
