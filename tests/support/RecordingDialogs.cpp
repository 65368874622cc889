#include "support/RecordingDialogs.h"

std::optional<QString> RecordingDialogs::saveLocation(QWidget*) {
    ++saveAsked;
    if (saveReplies.empty())
        return std::nullopt;
    auto reply = saveReplies.front();
    saveReplies.pop_front();
    return reply;
}

std::optional<QString> RecordingDialogs::openLocation(QWidget*, const QStringList& filters) {
    ++openAsked;
    lastOpenFilters = filters;
    if (openReplies.empty())
        return std::nullopt;
    auto reply = openReplies.front();
    openReplies.pop_front();
    return reply;
}
