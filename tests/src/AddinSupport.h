#pragma once

// Support for the add-in tests: a document with hits in every kind of story, and the add-in's
// globals set up as connection leaves them.

#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "src/addin/mdlQLFGlobal.h"
#include "src/results/frmQLFResult.h"
#include "src/search/frmCOMProgress.h"
#include "tests/support/DocxBuilder.h"

#include <QApplication>
#include <QStringList>
#include <QTemporaryDir>

inline QString fixtureRun(const QString& text)
{
    return "<w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

inline QString fixturePara(const QString& runs) { return "<w:p>" + runs + "</w:p>"; }

inline QString fixturePart(const char* root, const QString& inner)
{
    return QString("<w:%1 %2>%3</w:%1>").arg(root, DocxBuilder::kNamespaces, inner);
}

inline QString textBoxRun(const QString& text)
{
    return "<w:r><w:pict><v:shape><v:textbox><w:txbxContent>" + fixturePara(fixtureRun(text))
           + "</w:txbxContent></v:textbox></v:shape></w:pict></w:r>";
}

// Hits of "K[0-9]" (wildcards) in every kind of story: two in the main text, one in a footnote,
// an endnote and a comment, one in each of two text boxes, one in the primary headers of both
// sections and one in the first section's primary footer. The later stories of a chain carry
// their hit at other positions than the first, so text cut from the wrong story shows.
inline DocxBuilder everyStoryDocument()
{
    const QString body =
        "<w:p>" + fixtureRun("K1 main K2") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>"
        "<w:r><w:endnoteReference w:id=\"1\"/></w:r>"
        "<w:commentRangeStart w:id=\"0\"/>" + fixtureRun("c") + "<w:commentRangeEnd w:id=\"0\"/>"
        "<w:r><w:commentReference w:id=\"0\"/></w:r>" + textBoxRun("K6 box") + textBoxRun("box K7") + "</w:p>"
        "<w:p><w:pPr><w:sectPr><w:headerReference w:type=\"default\" r:id=\"rH1\"/>"
        "<w:footerReference w:type=\"default\" r:id=\"rF1\"/></w:sectPr></w:pPr>" + fixtureRun("one") + "</w:p>"
        + fixturePara(fixtureRun("two"))
        + "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rH2\"/></w:sectPr>";
    return DocxBuilder()
        .body(body)
        .part("word/footnotes.xml", fixturePart("footnotes", "<w:footnote w:id=\"1\">"
              + fixturePara("<w:r><w:footnoteRef/></w:r>" + fixtureRun(" K3 note")) + "</w:footnote>"))
        .part("word/endnotes.xml", fixturePart("endnotes", "<w:endnote w:id=\"1\">"
              + fixturePara("<w:r><w:endnoteRef/></w:r>" + fixtureRun(" K4")) + "</w:endnote>"))
        .part("word/comments.xml", fixturePart("comments", "<w:comment w:id=\"0\" w:author=\"A\" w:initials=\"A\">"
              + fixturePara("<w:r><w:annotationRef/></w:r>" + fixtureRun("K5")) + "</w:comment>"))
        .relationship("rH1", "header", "header1.xml")
        .part("word/header1.xml", fixturePart("hdr", fixturePara(fixtureRun("K8 head"))))
        .relationship("rH2", "header", "header2.xml")
        .part("word/header2.xml", fixturePart("hdr", fixturePara(fixtureRun("head K9"))))
        .relationship("rF1", "footer", "footer1.xml")
        .part("word/footer1.xml", fixturePart("ftr", fixturePara(fixtureRun("K0 foot"))));
}

// The globals as a connection sets them, over a new application; released again at the end.
class ConnectedGlobals {
public:
    ConnectedGlobals()
    {
        mdlQLFGlobal::g_objApplication = word::Application::create();
        mdlQLFGlobal::g_frmResult = std::make_shared<frmQLFResult>();
        mdlQLFGlobal::g_frmResult->Load();
    }
    ~ConnectedGlobals()
    {
        mdlQLFGlobal::g_frmResult->Unload();
        mdlQLFGlobal::g_frmResult.reset();
        mdlQLFGlobal::g_objApplication.reset();
    }
    ConnectedGlobals(const ConnectedGlobals&) = delete;
    ConnectedGlobals& operator=(const ConnectedGlobals&) = delete;

    word::DocumentPtr open(const DocxBuilder& builder, const QString& name = QStringLiteral("doc.docx"))
    {
        const QString path = m_dir.filePath(name);
        builder.save(path);
        return mdlQLFGlobal::g_objApplication->Documents()->Open(path);
    }

private:
    QTemporaryDir m_dir;
};

// The progress window currently on screen, or null.
inline frmCOMProgress* visibleProgress()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<frmCOMProgress*>(w); progress && progress->isVisible())
            return progress;
    return nullptr;
}

inline int progressWindows()
{
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        count += qobject_cast<frmCOMProgress*>(w) != nullptr;
    return count;
}
