// The window's file handlers: saving the capture and loading one.
#include "app/FileTypes.h"
#include "app/TimerMode.h"
#include "app/Window1.h"
#include "files/CaptureFileIO.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QLineEdit>

void Window1::SavePB_Action() {
    const std::optional<QString> path = m_dialogs.saveLocation(this);
    if (!path)
        return;
    if (!files::saveCaptureFile(*path, m_capture))
        m_dialogs.message(this, QStringLiteral("The text file could not be created."));
}

void Window1::LoadPB_Action() {
    // Saved files get no extension of their own, so any file can be chosen as well.
    const QStringList filters{FileTypes::pTextPlain().dialogFilter(),
                              QStringLiteral("All files (*)")};
    const std::optional<QString> path = m_dialogs.openLocation(this, filters);
    if (!path)
        return;
    // The whole file is read and checked before anything in the window changes.
    const files::ReadResult result = files::loadCaptureFile(*path);
    if (const auto* error = std::get_if<files::ReadError>(&result)) {
        m_dialogs.message(this, error->message);
        return;
    }
    const files::CaptureFileContent& content = std::get<files::CaptureFileContent>(result);
    HSpeedCB->setChecked(content.settings.highSpeed);
    ShowTimeGapsCB->setChecked(content.settings.timeGaps);
    GapTimeEF->setText(content.settings.gapTime); // runs the colour warning
    TimeGapCharEF->setText(content.settings.gapChars);
    files::storeSlots(m_capture, content.slotData);
    setTimerMode(*DisplayTimer, TimerMode::Once);
    m_capture.TimeGapForSave = ShowTimeGapsCB->isChecked();
    m_capture.GapCharsForSave = TimeGapCharEF->text();
    m_capture.GapTimeForSave = GapTimeEF->text();
    m_capture.HSpeedForSave = HSpeedCB->isChecked();
}
