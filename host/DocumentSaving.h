#pragma once

#include "platform/word/Forward.h"

class QWidget;

namespace host {

// ファイル → 上書き保存: saves doc over its file, exactly. When someone else changed the file since
// it was opened or saved here, asks first. A failure is shown in a message box naming the file;
// the document stays open with its changes. Whether it was saved.
bool saveDocument(const word::DocumentPtr& doc, QWidget* parent);

// ファイル → 名前を付けて保存…: asks for a .docx name, then saves there. Whether it was saved.
bool saveDocumentAs(const word::DocumentPtr& doc, QWidget* parent);

} // namespace host
