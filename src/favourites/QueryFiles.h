#pragma once

// The favourites list: named shortcuts to query files, kept one a line ("name|path", CR LF) in
// Queries.dat in the Queries folder of the per-user configuration folder. New favourites are
// appended; the program never rewrites the file.

#include "common/KeyedList.h"

#include <QString>

class CQueryFile {
public:
    QString QueryName;
    QString FileName;
};

class ColQueryFiles : public KeyedList<CQueryFile> {
public:
    ColQueryFiles() : KeyedList("ColQueryFiles") {}
    CQueryFile &Add(const QString &queryName, const QString &fileName, const QString &key = {});
};

// Queries/Queries.dat in the per-user configuration folder.
QString favouritesFilePath();

// One favourite a line of the list file, in file order; the name is what stands before the
// first "|", the path all after it. Blank lines and lines without "|" are skipped, so one bad
// line never hides the rest. A missing or unreadable file gives an empty list.
ColQueryFiles Load_Query_Files(const QString &path = favouritesFilePath());

// Appends "name|fileName" and CR LF to the list file, creating its folder and the file when
// they are missing. False on failure, with the reason in why.
bool appendFavourite(const QString &path, const QString &name, const QString &fileName,
                     QString *why);
