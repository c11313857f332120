// Drives the host with the real add-in through a search of a document, as a user would, and
// takes pictures of the real windows with imagemagick's import: the Edit menu, the search dialog,
// the fuzzy options dialog (790), the result window with its rows, a row's tool tip and the
// grid's context menu, and the document window with a hit selected in a header. Run by
// scripts/screenshots.sh under Xvfb; not a test and not shipped.
//
// Usage: tv_screenshot_driver OUTPUT_FOLDER DOCUMENT [TEXT [ZOOM_PERCENT]]
#include "host/DocumentWindow.h"
#include "host/Host.h"
#include "platform/addin/AddinManager.h"
#include "platform/forms/JapaneseUi.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QToolTip>

#include <stdexcept>

namespace {

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

QWidget* topLevel(const char* className)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qstrcmp(w->metaObject()->className(), className) == 0)
            return w;
    throw std::runtime_error(std::string("no window of class ") + className);
}

template<class T>
T* child(QWidget* window, const char* name)
{
    if (T* found = window->findChild<T*>(QLatin1String(name)))
        return found;
    throw std::runtime_error(std::string("no control ") + name);
}

QAction* menuAction(QMainWindow* window, const QString& menuCaption)
{
    for (QAction* top : window->menuBar()->actions())
        if (top->menu() && top->text() == menuCaption)
            return top;
    throw std::runtime_error("no menu " + menuCaption.toStdString());
}

// Lets the windows draw, then saves the whole screen as NAME.png and the window alone as
// NAME-window.png.
void shoot(QWidget* window, const QString& folder, const QString& name)
{
    if (!QTest::qWaitForWindowExposed(window))
        throw std::runtime_error("window not shown: " + name.toStdString());
    QTest::qWait(400);
    const auto import = [](const QStringList& args) {
        if (QProcess::execute(QStringLiteral("import"), args) != 0)
            throw std::runtime_error("import failed: " + args.join(' ').toStdString());
    };
    import({QStringLiteral("-window"), QStringLiteral("root"), QDir(folder).filePath(name + QStringLiteral(".png"))});
    import({QStringLiteral("-window"), QString::number(window->winId()),
            QDir(folder).filePath(name + QStringLiteral("-window.png"))});
    err() << "saved " << name << ".png and " << name << "-window.png\n";
    err().flush();
}

// Model columns of the grid's hidden columns.
constexpr int kTypeCode = 4, kChainIndex = 5;

// The row of a hit in the second section's primary header, else any header's, else the first.
int headerRow(const QAbstractItemModel& rows)
{
    int any = -1;
    for (int r = 0; r < rows.rowCount(); ++r) {
        const int code = rows.index(r, kTypeCode).data().toInt();
        const bool header = code == 6 || code == 7 || code == 10;
        if (header && code == 7 && rows.index(r, kChainIndex).data().toInt() == 1)
            return r;
        if (header && any < 0)
            any = r;
    }
    return any < 0 ? 0 : any;
}

void run(const QString& folder, const QString& document, const QString& text, double zoom)
{
    QTemporaryDir store;
    qputenv("TARVELIN_REGISTRY", store.filePath(QStringLiteral("registry.ini")).toUtf8());
    addin::registerLibrary(QStringLiteral(QLF_PLUGIN_PATH));
    host::Host host(word::Application::create());
    host.connectAddins();
    host.openFiles({document});
    host::DocumentWindow* window = host.windowOf(host.application()->ActiveDocument().get());
    window->setGeometry(0, 0, 1280, 1000);

    // The Edit menu opened as a click on the menu bar opens it, then its first item chosen.
    QAction* edit = menuAction(window, QStringLiteral("編集(&E)"));
    QTest::mouseClick(window->menuBar(), Qt::LeftButton, {}, window->menuBar()->actionGeometry(edit).center());
    shoot(edit->menu(), folder, QStringLiteral("edit-menu"));
    edit->menu()->hide();
    edit->menu()->actions().first()->trigger();
    QWidget* find = topLevel("frmQLFFind");
    auto* txtText = child<QLineEdit>(find, "txtText");
    txtText->setFocus();
    QTest::sendKeyEvent(QTest::Click, txtText, Qt::Key_unknown, text, Qt::NoModifier);
    shoot(find, folder, QStringLiteral("search-dialog"));

    // Dialog 790 is modal: it is pictured and closed from inside its own event loop.
    QTimer::singleShot(0, [folder] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            err() << "dialog 790 did not open\n";
            return;
        }
        try {
            shoot(dialog, folder, QStringLiteral("fuzzy-options"));
        } catch (const std::exception& e) {
            err() << e.what() << '\n';
        }
        dialog->close();
    });
    QTest::mouseClick(child<QPushButton>(find, "btnOption"), Qt::LeftButton);

    QTest::mouseClick(child<QPushButton>(find, "btnExecute"), Qt::LeftButton);
    QWidget* results = topLevel("frmQLFResult");
    auto* grid = child<QTableView>(results, "grdResult");
    if (!QTest::qWaitFor([grid] { return grid->model()->rowCount() > 0; }, 2000))
        throw std::runtime_error("the search found nothing");
    results->move(620, 480);
    shoot(results, folder, QStringLiteral("result-window"));

    // A row's tool tip, then the grid's context menu, as resting on a row and right-clicking it show them.
    const QPoint onRow = grid->visualRect(grid->model()->index(0, 0)).center();
    QHelpEvent hover(QEvent::ToolTip, onRow, grid->viewport()->mapToGlobal(onRow));
    QApplication::sendEvent(grid->viewport(), &hover);
    shoot(results, folder, QStringLiteral("result-tooltip"));
    QToolTip::hideText();
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, onRow);   // the press makes the row current
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, onRow, grid->viewport()->mapToGlobal(onRow));
    QApplication::sendEvent(grid->viewport(), &rightClick);
    auto* menu = child<QMenu>(results, "mnuResult");
    shoot(menu, folder, QStringLiteral("result-menu"));
    menu->hide();

    const int row = headerRow(*grid->model());
    err() << grid->model()->rowCount() << " rows; row " << row + 1 << " jumped to, type code "
          << grid->model()->index(row, kTypeCode).data().toString() << ", chain index " << grid->model()->index(row, kChainIndex).data().toString()
          << '\n';
    const QModelIndex hit = grid->model()->index(row, 0);
    grid->scrollTo(hit);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(hit).center());
    window->setZoom(zoom);   // a small zoom shows whole pages
    window->raise();
    shoot(window, folder, QStringLiteral("document-window"));
    host.shutdown();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    forms::installJapaneseUi(app);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        err() << "usage: tv_screenshot_driver OUTPUT_FOLDER DOCUMENT [TEXT [ZOOM_PERCENT]]\n";
        return 2;
    }
    try {
        run(args[0], args[1], args.value(2, QStringLiteral("資料")), args.value(3, QStringLiteral("100")).toDouble() / 100);
    } catch (const std::exception& e) {
        err() << e.what() << '\n';
        return 1;
    }
    return 0;
}
