#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <array>

class QAction;
class QWidget;

// The Edit menu's standard text commands. Each acts on the text field that has the keyboard
// focus (an editable field, the text of an editable combo box, or a read-only trace row) and
// is enabled only while it applies there.
class EditCommands : public QObject {
    Q_OBJECT
public:
    enum Command { Undo, Cut, Copy, Paste, Clear, SelectAll, CommandCount };

    explicit EditCommands(QObject* parent);

    // Makes the action run the command; returns the action.
    QAction* bind(Command command, QAction* action);

    // Re-reads what applies to the focused field and enables the actions to match.
    void refresh();

private:
    void focusChanged(QWidget* now);
    void run(Command command);

    std::array<QPointer<QAction>, CommandCount> m_actions{};
    QPointer<QWidget> m_target;
    QList<QMetaObject::Connection> m_targetConnections;
};
