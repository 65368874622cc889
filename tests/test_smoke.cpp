#include "support/WindowFixture.h"

class SmokeTest : public QObject {
    Q_OBJECT
private slots:
    void windowBuilds() {
        WindowFixture f;
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Quorvane"));
    }
};

QTEST_MAIN(SmokeTest)
#include "test_smoke.moc"
