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

// A run holding a floating drawing (wp:anchor) of cx by cy EMU: its positionH and positionV
// elements, its wrap element, and what it draws (picture() or textBoxShape()).
inline QString anchored(const QString& position, const QString& wrap, const QString& graphic, int cx, int cy,
                        const QString& anchorAttrs = "distT=\"0\" distB=\"0\" behindDoc=\"0\"")
{
    return QString("<w:r><w:drawing><wp:anchor %1 simplePos=\"0\"><wp:simplePos x=\"0\" y=\"0\"/>%2"
                   "<wp:extent cx=\"%3\" cy=\"%4\"/>%5<wp:docPr id=\"1\" name=\"d\"/>"
                   "<a:graphic><a:graphicData>%6</a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>")
        .arg(anchorAttrs, position).arg(cx).arg(cy).arg(wrap, graphic);
}

// One axis of an anchor: wp:positionH or wp:positionV, by an offset in EMU or an alignment.
inline QString position(const char* axis, const char* from, const QString& offsetOrAlign)
{
    bool number = false;
    offsetOrAlign.toLong(&number);
    const QString inner = number ? "<wp:posOffset>" + offsetOrAlign + "</wp:posOffset>" : "<wp:align>" + offsetOrAlign + "</wp:align>";
    return QString("<wp:position%1 relativeFrom=\"%2\">%3</wp:position%1>").arg(axis, from, inner);
}

// A DrawingML picture of the image the relationship rId names.
inline QString picture(const QString& rId)
{
    return "<pic:pic xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
           "<pic:blipFill><a:blip r:embed=\"" + rId + "\"/></pic:blipFill></pic:pic>";
}

// A DrawingML text box shape holding one paragraph of text.
inline QString textBoxShape(const QString& text)
{
    return "<wps:wsp><wps:txbx><w:txbxContent>" + para(run(text)) + "</w:txbxContent></wps:txbx><wps:bodyPr/></wps:wsp>";
}

// A part's root element ("hdr", "ftr", "footnotes", "comments", ...) with the usual namespaces.
inline QString part(const char* root, const QString& inner)
{
    return QString("<w:%1 %2>%3</w:%1>").arg(root, DocxBuilder::kNamespaces, inner);
}

} // namespace wordxml
