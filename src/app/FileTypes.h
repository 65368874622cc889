#pragma once

#include <QString>
#include <QStringList>

// A file-type record: a name, the file-name extensions that mark it, and the classic type and
// creator codes (kept for completeness; hosts without such codes ignore them).
struct FileType {
    QString name;
    QString extensions; // ".asc;.ascii;..." separated by ";"
    QString macType;
    QString macCreator;

    QStringList extensionList() const;
    // A file-dialog name filter: "text/plain (*.asc *.ascii ...)".
    QString dialogFilter() const;
};

namespace FileTypes {
// Plain text, the filter of the load dialog.
const FileType& pTextPlain();
} // namespace FileTypes
