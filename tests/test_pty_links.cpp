// The virtual ports offered after the real ones: links to pseudo-terminal slaves only, in a
// stable natural order.
#include "platform/PtyLinks.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

class PtyLinksTest : public QObject {
    Q_OBJECT
private slots:
    void listsLinksToLivePtySlavesInNaturalOrder() {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        const QString slave = QString::fromLocal8Bit(ptsname(master));

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* name : {"ttyV10", "ttyV2", "ttyV0"})
            QVERIFY(QFile::link(slave, dir.filePath(name)));
        // Not offered: a link to a pts slave that does not exist, a link elsewhere, a plain file.
        QVERIFY(QFile::link(QStringLiteral("/dev/pts/999999"), dir.filePath("ttyGone")));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), dir.filePath("ttyNull")));
        QFile plain(dir.filePath("ttyPlain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();

        const QStringList links = ptyLinks(dir.path());
        QCOMPARE(links, (QStringList{dir.filePath("ttyV0"), dir.filePath("ttyV2"),
                                     dir.filePath("ttyV10")}));
        ::close(master);
    }

    void emptyForAFolderWithoutLinks() {
        QTemporaryDir dir;
        QVERIFY(ptyLinks(dir.path()).isEmpty());
        QVERIFY(ptyLinks(dir.filePath("missing")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(PtyLinksTest)
#include "test_pty_links.moc"
