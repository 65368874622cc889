#pragma once

#include <QString>
#include <QStringList>

// Symbolic links in a folder that point at pseudo-terminal slaves (/dev/pts/N), such as the
// virtual ports `socat pty,link=/dev/ttyV0 ...` makes. Full paths, sorted naturally (ttyV2
// before ttyV10), so the list keeps its order from one start to the next.
QStringList ptyLinks(const QString& folder = QStringLiteral("/dev"),
                     const QString& ptsFolder = QStringLiteral("/dev/pts"));
