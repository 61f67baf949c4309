#pragma once
// What the new-file wizard writes: names and exact contents, without any widget.
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

struct TNewFile {
  QString Path;
  QStringList Lines;  // each written with CR LF
};

// The project name field's text with its extension replaced by ".AsmPrj" (appended when there
// is none). An empty text stays empty.
QString WithProjectExtension(const QString& name);

// Base: the name expanded to a full path without extension; Name: Base without directory.
QString NewProjectBase(const QString& projectName);
QString NewProjectName(const QString& base);

// Contents of the created files.
QStringList NewSourceFileLines();
QStringList NewProjectFileLines(const QString& name, bool withSource);
// Source: the main source's file name as make.bat names it.
QStringList NewMakeBatLines(const QString& name, const QString& source, const QString& asDirectory,
                            const QString& asExecutable);

// The files of the project step in writing order, for the checked items "*.AsmPrj", "*.par",
// "*.asm", "make.bat".
QList<TNewFile> NewProjectFiles(const QString& base, const std::array<bool, 4>& checked,
                                const QString& asDirectory, const QString& asExecutable);

// The project file the wizard opens after the project step, written or not.
QString NewProjectFilePath(const QString& base);
