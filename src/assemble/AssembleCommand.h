#pragma once
// The program's options: --help, --version and --assemble PROJECT, a whole assemble run
// without a window for make, build servers and other editors. Other arguments are files for
// the window.
#include <QString>

#include <optional>

struct TLogEntry;

// The exit status when the options are handled here; nothing when the window is to open.
std::optional<int> RunCommandLine(int argc, char** argv);

// A log entry the way compilers write messages, FILE:LINE: error: TEXT, for the entry's file at
// Path: FILE is relative to the current directory when it lies below it, else absolute.
QString CompilerMessage(const QString& text, const TLogEntry& entry, const QString& path,
                        const QString& currentDirectory);
