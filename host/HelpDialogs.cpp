#include "host/HelpDialogs.h"

#include "host/LiveMenuBar.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

namespace host {

namespace {

const QString kAboutTitle = QStringLiteral("Tarvelin について");
const QString kShortcutsTitle = QStringLiteral("キーボード ショートカット");

// A caption as a reader sees it: no "(&X)" and no mnemonic marker.
QString plainCaption(const QString& caption)
{
    static const QRegularExpression accelerator(QStringLiteral("\\(&.\\)"));
    return QString(caption).remove(accelerator).remove(QLatin1Char('&')).trimmed();
}

QString keyText(const QKeySequence& keys)
{
    return keys.toString(QKeySequence::NativeText);
}

// Rows for the items of bar. path names the menu, menuKey is the key that opens it (empty when
// none does): a menu of the bar opens with Alt and its letter, an item inside with its letter.
void addMenuRows(QList<QPair<QString, QString>>& rows, office::CommandBar& bar, const QString& path,
                 const QString& menuKey)
{
    for (const auto& control : bar.Controls()->items()) {
        if (!control->Visible())
            continue;
        const QString caption = plainCaption(control->Caption());
        const QString name = path.isEmpty() ? caption : path + QStringLiteral(" → ") + caption;
        const QString mnemonic = keyText(QKeySequence::mnemonic(control->Caption()));
        QString chord;
        if (!mnemonic.isEmpty())
            chord = path.isEmpty() ? mnemonic
                                   : menuKey.isEmpty() ? QString()
                                                       : menuKey + QStringLiteral(", ") + mnemonic.section(QLatin1Char('+'), -1);
        if (auto popup = std::dynamic_pointer_cast<office::CommandBarPopup>(control)) {
            if (!chord.isEmpty())
                rows.append({name, chord});
            addMenuRows(rows, *popup->CommandBar(), name, chord);
            continue;
        }
        QStringList keys;
        if (const QKeySequence shortcut = builtinShortcut(control->Id()); !shortcut.isEmpty())
            keys << keyText(shortcut);
        if (!chord.isEmpty())
            keys << chord;
        if (!keys.isEmpty())
            rows.append({name, keys.join(QStringLiteral(" / "))});
    }
}

} // namespace

QString aboutText(const std::vector<addin::AddinRecord>& addins)
{
    QString text = QStringLiteral("<p><b>Tarvelin</b> バージョン %1</p>").arg(QStringLiteral(TARVELIN_VERSION))
                   + QStringLiteral("<p>文書のすべての場所（本文、脚注、コメント、テキスト ボックス、ヘッダーとフッター）を検索して一覧表示します。</p>")
                   + QStringLiteral("<p>ライセンス：Tarvelin の利用許諾に従って使用できます。"
                                    "Qt %1（LGPL v3）、ICU（Unicode License）、libzip（BSD）を使用しています。</p>")
                         .arg(QString::fromLatin1(qVersion()))
                   + QStringLiteral("<p>読み込まれているアドイン：");
    if (addins.empty())
        return text + QStringLiteral("なし</p>");
    text += QStringLiteral("</p><ul>");
    for (const addin::AddinRecord& record : addins)
        text += QStringLiteral("<li>%1（%2）</li>")
                    .arg((record.friendlyName.isEmpty() ? record.progId : record.friendlyName).toHtmlEscaped(),
                         record.progId.toHtmlEscaped());
    return text + QStringLiteral("</ul>");
}

void showAbout(QWidget* parent, const std::vector<addin::AddinRecord>& addins)
{
    QMessageBox::about(parent, kAboutTitle, aboutText(addins));
}

QList<QPair<QString, QString>> shortcutRows(office::CommandBar& menuBar)
{
    QList<QPair<QString, QString>> rows;
    addMenuRows(rows, menuBar, {}, {});
    rows.append({QStringLiteral("文書の先頭 / 末尾へ"), QStringLiteral("Ctrl+Home / Ctrl+End")});
    rows.append({QStringLiteral("一覧の行へジャンプ"), QStringLiteral("Enter / ダブルクリック")});
    rows.append({QStringLiteral("次 / 前のコントロールへ"), QStringLiteral("Tab / Shift+Tab")});
    rows.append({QStringLiteral("ダイアログの既定のボタン"), QStringLiteral("Enter")});
    rows.append({QStringLiteral("ダイアログや一覧のウィンドウを閉じる"), QStringLiteral("Esc")});
    return rows;
}

void showShortcuts(QWidget* parent, office::CommandBar& menuBar)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(kShortcutsTitle);
    const QList<QPair<QString, QString>> rows = shortcutRows(menuBar);
    auto* table = new QTableWidget(static_cast<int>(rows.size()), 2, &dialog);
    table->setHorizontalHeaderLabels({QStringLiteral("操作"), QStringLiteral("キー")});
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int row = 0; row < rows.size(); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(rows[row].first));
        table->setItem(row, 1, new QTableWidgetItem(rows[row].second));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    // Every row in sight: the table is short.
    dialog.resize(table->horizontalHeader()->length() + 60,
                  table->verticalHeader()->length() + table->horizontalHeader()->height() + 90);
    dialog.exec();
}

} // namespace host
