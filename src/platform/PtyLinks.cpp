#include "platform/PtyLinks.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace {

// "ttyV2" before "ttyV10": runs of digits compare by value, everything else by character.
bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ie = i;
            qsizetype je = j;
            while (ie < a.size() && a[ie].isDigit())
                ++ie;
            while (je < b.size() && b[je].isDigit())
                ++je;
            const QString da = a.mid(i, ie - i).remove(QRegularExpression(QStringLiteral("^0+")));
            const QString db = b.mid(j, je - j).remove(QRegularExpression(QStringLiteral("^0+")));
            if (da.size() != db.size())
                return da.size() < db.size();
            if (da != db)
                return da < db;
            i = ie;
            j = je;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

} // namespace

QStringList ptyLinks(const QString& folder, const QString& ptsFolder) {
    const QString ptsPrefix = QDir::cleanPath(ptsFolder) + u'/';
    QStringList links;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (!entry.isSymLink())
            continue;
        const QString target = QDir::cleanPath(entry.symLinkTarget());
        if (target.startsWith(ptsPrefix) && QFileInfo::exists(target))
            links << entry.absoluteFilePath();
    }
    std::sort(links.begin(), links.end(), naturalLess);
    return links;
}
