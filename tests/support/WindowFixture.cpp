#include "support/WindowFixture.h"

#include "display/TraceRow.h"

#include <QAbstractButton>

WindowFixture::WindowFixture(QStringList hostPorts) {
    serialSystem.names = std::move(hostPorts);
    window = std::make_unique<Window1>(serialSystem, dialogs);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("window not exposed");
}

QString WindowFixture::row(const char* name) const {
    return find<TraceRow>(name)->text();
}

void WindowFixture::click(const char* name) const {
    QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton);
}
