#include "host/Host.h"

#include "host/BuiltinDialogs.h"
#include "host/DocumentSaving.h"
#include "host/DocumentWindow.h"
#include "host/HelpDialogs.h"
#include "host/ReplaceDialog.h"
#include "host/WindowGroup.h"
#include "host/ZoomDialog.h"
#include "platform/core/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/office/WordMenuBar.h"
#include "platform/word/Application.h"
#include "platform/word/Dialogs.h"
#include "platform/word/Document.h"
#include "platform/word/Range.h"
#include "platform/word/Window.h"

#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>
#include <QWindow>

#include <algorithm>

namespace host {

namespace {

const QString kTitle = QStringLiteral("Tarvelin");

// The files the user picks in the open-file dialog; none when cancelled.
QStringList askForDocuments(QWidget* parent)
{
    QFileDialog dialog(parent, QStringLiteral("ファイルを開く"), {},
                       QStringLiteral("Word 文書 (*.docx);;すべてのファイル (*)"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // Japanese sizes, kinds and dates are longer than the columns' default widths.
    if (auto* details = dialog.findChild<QTreeView*>())
        details->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

} // namespace

Host::Host(word::ApplicationPtr app, const QString& registryFile)
    : m_app(std::move(app)), m_addins(registryFile), m_appWindow(new AppWindow(m_app->CommandBars())),
      m_formOwner(createWindowGroupOwner())
{
    // The add-in's windows stay above the document windows, as windows the host owns.
    forms::setFormOwner(m_formOwner.get());
    installBuiltinDialogs(*m_app);
    m_app->setShowsDocuments(true);
    installCommands();
    connect(m_app.get(), &word::Application::documentOpened, this, &Host::onOpened);
    connect(m_app.get(), &word::Application::documentClosed, this, &Host::onClosed);
    connect(m_app.get(), &word::Application::documentActivated, this,
            [this](word::Document* doc) { bringForward(windowOf(doc)); });
    connect(m_app.get(), &word::Application::activated, this, [this] {
        try {
            bringForward(activeWindow());
        } catch (const core::Error&) {
            bringForward(m_appWindow);
        }
    });
    connect(m_app.get(), &word::Application::selectionChanged, this, [this](word::Window* window) {
        if (DocumentWindow* w = windowOf(window->document()))
            w->showSelection();
    });
    connect(m_app.get(), &word::Application::viewChanged, this, [this](word::Window* window) {
        if (DocumentWindow* w = windowOf(window->document()))
            w->showView();
        showViewState();
    });
    connect(m_app.get(), &word::Application::documentActivated, this, &Host::showViewState);
    connect(m_app.get(), &word::Application::documentClosed, this, &Host::showViewState);
    connect(m_app.get(), &word::Application::storyEdited, this, [this](word::Document* doc, int) {
        if (DocumentWindow* w = windowOf(doc))
            w->showView();
        showUndoState();
    });
    connect(m_app.get(), &word::Application::documentActivated, this, &Host::showUndoState);
    connect(m_app.get(), &word::Application::documentClosed, this, &Host::showUndoState);
    showUndoState();
    connect(m_app.get(), &word::Application::screenUpdatingChanged, this, &Host::updateScreen);
}

void Host::showViewState()
{
    word::ViewPtr view;
    if (m_app->Documents()->Count() > 0)
        view = m_app->ActiveDocument()->ActiveWindow()->View();
    const auto show = [this](int id, bool down) {
        if (auto button = std::dynamic_pointer_cast<office::CommandBarButton>(m_app->CommandBars()->FindControl({}, id)))
            button->setState(down ? office::msoButtonDown : office::msoButtonUp);
    };
    show(office::idViewPrintLayout, view && view->Type() == word::wdPrintView);
    show(office::idViewHeaderFooter, view && view->SeekView() != word::wdSeekMainDocument);
}

void Host::showUndoState()
{
    const word::DocumentPtr doc = m_app->Documents()->Count() > 0 ? m_app->ActiveDocument() : nullptr;
    const auto enable = [this](int id, bool on) {
        if (auto control = m_app->CommandBars()->FindControl({}, id))
            control->setEnabled(on);
    };
    enable(office::idEditUndo, doc && doc->canUndo());
    enable(office::idEditRedo, doc && doc->canRedo());
}

bool Host::closeAll()
{
    std::vector<DocumentWindow*> windows;
    for (const auto& [doc, window] : m_windows)
        windows.push_back(window);
    return std::all_of(windows.begin(), windows.end(), [](DocumentWindow* w) { return w->close(); });
}

Host::~Host()
{
    shutdown();
    for (auto& [doc, window] : m_windows)
        delete window;
    delete m_appWindow;
}

void Host::connectAddins()
{
    m_addins.connectAll(m_app);
    if (!m_addins.errors().isEmpty())
        forms::MsgBox(m_addins.errors().join(QLatin1Char('\n')), forms::vbExclamation, kTitle);
}

void Host::openFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        try {
            m_app->Documents()->Open(QFileInfo(path).absoluteFilePath());
        } catch (const core::Error& e) {
            forms::MsgBox(e.description(), forms::vbExclamation, kTitle);
        }
    }
    if (m_windows.empty())
        m_appWindow->show();
}

void Host::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_addins.disconnectAll();
    m_app->CommandBars()->removeTemporaryControls();
    if (!m_addins.errors().isEmpty())
        qWarning().noquote() << m_addins.errors().join(QLatin1Char('\n'));
}

DocumentWindow* Host::windowOf(const word::Document* doc) const
{
    const auto it = m_windows.find(doc);
    return it == m_windows.end() ? nullptr : it->second;
}

DocumentWindow* Host::activeWindow() const
{
    return windowOf(m_app->ActiveDocument().get());
}

QWidget* Host::dialogParent() const
{
    QWidget* active = QApplication::activeWindow();
    return active ? active : m_appWindow;
}

void Host::installCommands()
{
    office::CommandBars& bars = *m_app->CommandBars();
    bars.setBuiltinAction(office::idFileOpen, [this] { openFiles(askForDocuments(dialogParent())); });
    bars.setBuiltinAction(office::idFileSave, [this] { saveDocument(m_app->ActiveDocument(), dialogParent()); });
    bars.setBuiltinAction(office::idFileSaveAs, [this] { saveDocumentAs(m_app->ActiveDocument(), dialogParent()); });
    bars.setBuiltinAction(office::idEditReplace, [this] {
        m_app->ActiveDocument();   // 4248 with no document open
        if (!m_replaceDialog)
            m_replaceDialog = new ReplaceDialog(m_app, dialogParent());
        m_replaceDialog->show();
        m_replaceDialog->raise();
        m_replaceDialog->activateWindow();
    });
    bars.setBuiltinAction(office::idFileClose, [this] { activeWindow()->close(); });
    bars.setBuiltinAction(office::idFileExit, [this] {
        if (closeAll())
            QCoreApplication::quit();
    });
    bars.setBuiltinAction(office::idEditUndo, [this] { m_app->ActiveDocument()->Undo(); });
    bars.setBuiltinAction(office::idEditRedo, [this] { m_app->ActiveDocument()->Redo(); });
    bars.setBuiltinAction(office::idEditCopy, [this] {
        const word::DocumentPtr doc = m_app->ActiveDocument();
        const word::WindowPtr w = doc->ActiveWindow();
        QApplication::clipboard()->setText(
            word::Range(doc, w->selectionStory(), w->selectionStart(), w->selectionEnd()).Text());
    });
    bars.setBuiltinAction(office::idEditSelectAll, [this] {
        const word::DocumentPtr doc = m_app->ActiveDocument();
        const word::WindowPtr w = doc->ActiveWindow();
        w->select(w->selectionStory(), 0, doc->story(w->selectionStory()).length());
    });
    bars.setBuiltinAction(office::idViewPrintLayout, [this] {
        m_app->ActiveDocument()->ActiveWindow()->View()->setType(word::wdPrintView);
    });
    bars.setBuiltinAction(office::idViewHeaderFooter, [this] {
        const word::ViewPtr view = m_app->ActiveDocument()->ActiveWindow()->View();
        view->setType(word::wdPrintView);
        view->setSeekView(view->SeekView() == word::wdSeekMainDocument ? word::wdSeekPrimaryHeader
                                                                       : word::wdSeekMainDocument);
    });
    bars.setBuiltinAction(office::idViewComments, [this] {
        const word::ViewPtr view = m_app->ActiveDocument()->ActiveWindow()->View();
        view->setSplitSpecial(view->SplitSpecial() == word::wdPaneComments ? word::wdPaneNone : word::wdPaneComments);
    });
    bars.setBuiltinAction(office::idViewZoom, [this] {
        DocumentWindow* window = windowOf(m_app->ActiveDocument().get());   // 4248 with no document open
        ZoomDialog dialog(window->zoom(), window->pageWidthZoom(), window);
        if (dialog.exec() == QDialog::Accepted)
            window->setZoom(dialog.zoom());
    });
    bars.setBuiltinAction(office::idToolsFuzzyOptions,
                          [this] { m_app->Dialogs()->Item(word::wdDialogToolsOptionsFuzzy)->Show(); });
    bars.setBuiltinAction(office::idHelpShortcuts, [this] {
        showShortcuts(dialogParent(), *m_app->CommandBars()->Item(office::kMenuBarName));
    });
    bars.setBuiltinAction(office::idHelpAbout, [this] { showAbout(dialogParent(), m_addins.connectedRecords()); });
}

void Host::onOpened(word::Document* doc)
{
    word::DocumentPtr handle;
    for (const word::DocumentPtr& d : m_app->Documents()->items())
        if (d.get() == doc)
            handle = d;
    auto* window = new DocumentWindow(handle, m_app->CommandBars());
    window->setUpdatesEnabled(m_app->ScreenUpdating());
    m_windows[doc] = window;
    window->show();
    m_appWindow->hide();
}

void Host::onClosed(word::Document* doc)
{
    const auto it = m_windows.find(doc);
    if (it == m_windows.end())
        return;
    it->second->hide();
    it->second->deleteLater();
    m_windows.erase(it);
    if (m_windows.empty())
        m_appWindow->show();
}

void Host::bringForward(QWidget* window)
{
    if (!window || window->isActiveWindow())
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

void Host::updateScreen(bool on)
{
    m_appWindow->setUpdatesEnabled(on);
    for (auto& [doc, window] : m_windows)
        window->setUpdatesEnabled(on);
}

} // namespace host
