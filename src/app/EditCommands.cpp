#include "app/EditCommands.h"

#include "display/TraceRow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>

namespace {

// The editable line behind a focused widget, if it has one.
QLineEdit* lineEditOf(QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->lineEdit();
    return nullptr;
}

bool clipboardHasText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard && !clipboard->text().isEmpty();
}

} // namespace

EditCommands::EditCommands(QObject* parent) : QObject(parent) {
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { focusChanged(now); });
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, &EditCommands::refresh);
}

QAction* EditCommands::bind(Command command, QAction* action) {
    m_actions[command] = action;
    connect(action, &QAction::triggered, this, [this, command] { run(command); });
    focusChanged(QApplication::focusWidget());
    return action;
}

void EditCommands::focusChanged(QWidget* now) {
    for (const auto& connection : m_targetConnections)
        disconnect(connection);
    m_targetConnections.clear();
    m_target = now;
    if (QLineEdit* edit = lineEditOf(now)) {
        m_targetConnections << connect(edit, &QLineEdit::selectionChanged, this,
                                       &EditCommands::refresh)
                            << connect(edit, &QLineEdit::textChanged, this, &EditCommands::refresh);
    } else if (auto* row = qobject_cast<TraceRow*>(now)) {
        m_targetConnections << connect(row, &TraceRow::selectionChanged, this,
                                       &EditCommands::refresh)
                            << connect(row, &TraceRow::textChanged, this, &EditCommands::refresh);
    }
    refresh();
}

void EditCommands::refresh() {
    std::array<bool, CommandCount> enabled{};
    if (QLineEdit* edit = lineEditOf(m_target)) {
        const bool writable = !edit->isReadOnly();
        const bool selected = edit->hasSelectedText();
        const bool revealable = edit->echoMode() == QLineEdit::Normal;
        enabled[Undo] = writable && edit->isUndoAvailable();
        enabled[Cut] = writable && selected && revealable;
        enabled[Copy] = selected && revealable;
        enabled[Paste] = writable && clipboardHasText();
        enabled[Clear] = writable && selected;
        enabled[SelectAll] = !edit->text().isEmpty();
    } else if (auto* row = qobject_cast<TraceRow*>(m_target)) {
        enabled[Copy] = row->hasSelectedText();
        enabled[SelectAll] = !row->text().isEmpty();
    }
    for (int c = 0; c < CommandCount; ++c) {
        if (m_actions[c])
            m_actions[c]->setEnabled(enabled[c]);
    }
}

void EditCommands::run(Command command) {
    if (QLineEdit* edit = lineEditOf(m_target)) {
        switch (command) {
        case Undo:
            edit->undo();
            break;
        case Cut:
            edit->cut();
            break;
        case Copy:
            edit->copy();
            break;
        case Paste:
            edit->paste();
            break;
        case Clear:
            edit->del();
            break;
        case SelectAll:
            edit->selectAll();
            break;
        case CommandCount:
            break;
        }
    } else if (auto* row = qobject_cast<TraceRow*>(m_target)) {
        if (command == Copy)
            row->copy();
        else if (command == SelectAll)
            row->selectAll();
    }
    refresh();
}
