#pragma once

#include <QString>

#include <exception>
#include <functional>

// The message of what the action raised; empty when it raised nothing.
inline QString ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}
