#pragma once

#include "capture/CaptureState.h"
#include "files/CaptureFile.h"

#include <QString>

namespace files {

// Writes the capture file of the state (slots 1 to BufIndex and the saved settings) to the
// path. The bytes go to a temporary file beside it, which replaces an existing file of that name
// only once it is complete, so a failed save leaves that file as it was. False when the file
// could not be created, written or put in place.
bool saveCaptureFile(const QString& path, const capture::CaptureState& state);

// Reads the whole file at the path and parses it. Only a regular file that can be opened is
// read; anything else (missing, a folder, a device, a pipe) is not a text file.
ReadResult loadCaptureFile(const QString& path);

} // namespace files
