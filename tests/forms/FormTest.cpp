#include "tests/support/ModalSteps.h"

#include "platform/forms/Form.h"
#include "platform/forms/FormsError.h"
#include "platform/forms/UserControl.h"
#include "tests/support/DoEventsSlice.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using namespace forms;

namespace {

// A user control with one stored property, logging its events.
class TestControl : public UserControl {
public:
    using UserControl::UserControl;
    QStringList* log = nullptr;
    bool fuzzy = false;
    QCheckBox* box = nullptr;

protected:
    void UserControl_Initialize() override
    {
        box = new QCheckBox(QStringLiteral("Fuzzy"), this);
        if (log)
            log->append(QStringLiteral("Initialize"));
    }
    void UserControl_ReadProperties(const PropertyBag& bag) override
    {
        fuzzy = bag.ReadProperty(QStringLiteral("matchFuzzy"), false).toBool();
        if (log)
            log->append(QStringLiteral("ReadProperties"));
    }
    void UserControl_WriteProperties(PropertyBag& bag) override
    {
        bag.WriteProperty(QStringLiteral("matchFuzzy"), fuzzy, false);
    }
    void UserControl_Resize() override { box->setGeometry(rect()); }
};

// A form logging its events; its close box hides it when hideOnClose is set.
class LoggingForm : public Form {
public:
    explicit LoggingForm(QString design = {}, Border border = Border::Sizable) : Form(std::move(design), border) {}

    QStringList log;
    bool hideOnClose = false;
    bool refuseUnload = false;
    QPointer<QPushButton> okButton;
    QPointer<QPushButton> cancelButton;
    QPointer<TestControl> options;

protected:
    void createControls() override
    {
        log.append(QStringLiteral("createControls"));
        okButton = new QPushButton(QStringLiteral("OK"), this);
        cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
        setDefaultButton(okButton);
        setCancelButton(cancelButton);
        connect(okButton, &QPushButton::clicked, this, [this] { log.append(QStringLiteral("ok")); });
        connect(cancelButton, &QPushButton::clicked, this, [this] { log.append(QStringLiteral("cancel")); });
        if (design().hasControl(QStringLiteral("ctlOptions"))) {
            options = new TestControl(this);
            options->log = &log;
            options->site(design(), QStringLiteral("ctlOptions"));
        }
    }
    void Form_Load() override { log.append(QStringLiteral("Load")); }
    void Form_QueryUnload(int& cancel, int unloadMode) override
    {
        log.append(QStringLiteral("QueryUnload %1").arg(unloadMode));
        if (unloadMode == vbFormControlMenu && hideOnClose) {
            cancel = 1;
            Hide();
        }
    }
    void Form_Unload(int& cancel) override
    {
        log.append(QStringLiteral("Unload"));
        cancel = refuseUnload ? 1 : 0;
    }
    void Form_Resize() override { log.append(QStringLiteral("Resize")); }
};

} // namespace

TEST(Form, LoadRunsOnceWithoutShowing)
{
    LoggingForm form;
    form.Load();
    form.Load();
    EXPECT_TRUE(form.isLoaded());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.log, (QStringList{"createControls", "Load"}));
}

TEST(Form, ShowLoadsImplicitlyAndHideKeepsItLoaded)
{
    LoggingForm form;
    form.Show();
    EXPECT_TRUE(form.isVisible());
    form.Hide();
    form.Show();
    EXPECT_TRUE(form.isLoaded());
    EXPECT_EQ(form.log.count(QStringLiteral("Load")), 1);
    EXPECT_TRUE(form.log.contains(QStringLiteral("Resize")));
    form.Unload();
}

TEST(Form, UnloadFromCodeDestroysControlsAndNextLoadStartsAfresh)
{
    LoggingForm form;
    form.Show();
    QPointer<QPushButton> oldButton = form.okButton;
    form.log.clear();
    form.Unload();
    EXPECT_EQ(form.log, (QStringList{"QueryUnload 1", "Unload"}));
    EXPECT_FALSE(form.isLoaded());
    EXPECT_FALSE(form.isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(oldButton.isNull());

    form.Load();
    EXPECT_EQ(form.log.mid(2), (QStringList{"createControls", "Load"}));
    EXPECT_NE(form.okButton.data(), nullptr);
}

TEST(Form, CloseBoxAsksQueryUnloadWithModeZero)
{
    const struct {
        bool hideOnClose;
        bool refuseUnload;
        bool loadedAfter;
        QStringList log;
    } cases[] = {
        {false, false, false, {"QueryUnload 0", "Unload"}},
        {true, false, true, {"QueryUnload 0"}},                  // cancelled: hidden, still loaded
        {false, true, true, {"QueryUnload 0", "Unload"}},        // Form_Unload cancels
    };
    for (const auto& c : cases) {
        LoggingForm form;
        form.hideOnClose = c.hideOnClose;
        form.refuseUnload = c.refuseUnload;
        form.Show();
        form.log.clear();
        form.close();
        EXPECT_EQ(form.log, c.log);
        EXPECT_EQ(form.isLoaded(), c.loadedAfter);
        if (c.hideOnClose) {
            EXPECT_FALSE(form.isVisible());
        }
        if (c.refuseUnload) {
            EXPECT_TRUE(form.isVisible());
        }
        form.refuseUnload = false;
        form.Unload();
    }
}

TEST(Form, CancelledUnloadFromCodeKeepsTheForm)
{
    LoggingForm form;
    form.refuseUnload = true;
    form.Show();
    form.Unload();
    EXPECT_TRUE(form.isLoaded());
    EXPECT_TRUE(form.isVisible());
    form.refuseUnload = false;
    form.Unload();
    EXPECT_FALSE(form.isLoaded());
}

TEST(Form, ModalShowReturnsWhenTheFormHides)
{
    const struct {
        const char* how;
        std::function<void(LoggingForm&)> end;
        bool loadedAfter;
    } cases[] = {
        {"Hide", [](LoggingForm& f) { f.Hide(); }, true},
        {"close box hiding", [](LoggingForm& f) { f.hideOnClose = true; f.close(); }, true},
        {"Unload", [](LoggingForm& f) { f.Unload(); }, false},
        {"Esc clicks the cancel button", [](LoggingForm& f) {
             QObject::connect(f.cancelButton, &QPushButton::clicked, &f, &Form::Hide);
             QTest::keyClick(&f, Qt::Key_Escape);
         }, true},
    };
    for (const auto& c : cases) {
        LoggingForm form;
        bool wasModal = false;
        ModalSteps guard({{"QWidget", [&](QWidget* modal) {
            wasModal = modal == &form;
            c.end(form);
        }}});
        form.Show(vbModal);
        EXPECT_TRUE(guard.acted()) << c.how;
        EXPECT_FALSE(guard.expired()) << c.how;
        EXPECT_TRUE(wasModal) << c.how;
        EXPECT_FALSE(form.isVisible()) << c.how;
        EXPECT_EQ(form.isLoaded(), c.loadedAfter) << c.how;
        EXPECT_EQ(form.windowModality(), Qt::NonModal) << c.how;
    }
}

TEST(Form, ModalShowOfAVisibleFormRaises400)
{
    LoggingForm form;
    form.Show();
    try {
        form.Show(vbModal);
        FAIL() << "no error";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), FormAlreadyShown);
    }
    form.Unload();
}

TEST(Form, EnterClicksTheDefaultButtonEscTheCancelButton)
{
    LoggingForm form;
    form.Show();
    const auto clicks = [&] { return form.log.filter(QRegularExpression("^(ok|cancel)$")); };
    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_EQ(clicks(), (QStringList{"ok"}));
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(clicks(), (QStringList{"ok", "cancel"}));
    form.okButton->setEnabled(false);
    form.cancelButton->clearFocus();
    QTest::keyClick(&form, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks(), (QStringList{"ok", "cancel"}));
    // Enter on a focused button clicks that button.
    form.okButton->setEnabled(true);
    form.cancelButton->setFocus();
    QTest::keyClick(form.cancelButton, Qt::Key_Return);
    EXPECT_EQ(clicks(), (QStringList{"ok", "cancel", "cancel"}));
    form.Unload();
}

TEST(Form, StoredDesignGivesCaptionSizeAndUserControlProperties)
{
    LoggingForm form(QStringLiteral(":/designs/frmSample.json"), Form::Border::Fixed);
    form.Load();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Sample"));
    EXPECT_EQ(form.clientSizeTwips(), QSize(4500, 2400));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(form.geometry().center(), form.screen()->availableGeometry().center());

    ASSERT_NE(form.options.data(), nullptr);
    EXPECT_EQ(form.options->objectName(), QStringLiteral("ctlOptions"));
    EXPECT_TRUE(form.options->fuzzy);
    EXPECT_EQ(form.options->geometry(), QRect(8, 32, 200, 56));
    EXPECT_EQ(form.options->box->geometry(), QRect(0, 0, 200, 56));
    // The control initialises before the form's load event, as the controls exist by then.
    EXPECT_EQ(form.log, (QStringList{"createControls", "Initialize", "ReadProperties", "Load"}));

    form.options->fuzzy = false;
    EXPECT_TRUE(form.options->storedProperties().isEmpty());
    form.options->fuzzy = true;
    EXPECT_EQ(form.options->storedProperties().names(), QStringList{"matchFuzzy"});
}

// Owned by the host's owner window as a tool window, a form stays above the host's windows.
TEST(Form, AFormWithoutAParentIsAToolWindowOfTheFormOwner)
{
    QWindow owner;
    setFormOwner(&owner);
    LoggingForm sizable;
    LoggingForm fixed({}, Form::Border::Fixed);
    sizable.Show();
    fixed.Show();
    setFormOwner(nullptr);
    EXPECT_EQ(sizable.windowHandle()->transientParent(), &owner);
    EXPECT_EQ(fixed.windowHandle()->transientParent(), &owner);
    EXPECT_EQ(sizable.windowType(), Qt::Tool);
}

TEST(Form, OuterSizeInTwips)
{
    LoggingForm form;
    form.Show();
    form.setOuterSizeTwips(QSize(3000, 1920));
    EXPECT_EQ(form.outerSizeTwips(), QSize(3000, 1920));
    form.Unload();
}

namespace {

// Posts an event that counts itself when handled.
void postCounted(QObject* context, int& handled)
{
    QMetaObject::invokeMethod(context, [&handled] { ++handled; }, Qt::QueuedConnection);
}

} // namespace

TEST(DoEvents, WithoutASliceEveryCallHandlesWhatIsPending)
{
    const DoEventsSliceFor none(std::chrono::microseconds(0));
    QObject context;
    int handled = 0;
    for (int call = 1; call <= 3; ++call) {
        postCounted(&context, handled);
        DoEvents();
        EXPECT_EQ(handled, call);
    }
}

TEST(DoEvents, WithinTheSliceACallReturnsAtOnceAndTheNextPassHandlesTheEvent)
{
    constexpr auto kSlice = std::chrono::milliseconds(100);
    const DoEventsSliceFor slice(kSlice);
    QObject context;
    int handled = 0;
    QTest::qWait(110);   // the slice since any earlier pass is over
    const auto passStarted = std::chrono::steady_clock::now();
    DoEvents();
    postCounted(&context, handled);
    DoEvents();
    EXPECT_EQ(handled, 0);

    // A busy caller: handled at the first call once the slice is over, never before.
    const auto deadline = passStarted + std::chrono::seconds(5);
    while (handled == 0 && std::chrono::steady_clock::now() < deadline)
        DoEvents();
    EXPECT_EQ(handled, 1);
    EXPECT_GE(std::chrono::steady_clock::now() - passStarted, kSlice);
}
