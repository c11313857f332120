#pragma once

#include "platform/addin/AddinManager.h"
#include "platform/word/Forward.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

class QWidget;
class QWindow;

namespace host {

class AppWindow;
class DocumentWindow;
class ReplaceDialog;

// The host standing in for Word: one window per open document (the application window while
// none is open), the built-in commands of the menu bar, and the registered add-ins. It shows
// what the object model does: selection, views, activation, screen updating.
class Host : public QObject {
    Q_OBJECT
public:
    // registryFile: the registration store (empty: the default one).
    explicit Host(word::ApplicationPtr app, const QString& registryFile = {});
    // Shuts down if that has not happened yet.
    ~Host() override;

    // Connects every add-in registered to load at start; failures go into one message box.
    void connectAddins();
    // Opens each file in its own window; a file that cannot be read gets the reader's message
    // and the others still open. With nothing open the application window shows.
    void openFiles(const QStringList& paths);
    // Disconnects the add-ins, then removes the temporary command-bar controls.
    void shutdown();

    const word::ApplicationPtr& application() const { return m_app; }
    addin::AddinManager& addins() { return m_addins; }
    DocumentWindow* windowOf(const word::Document* doc) const;
    // Shown while no document is open.
    AppWindow* applicationWindow() const { return m_appWindow; }

private:
    void installCommands();
    // The 表示 menu's check marks follow the active document's view.
    void showViewState();
    // 元に戻す and やり直し are enabled while the active document has a step to undo (redo).
    void showUndoState();
    // Closes every document window, each asking about unsaved changes; false when one stays.
    bool closeAll();
    void onOpened(word::Document* doc);
    void onClosed(word::Document* doc);
    void bringForward(QWidget* window);
    void updateScreen(bool on);
    // The active document's window; raises 4248 when no document is open.
    DocumentWindow* activeWindow() const;
    QWidget* dialogParent() const;

    word::ApplicationPtr m_app;
    addin::AddinManager m_addins;
    AppWindow* m_appWindow;
    std::map<const word::Document*, DocumentWindow*> m_windows;
    std::unique_ptr<QWindow> m_formOwner;   // owns the add-in's forms
    bool m_shutDown = false;
    QPointer<ReplaceDialog> m_replaceDialog;
};

} // namespace host
