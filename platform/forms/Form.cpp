#include "platform/forms/Form.h"

#include "platform/forms/FormsError.h"
#include "platform/forms/Twips.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>
#include <QPointer>
#include <QScreen>
#include <QWindow>

namespace forms {

namespace {

QPointer<QWindow> g_formOwner;

} // namespace

void setFormOwner(QWindow* owner)
{
    g_formOwner = owner;
}

QWindow* formOwner()
{
    return g_formOwner;
}

Form::Form(QString designPath, Border border, QWidget* owner)
    : QWidget(owner), m_designPath(std::move(designPath)), m_border(border)
{
    if (border == Border::Fixed)
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                       | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    else
        // A tool window: window systems stack it above its owner, which a plain window is not.
        setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                       | Qt::WindowCloseButtonHint);
}

Form::~Form()
{
    if (m_modalLoop)
        m_modalLoop->quit();
}

void Form::Load()
{
    if (m_loaded)
        return;
    if (!m_designRead && !m_designPath.isEmpty()) {
        m_design = StoredDesign::load(m_designPath);
        m_designRead = true;
    }
    const PropertyBag& props = m_design.form();
    setWindowTitle(props.ReadProperty(QStringLiteral("caption"), QString()).toString());
    const QSize client = twipsToPixels(QSize(props.ReadProperty(QStringLiteral("clientwidth"), 0).toInt(),
                                             props.ReadProperty(QStringLiteral("clientheight"), 0).toInt()));
    if (!client.isEmpty()) {
        if (m_border == Border::Fixed)
            setFixedSize(client);
        else
            resize(client);
    }
    placeAtStartUp(props.ReadProperty(QStringLiteral("startupposition"), StartUpWindowsDefault).toInt());
    m_loaded = true;
    try {
        createControls();
        Form_Load();
    } catch (...) {
        destroyControls();
        throw;
    }
}

void Form::placeAtStartUp(int position)
{
    if (position != StartUpCenterOwner && position != StartUpCenterScreen)
        return;
    const QWidget* owner = parentWidget();
    QRect area = screen() ? screen()->availableGeometry() : QRect();
    if (position == StartUpCenterOwner && owner)
        area = owner->window()->frameGeometry();
    if (area.isValid())
        move(area.center() - rect().center());
}

void Form::Show(int mode)
{
    Load();
    if (mode != vbModal) {
        show();
        raise();
        activateWindow();
        return;
    }
    if (isVisible() || m_modalLoop)
        throw formsError(FormAlreadyShown, QStringLiteral("Form"));
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    m_modalLoop = &loop;
    show();
    raise();
    activateWindow();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    m_modalLoop = nullptr;
    setWindowModality(Qt::NonModal);
}

void Form::Hide()
{
    hide();
}

void Form::Unload()
{
    if (m_loaded && mayUnload(vbFormCode))
        destroyControls();
}

void Form::setVisible(bool visible)
{
    if (visible && !parentWidget() && g_formOwner) {
        winId();
        windowHandle()->setTransientParent(g_formOwner);
    }
    if (!visible && isVisible() && windowHandle()) {
        // Where the window manager or the user put it becomes the window's own place, so that
        // showing it again reopens it there instead of having it placed afresh.
        windowHandle()->setPosition(windowHandle()->position());
    }
    QWidget::setVisible(visible);
    if (!visible && m_modalLoop)
        m_modalLoop->quit();
}

QSize Form::outerSizeTwips() const
{
    return pixelsToTwips(frameGeometry().size());
}

void Form::setOuterSizeTwips(QSize twips)
{
    const QSize frame = frameGeometry().size() - size();
    resize(twipsToPixels(twips) - frame);
}

QSize Form::clientSizeTwips() const
{
    return pixelsToTwips(size());
}

void Form::Form_QueryUnload(int&, int) {}
void Form::Form_Unload(int&) {}

void Form::setDefaultButton(QAbstractButton* button)
{
    m_defaultButton = button;
}

void Form::setCancelButton(QAbstractButton* button)
{
    m_cancelButton = button;
}

void Form::closeEvent(QCloseEvent* event)
{
    // The form decides itself: it hides or unloads below, or stays as Form_QueryUnload wants.
    event->ignore();
    if (!m_loaded)
        hide();
    else if (mayUnload(vbFormControlMenu))
        destroyControls();
}

void Form::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_loaded)
        Form_Resize();
}

void Form::keyPressEvent(QKeyEvent* event)
{
    QAbstractButton* target = nullptr;
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            // A focused command button takes Enter itself.
            auto* focused = qobject_cast<QPushButton*>(focusWidget());
            target = focused ? focused : m_defaultButton.data();
        }
        else if (event->key() == Qt::Key_Escape)
            target = m_cancelButton;
    }
    if (target && target->isEnabled() && target->isVisible())
        target->click();
    else
        QWidget::keyPressEvent(event);
}

bool Form::mayUnload(int unloadMode)
{
    int cancel = 0;
    Form_QueryUnload(cancel, unloadMode);
    if (cancel == 0)
        Form_Unload(cancel);
    return cancel == 0;
}

void Form::destroyControls()
{
    hide();
    m_loaded = false;
    delete layout();
    // Later, because Unload often runs inside a handler of one of these controls. Owned windows
    // (other forms) belong to whoever created them.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow()) {
            child->hide();
            child->deleteLater();
        }
    }
}

namespace {

using Clock = std::chrono::steady_clock;

std::chrono::microseconds g_doEventsSlice{2000};
Clock::time_point g_lastEventsPass;

} // namespace

void DoEvents()
{
    if (Clock::now() - g_lastEventsPass < g_doEventsSlice)
        return;
    QCoreApplication::processEvents();
    g_lastEventsPass = Clock::now();
}

std::chrono::microseconds doEventsSlice()
{
    return g_doEventsSlice;
}

void setDoEventsSlice(std::chrono::microseconds slice)
{
    g_doEventsSlice = slice;
}

} // namespace forms
