#pragma once

#include "platform/core/Error.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"

#include <QDirIterator>

#include <gtest/gtest.h>

// Calls visit(path, doc) for each document of the shared corpus that opens for editing, its path
// traced in failures; those that do not open are the corpus test's to list.
template <class Visit>
void forEachCorpusDocument(const word::ApplicationPtr& app, Visit&& visit)
{
    QDirIterator it(QStringLiteral(TARVELIN_CORPUS_DIR), {"*.docx"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        SCOPED_TRACE(path.toStdString());
        word::DocumentPtr doc;
        try {
            doc = app->Documents()->Open(path);
        } catch (const core::Error&) {
            continue;
        }
        visit(path, doc);
    }
}
