#pragma once

#include "platform/Dialogs.h"

#include <QStringList>
#include <deque>

// Records every message and answers the file dialogs from queued replies (nothing queued:
// the user cancels).
class RecordingDialogs final : public Dialogs {
public:
    void message(QWidget*, const QString& text, const QString& detail = {}) override {
        messages << text;
        details << detail;
    }
    std::optional<QString> saveLocation(QWidget*) override;
    std::optional<QString> openLocation(QWidget*, const QStringList& filters) override;

    QStringList messages;
    QStringList details; // one per message, empty where none was given
    std::deque<std::optional<QString>> saveReplies;
    std::deque<std::optional<QString>> openReplies;
    int saveAsked = 0;
    int openAsked = 0;
    QStringList lastOpenFilters;
};
