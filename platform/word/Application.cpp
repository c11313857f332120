#include "platform/word/Application.h"

#include "platform/docx/Package.h"
#include "platform/office/WordMenuBar.h"
#include "platform/word/Dialogs.h"
#include "platform/word/Document.h"
#include "platform/word/WordError.h"

#include <algorithm>

namespace word {

ApplicationPtr Application::create()
{
    qRegisterMetaType<word::Document*>();
    qRegisterMetaType<word::Window*>();
    ApplicationPtr app(new Application);
    app->m_documents = std::make_shared<word::Documents>(app.get());
    app->m_commandBars = office::CommandBars::create();
    office::addWordMenuBar(*app->m_commandBars);
    app->m_dialogs = std::make_shared<word::Dialogs>();
    return app;
}

DocumentsPtr Application::Documents()
{
    return m_documents;
}

DocumentPtr Application::ActiveDocument()
{
    if (!m_active)
        throw wordError(NoDocumentOpen);
    return m_active;
}

void Application::setScreenUpdating(bool on)
{
    if (m_screenUpdating == on)
        return;
    m_screenUpdating = on;
    emit screenUpdatingChanged(on);
}

void Application::Activate()
{
    emit activated();
}

DocumentPtr Documents::Item(int index) const
{
    if (index < 1 || index > Count())
        throw wordError(NoSuchMember);
    return m_items[static_cast<size_t>(index - 1)];
}

DocumentPtr Documents::Open(const QString& path, bool readOnly)
{
    docx::LoadOptions options;
    options.textSources = !readOnly;
    options.looks = m_app->m_showsDocuments;
    return Open(docx::load(path, options));
}

DocumentPtr Documents::Open(docx::Document model)
{
    auto doc = std::make_shared<Document>(m_app, std::move(model));
    m_items.push_back(doc);
    emit m_app->documentOpened(doc.get());
    doc->Activate();
    return doc;
}

void Documents::remove(Document* doc)
{
    auto it = std::find_if(m_items.begin(), m_items.end(), [doc](const DocumentPtr& d) { return d.get() == doc; });
    if (it == m_items.end())
        return;
    DocumentPtr keep = *it;  // alive until the signals below have run
    m_items.erase(it);
    if (m_app->m_active.get() == doc)
        m_app->m_active = m_items.empty() ? nullptr : m_items.back();
    emit m_app->documentClosed(doc);
    if (m_app->m_active)
        emit m_app->documentActivated(m_app->m_active.get());
}

} // namespace word
