#include "support/RecordingDialogs.h"

namespace {

std::optional<QString> takeFront(std::deque<std::optional<QString>>& replies) {
    if (replies.empty())
        return std::nullopt;
    const QString* path = replies.front() ? &*replies.front() : nullptr;
    std::optional<QString> reply;
    if (path)
        reply.emplace(*path);
    replies.pop_front();
    return reply;
}

} // namespace

std::optional<QString> RecordingDialogs::saveLocation(QWidget*) {
    ++saveAsked;
    return takeFront(saveReplies);
}

std::optional<QString> RecordingDialogs::openLocation(QWidget*, const QStringList& filters) {
    ++openAsked;
    lastOpenFilters = filters;
    return takeFront(openReplies);
}
