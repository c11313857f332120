#include "host/DocumentSaving.h"

#include "platform/core/Error.h"
#include "platform/word/Document.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace host {

namespace {

bool saveAs(const word::DocumentPtr& doc, const QString& path, QWidget* parent)
{
    try {
        doc->SaveAs2(path);
        return true;
    } catch (const core::Error& e) {
        QMessageBox::warning(parent, QStringLiteral("Tarvelin"), e.description());
        return false;
    }
}

} // namespace

bool saveDocument(const word::DocumentPtr& doc, QWidget* parent)
{
    if (doc->changedOnDisk()
        && QMessageBox::question(parent, QStringLiteral("Tarvelin"),
                                 QStringLiteral("%1 は、開いた後にほかのプログラムで変更されています。上書きしてもよろしいですか?")
                                     .arg(QDir::toNativeSeparators(doc->FullName())),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes)
        return false;
    return saveAs(doc, doc->FullName(), parent);
}

bool saveDocumentAs(const word::DocumentPtr& doc, QWidget* parent)
{
    QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("名前を付けて保存"), doc->FullName(),
                                                QStringLiteral("Word 文書 (*.docx)"));
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QLatin1String(".docx"), Qt::CaseInsensitive))
        path += QLatin1String(".docx");
    return saveAs(doc, path, parent);
}

} // namespace host
