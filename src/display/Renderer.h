#pragma once

#include "capture/CaptureState.h"

#include <QByteArray>
#include <QString>

namespace display {

enum class Format { Ascii, Hex };

// The gap text for a format, from the gap-character text, in bytes of its UTF-8 form: the first
// byte for ASCII; for hex the text padded with spaces and cut to three bytes.
QByteArray gapText(const QString& gapCharacters, Format format);

// The one-cell glyph of a data byte in the ASCII format: printable ASCII as itself, control
// bytes as their Unicode control pictures, bytes 128..255 as their Latin-1 letters (the
// invisible ones as a middle dot).
QChar byteGlyph(int byte);

// The cells of a gap text: one cell per byte, a complete UTF-8 character drawn in the first cell
// of its bytes with blanks after it, any byte that is not part of a complete character as U+FFFD.
QString gapCells(const QByteArray& tgc);

// Rebuilds the eight row strings of the capture from slot 1 to BufIndex in the given format.
void renderRows(capture::CaptureState& state, Format format);

} // namespace display
