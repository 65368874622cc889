#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// Everything modal the window shows. The Qt implementation blocks in a dialog; the test fake
// records what was asked and answers at once.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A message with an OK button; the detail, if any, says what the user can do about it.
    virtual void message(QWidget* parent, const QString& text, const QString& detail = {}) = 0;
    // Where to save; nothing when the user cancels.
    virtual std::optional<QString> saveLocation(QWidget* parent) = 0;
    // A file to open, offered through the given name filters ("Text files (*.txt *.asc)", ...);
    // nothing when the user cancels.
    virtual std::optional<QString> openLocation(QWidget* parent, const QStringList& filters) = 0;
};

class QtDialogs final : public Dialogs {
public:
    void message(QWidget* parent, const QString& text, const QString& detail = {}) override;
    std::optional<QString> saveLocation(QWidget* parent) override;
    std::optional<QString> openLocation(QWidget* parent, const QStringList& filters) override;
};
