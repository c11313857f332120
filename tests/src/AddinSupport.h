#pragma once

// Support for the add-in tests: a document with hits in every kind of story, and the add-in's
// globals set up as connection leaves them.

#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "src/addin/mdlQLFGlobal.h"
#include "src/results/frmQLFResult.h"
#include "src/search/frmCOMProgress.h"
#include "tests/support/DocxBuilder.h"
#include "tests/support/WordXml.h"

#include <QApplication>
#include <QStringList>
#include <QTemporaryDir>


// Hits of "K[0-9]" (wildcards) in every kind of story: two in the main text, one in a footnote,
// an endnote and a comment, one in each of two text boxes, one in the primary headers of both
// sections and one in the first section's primary footer. The later stories of a chain carry
// their hit at other positions than the first, so text cut from the wrong story shows.
inline DocxBuilder everyStoryDocument()
{
    const QString body =
        "<w:p>" + wordxml::run("K1 main K2") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>"
        "<w:r><w:endnoteReference w:id=\"1\"/></w:r>"
        "<w:commentRangeStart w:id=\"0\"/>" + wordxml::run("c") + "<w:commentRangeEnd w:id=\"0\"/>"
        "<w:r><w:commentReference w:id=\"0\"/></w:r>" + wordxml::textBox("K6 box") + wordxml::textBox("box K7") + "</w:p>"
        "<w:p><w:pPr><w:sectPr><w:headerReference w:type=\"default\" r:id=\"rH1\"/>"
        "<w:footerReference w:type=\"default\" r:id=\"rF1\"/></w:sectPr></w:pPr>" + wordxml::run("one") + "</w:p>"
        + wordxml::para(wordxml::run("two"))
        + "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rH2\"/></w:sectPr>";
    return DocxBuilder()
        .body(body)
        .part("word/footnotes.xml", wordxml::part("footnotes", "<w:footnote w:id=\"1\">"
              + wordxml::para("<w:r><w:footnoteRef/></w:r>" + wordxml::run(" K3 note")) + "</w:footnote>"))
        .part("word/endnotes.xml", wordxml::part("endnotes", "<w:endnote w:id=\"1\">"
              + wordxml::para("<w:r><w:endnoteRef/></w:r>" + wordxml::run(" K4")) + "</w:endnote>"))
        .part("word/comments.xml", wordxml::part("comments", "<w:comment w:id=\"0\" w:author=\"A\" w:initials=\"A\">"
              + wordxml::para("<w:r><w:annotationRef/></w:r>" + wordxml::run("K5")) + "</w:comment>"))
        .relationship("rH1", "header", "header1.xml")
        .part("word/header1.xml", wordxml::part("hdr", wordxml::para(wordxml::run("K8 head"))))
        .relationship("rH2", "header", "header2.xml")
        .part("word/header2.xml", wordxml::part("hdr", wordxml::para(wordxml::run("head K9"))))
        .relationship("rF1", "footer", "footer1.xml")
        .part("word/footer1.xml", wordxml::part("ftr", wordxml::para(wordxml::run("K0 foot"))));
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
