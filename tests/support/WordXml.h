#pragma once

#include "tests/support/DocxBuilder.h"

#include <QString>

// WordprocessingML written from strings, for fixture documents: the pieces most fixtures share.
namespace wordxml {

// A run of text (spaces kept), with optional run properties.
inline QString run(const QString& text, const QString& rPr = {})
{
    const QString props = rPr.isEmpty() ? QString() : "<w:rPr>" + rPr + "</w:rPr>";
    return "<w:r>" + props + "<w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

// A paragraph of runs, with optional paragraph properties.
inline QString para(const QString& runs, const QString& pPr = {})
{
    return "<w:p>" + (pPr.isEmpty() ? QString() : "<w:pPr>" + pPr + "</w:pPr>") + runs + "</w:p>";
}

// A run holding a VML text box with one paragraph of text.
inline QString textBox(const QString& text)
{
    return "<w:r><w:pict><v:shape><v:textbox><w:txbxContent>" + para(run(text))
         + "</w:txbxContent></v:textbox></v:shape></w:pict></w:r>";
}

// A part's root element ("hdr", "ftr", "footnotes", "comments", ...) with the usual namespaces.
inline QString part(const char* root, const QString& inner)
{
    return QString("<w:%1 %2>%3</w:%1>").arg(root, DocxBuilder::kNamespaces, inner);
}

} // namespace wordxml
