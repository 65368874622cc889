#include "app/FileTypes.h"

QStringList FileType::extensionList() const {
    return extensions.split(u';', Qt::SkipEmptyParts);
}

QString FileType::dialogFilter() const {
    QStringList globs;
    for (const QString& extension : extensionList())
        globs << u'*' + extension;
    return name + QStringLiteral(" (") + globs.join(u' ') + u')';
}

namespace FileTypes {
const FileType& pTextPlain() {
    static const FileType type{
        QStringLiteral("text/plain"),
        QStringLiteral(".asc;.ascii;.bas;.c;.class;.cp;.cpp;.h;.hp;.hpp;.i3;.java;.m2;.m3;.mak;"
                       ".text;.txt"),
        QStringLiteral("TEXT"), QStringLiteral("????")};
    return type;
}
} // namespace FileTypes
