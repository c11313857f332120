#pragma once

#include "platform/core/Error.h"
#include "platform/docx/Story.h"

#include <QByteArray>
#include <QString>

namespace docx {

// Word's number for a file that could not be saved.
constexpr int kErrCannotSave = 5153;

// The package of doc (read from doc.path, which must be a file written by load's reader) with its
// edits applied: every zip entry no edit touched is copied byte for byte, compressed data and
// headers alike; in an edited part only the content of the changed w:t elements is rewritten.
// Throws kErrCannotSave naming doc.path when the original is gone or no longer matches the model.
QByteArray writePackage(const Document& doc);

// Writes writePackage(doc) to target atomically: a temporary file in target's folder, flushed to
// disk, then renamed over target. On failure target is untouched; the error (kErrCannotSave) says
// in Japanese why, naming the file.
void savePackage(const Document& doc, const QString& target);

} // namespace docx
