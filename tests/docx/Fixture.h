#pragma once

#include "platform/docx/Package.h"
#include "tests/support/DocxBuilder.h"

#include <QTemporaryDir>

// Writes the package to a temporary file and loads it.
inline docx::Document loadBuilt(const DocxBuilder& b, const docx::LoadOptions& options = {})
{
    QTemporaryDir dir;
    const QString path = dir.filePath("fixture.docx");
    b.save(path);
    return docx::load(path, options);
}

// A story's text with structural characters made readable, so expectations read like the text.
inline QString visible(const QString& text)
{
    QString out;
    for (QChar c : text) {
        switch (c.unicode()) {
        case 1: out += u'▣'; break;
        case 2: out += u'²'; break;
        case 3: out += u'―'; break;
        case 5: out += u'⁵'; break;
        case 7: out += u'¤'; break;
        case 8: out += u'⚓'; break;
        case 9: out += u'→'; break;
        case 11: out += u'↵'; break;
        case 12: out += u'§'; break;
        case 13: out += u'¶'; break;
        case 14: out += u'⇣'; break;
        case 19: out += u'{'; break;
        case 20: out += u'|'; break;
        case 21: out += u'}'; break;
        case 30: out += u'‑'; break;
        case 31: out += u'¬'; break;
        default: out += c;
        }
    }
    return out;
}

inline QString paraXml(const QString& text) { return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>"; }
