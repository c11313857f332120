#pragma once

#include "host/DocumentWindow.h"
#include "host/Host.h"
#include "platform/forms/MsgBox.h"
#include "platform/word/Application.h"
#include "tests/support/DocxBuilder.h"
#include "tests/support/WordXml.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTextTable>

#include <gtest/gtest.h>

#include <memory>

namespace hostfixture {

using namespace wordxml;

inline QString headerFooter(const char* root, const QString& text) { return part(root, para(run(text))); }

// Two sections with their own headers and footers (the first also a first-page header), a
// footnote, a comment, two text boxes and a table; every kind of story holds "資料" once. The
// first paragraph carries every kind of formatting the window draws.
inline DocxBuilder reportDocument()
{
    const QString sect1 = "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH1\"/>"
                          "<w:headerReference w:type=\"first\" r:id=\"rIdH1F\"/>"
                          "<w:footerReference w:type=\"default\" r:id=\"rIdF1\"/><w:titlePg/></w:sectPr>";
    const QString sect2 = "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH2\"/>"
                          "<w:footerReference w:type=\"default\" r:id=\"rIdF2\"/></w:sectPr>";
    const QString body =
        para(run("Alpha ") + run("red", "<w:color w:val=\"FF0000\"/>") + run(" ")
             + run("marked", "<w:highlight w:val=\"yellow\"/>") + run(" ") + run("struck", "<w:strike/>") + run(" ")
             + run("twice", "<w:dstrike/>") + run(" ")
             + "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> PAGE </w:instrText></w:r>"
               "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" + run("7")
             + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
             + "<w:del w:id=\"9\" w:author=\"x\"><w:r><w:delText>gone</w:delText></w:r></w:del>"
             + run("secret", "<w:vanish/>") + run(" ")
             + "<w:commentRangeStart w:id=\"0\"/>" + run("commented") + "<w:commentRangeEnd w:id=\"0\"/>"
               "<w:r><w:commentReference w:id=\"0\"/></w:r>"
               "<w:r><w:footnoteReference w:id=\"1\"/></w:r>" + textBox("first box"))
        + para(run("end of one"), sect1)
        + para(run("second section 資料") + textBox("second box 資料"))
        + "<w:tbl><w:tr><w:tc>" + para(run("cell A")) + "</w:tc><w:tc>" + para(run("cell B")) + "</w:tc></w:tr></w:tbl>"
        + para(run("last")) + sect2;
    DocxBuilder b;
    b.body(body)
        .part("word/header1.xml", headerFooter("hdr", "Head one 資料"))
        .part("word/header1f.xml", headerFooter("hdr", "First page head"))
        .part("word/header2.xml", headerFooter("hdr", "Head two 資料"))
        .part("word/footer1.xml", headerFooter("ftr", "Foot one"))
        .part("word/footer2.xml", headerFooter("ftr", "Foot two 資料"))
        .relationship("rIdH1", "header", "header1.xml")
        .relationship("rIdH1F", "header", "header1f.xml")
        .relationship("rIdH2", "header", "header2.xml")
        .relationship("rIdF1", "footer", "footer1.xml")
        .relationship("rIdF2", "footer", "footer2.xml")
        .part("word/comments.xml",
              QString("<w:comments %1><w:comment w:id=\"0\" w:author=\"Sato\" w:initials=\"S\">%2</w:comment></w:comments>")
                  .arg(DocxBuilder::kNamespaces, para("<w:r><w:annotationRef/></w:r>" + run("Comment 資料 body"))))
        .part("word/footnotes.xml",
              QString("<w:footnotes %1>"
                      "<w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>"
                      "<w:footnote w:type=\"continuationSeparator\" w:id=\"0\"><w:p><w:r><w:continuationSeparator/></w:r></w:p></w:footnote>"
                      "<w:footnote w:id=\"1\">%2</w:footnote></w:footnotes>")
                  .arg(DocxBuilder::kNamespaces, para("<w:r><w:footnoteRef/></w:r>" + run(" Note 資料 text"))));
    return b;
}

// The first table drawn at the top level of a view, null when there is none.
inline QTextTable* firstTable(host::StoryView* view)
{
    for (QTextFrame* f : view->document()->rootFrame()->childFrames())
        if (auto* t = qobject_cast<QTextTable*>(f))
            return t;
    return nullptr;
}

inline QString cellText(QTextTable* t, int row, int column)
{
    QTextCursor c = t->cellAt(row, column).firstCursorPosition();
    c.setPosition(t->cellAt(row, column).lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return c.selectedText();
}

// The item of a menu in a window's menu bar, found by captions; null when absent.
inline QAction* menuItem(QMainWindow* window, const QString& menu, const QString& item)
{
    for (QAction* top : window->menuBar()->actions())
        if (top->menu() && top->text() == menu)
            for (QAction* a : top->menu()->actions())
                if (a->text() == item)
                    return a;
    return nullptr;
}

inline QMenu* menu(QMainWindow* window, const QString& caption)
{
    for (QAction* top : window->menuBar()->actions())
        if (top->menu() && top->text() == caption)
            return top->menu();
    return nullptr;
}

// A host over a private registration store, with message boxes recorded.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = dir.filePath("registry.ini");
        report = dir.filePath("report.docx");
        reportDocument().save(report);
    }

    host::Host& start(const QStringList& files)
    {
        host = std::make_unique<host::Host>(word::Application::create(), store);
        host->connectAddins();
        host->openFiles(files);
        return *host;
    }

    word::ApplicationPtr app() const { return host->application(); }
    host::DocumentWindow* windowOf(int index) const
    {
        return host->windowOf(app()->Documents()->Item(index).get());
    }

    QTemporaryDir dir;
    QString store;
    QString report;
    forms::MessageRecorder messages;
    std::unique_ptr<host::Host> host;
};

} // namespace hostfixture
