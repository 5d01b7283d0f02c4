#pragma once
// varnock-rx: discovery and the memory, search bank and pass frequency commands, optionally through the
// database-mirrored driver (--db).

#include <QStringList>

#include <optional>

// The lines these commands add to the tool's usage text.
extern const char MemoryUsage[];

// Runs the command when it is one of these (the arguments as the program got them); the exit code then.
// Nothing happens, and no value comes back, for any other command or for --help.
std::optional<int> RunMemoryTool(const QStringList& arguments);
