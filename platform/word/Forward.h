#pragma once

#include <QMetaType>

#include <memory>

// Word's objects are shared handles: two handles to one object compare equal.
namespace word {

class Application;
class Documents;
class Document;
class StoryRanges;
class Range;
class Find;
class Replacement;
class Font;
class Comments;
class Comment;
class Window;
class Pane;
class View;
class Dialogs;
class Dialog;

using ApplicationPtr = std::shared_ptr<Application>;
using DocumentsPtr = std::shared_ptr<Documents>;
using DocumentPtr = std::shared_ptr<Document>;
using StoryRangesPtr = std::shared_ptr<StoryRanges>;
using RangePtr = std::shared_ptr<Range>;
using FindPtr = std::shared_ptr<Find>;
using ReplacementPtr = std::shared_ptr<Replacement>;
using FontPtr = std::shared_ptr<Font>;
using CommentsPtr = std::shared_ptr<Comments>;
using CommentPtr = std::shared_ptr<Comment>;
using WindowPtr = std::shared_ptr<Window>;
using PanePtr = std::shared_ptr<Pane>;
using ViewPtr = std::shared_ptr<View>;
using DialogsPtr = std::shared_ptr<Dialogs>;
using DialogPtr = std::shared_ptr<Dialog>;

// Word's constants the object model answers with.
constexpr int wdUndefined = 9999999;
constexpr int wdToggle = 9999998;
constexpr int wdColorAutomatic = -16777216;
enum WdFindWrap { wdFindStop = 0, wdFindContinue = 1, wdFindAsk = 2 };
enum WdReplace { wdReplaceNone = 0, wdReplaceOne = 1, wdReplaceAll = 2 };
enum WdViewType { wdNormalView = 1, wdOutlineView = 2, wdPrintView = 3, wdPrintPreview = 4,
                  wdMasterView = 5, wdWebView = 6, wdReadingView = 7 };
enum WdSeekView { wdSeekMainDocument = 0, wdSeekPrimaryHeader = 1, wdSeekFirstPageHeader = 2,
                  wdSeekEvenPagesHeader = 3, wdSeekPrimaryFooter = 4, wdSeekFirstPageFooter = 5,
                  wdSeekEvenPagesFooter = 6, wdSeekFootnotes = 7, wdSeekEndnotes = 8,
                  wdSeekCurrentPageHeader = 9, wdSeekCurrentPageFooter = 10 };
enum WdSpecialPane { wdPaneNone = 0, wdPaneComments = 15, wdPaneLast = 17 };

} // namespace word

// Signals carry these as plain pointers; they need no complete type to be queued or spied on.
Q_DECLARE_OPAQUE_POINTER(word::Document*)
Q_DECLARE_OPAQUE_POINTER(word::Window*)
