#include "files/CaptureFileIO.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace files {

bool saveCaptureFile(const QString& path, const capture::CaptureState& state) {
    const QByteArray bytes = writeCaptureFile(state);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // commit() of Qt 6.4 flushes its write buffer but does not look at the result, and would put
    // a truncated file in place of the old one: flush first and give up on any failure.
    if (file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

ReadResult loadCaptureFile(const QString& path) {
    const QFileInfo info(path);
    // A device or a pipe could block the window or never end; only plain files are read.
    if (!info.isFile())
        return ReadError{ReadError::Kind::NotText, 0, notTextMessage()};
    if (info.size() > kMaxFileBytes)
        return tooLargeError();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadError{ReadError::Kind::NotText, 0, notTextMessage()};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return ReadError{ReadError::Kind::NotText, 0, notTextMessage()};
    return readCaptureFile(bytes);
}

} // namespace files
