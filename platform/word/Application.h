#pragma once

#include "platform/core/Object.h"
#include "platform/match/Query.h"
#include "platform/office/CommandBars.h"
#include "platform/word/Forward.h"

#include <QObject>
#include <QString>

#include <vector>

namespace docx {
struct Document;
}

namespace word {

// The application: its open documents, the active one, and screen updating. The host listens
// to its signals to show what the object model does (selection, views, activation).
class Application : public QObject, public core::Object {
    Q_OBJECT
public:
    static ApplicationPtr create();

    DocumentsPtr Documents();
    // The active document; raises 4248 when no document is open.
    DocumentPtr ActiveDocument();
    bool ScreenUpdating() const { return m_screenUpdating; }
    void setScreenUpdating(bool on);
    // The command bars, with Word's "Menu Bar" built in.
    std::shared_ptr<office::CommandBars> CommandBars() { return m_commandBars; }
    DialogsPtr Dialogs() { return m_dialogs; }
    // Brings the application to the front.
    void Activate();
    // The Japanese fuzzy-matching rules (Options.MatchFuzzy*) that every Find with MatchFuzzy uses.
    match::FuzzyOptions& fuzzyOptions() { return m_fuzzy; }
    // Whether documents are opened to be shown, their looks read too (the host's windows).
    void setShowsDocuments(bool on) { m_showsDocuments = on; }

signals:
    void screenUpdatingChanged(bool on);
    void activated();
    void documentOpened(word::Document* doc);
    void documentClosed(word::Document* doc);
    void documentActivated(word::Document* doc);
    void selectionChanged(word::Window* window);
    void viewChanged(word::Window* window);
    // A story's text was changed through a range (its revision has moved on).
    void storyEdited(word::Document* doc, int story);
    // Just before storyEdited for an edit of one stretch (or its undoing): [at, at + removed)
    // of the story became inserted, so a view can redraw that stretch alone.
    void textReplaced(word::Document* doc, int story, int32_t at, const QString& removed, const QString& inserted);

private:
    Application() = default;
    friend class word::Documents;
    friend class word::Document;

    DocumentsPtr m_documents;
    std::shared_ptr<office::CommandBars> m_commandBars;
    DialogsPtr m_dialogs;
    bool m_screenUpdating = true;
    DocumentPtr m_active;
    match::FuzzyOptions m_fuzzy;
    bool m_showsDocuments = false;
};

// The open documents, in the order they were opened.
class Documents : public core::Object {
public:
    explicit Documents(Application* app) : m_app(app) {}

    int Count() const { return static_cast<int>(m_items.size()); }
    // 1-based; raises 5941 outside 1..Count.
    DocumentPtr Item(int index) const;
    // Opens a .docx file; raises the reader's error for a missing, damaged or non-.docx file.
    // A document opened read-only is read faster and refuses every edit.
    DocumentPtr Open(const QString& path, bool readOnly = false);
    // Opens a document already read from its file (docx::load), as Open(path) would have; read
    // without its text sources, it is read-only.
    DocumentPtr Open(docx::Document model);
    const std::vector<DocumentPtr>& items() const { return m_items; }

private:
    friend class word::Document;
    void remove(Document* doc);

    Application* m_app;
    std::vector<DocumentPtr> m_items;
};

} // namespace word
