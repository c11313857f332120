#pragma once

#include "platform/forms/StoredDesign.h"

#include <QPointer>
#include <QWidget>

#include <chrono>

class QAbstractButton;
class QEventLoop;
class QWindow;

namespace forms {

// How Show displays a form.
enum ShowMode { vbModeless = 0, vbModal = 1 };

// Where a form first appears (the design's "startupposition").
enum StartUpPosition { StartUpManual = 0, StartUpCenterOwner = 1, StartUpCenterScreen = 2, StartUpWindowsDefault = 3 };

// Why a form is being unloaded (the unloadMode of Form_QueryUnload).
enum UnloadMode { vbFormControlMenu = 0, vbFormCode = 1 };

// A window of the add-in with the VB form lifecycle. Load builds the controls (createControls)
// and runs Form_Load once, without showing; Show loads implicitly and, when modal, returns once
// the form is hidden or unloaded; Unload asks Form_QueryUnload and Form_Unload and, unless one
// of them cancels, destroys the controls, so a later Load starts afresh. The close box asks
// Form_QueryUnload with vbFormControlMenu. Members of the subclass keep their values across
// an unload, as a form module's variables do.
class Form : public QWidget {
    Q_OBJECT
public:
    // Sizable: a sizable window with minimise and maximise boxes. Fixed: a dialog frame of fixed
    // client size without them. Both are owned windows (see setFormOwner).
    enum class Border { Sizable, Fixed };

    // designPath names the stored design resource (empty for a form without one).
    explicit Form(QString designPath, Border border = Border::Sizable, QWidget* owner = nullptr);
    ~Form() override;

    void Load();
    // Throws 400 for a modal Show of a form that is already visible.
    void Show(int mode = vbModeless);
    void Hide();
    void Unload();
    bool isLoaded() const { return m_loaded; }

    // Outer size of the window (frame included) and client size, in twips.
    QSize outerSizeTwips() const;
    void setOuterSizeTwips(QSize twips);
    QSize clientSizeTwips() const;

    // The stored design, read on the first Load: "caption", "clientwidth" and "clientheight"
    // (twips) and "startupposition" of the form apply at every load.
    const StoredDesign& design() const { return m_design; }

    void setVisible(bool visible) override;

protected:
    // Builds the child controls; runs at every load, before Form_Load.
    virtual void createControls() {}
    virtual void Form_Load() {}
    virtual void Form_QueryUnload(int& cancel, int unloadMode);
    virtual void Form_Unload(int& cancel);
    virtual void Form_Resize() {}

    // Enter clicks the default button and Esc the cancel button, as on a VB form.
    void setDefaultButton(QAbstractButton* button);
    void setCancelButton(QAbstractButton* button);

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void placeAtStartUp(int position);
    bool mayUnload(int unloadMode);
    void destroyControls();

    QString m_designPath;
    Border m_border;
    StoredDesign m_design;
    bool m_designRead = false;
    bool m_loaded = false;
    QEventLoop* m_modalLoop = nullptr;
    QPointer<QAbstractButton> m_defaultButton;
    QPointer<QAbstractButton> m_cancelButton;
};

// The window that owns every form without a parent widget: such a form stays above the host's
// windows (and below other programs') as an owned tool window does. Null: forms are unowned.
void setFormOwner(QWindow* owner);
QWindow* formOwner();

// Lets window messages through (VB's DoEvents). A search calls it once per hit, so it is
// time-sliced: a call processes every pending event only when at least doEventsSlice() has
// passed since the end of the last such pass, and otherwise returns at once (one clock read).
// A click or posted event is therefore handled within one slice of a busy caller.
void DoEvents();

// The slice of DoEvents; 2 ms by default. A slice of 0 makes every call a full pass.
std::chrono::microseconds doEventsSlice();
void setDoEventsSlice(std::chrono::microseconds slice);

} // namespace forms
