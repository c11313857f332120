#pragma once

#include "platform/forms/PropertyBag.h"

#include <QWidget>

namespace forms {

class StoredDesign;

// A composite control with stored design properties. Its host creates it, then calls site():
// UserControl_Initialize runs, then UserControl_ReadProperties with the control's entry in the
// host's stored design. Events are Qt signals of the subclass.
class UserControl : public QWidget {
    Q_OBJECT
public:
    explicit UserControl(QWidget* parent = nullptr);

    // Names the control, places it from its stored design (left/top in twips, extent in
    // HIMETRIC or width/height in twips) and runs Initialize and ReadProperties on that entry.
    // Throws 9 when the design has no such control.
    void site(const StoredDesign& hostDesign, const QString& name, int index = -1);
    // Initialize, then ReadProperties on the given bag (a control placed in code).
    void initialize(const PropertyBag& stored);
    // A fresh bag filled by UserControl_WriteProperties (what saving the host's design stores).
    PropertyBag storedProperties();

protected:
    virtual void UserControl_Initialize() {}
    virtual void UserControl_ReadProperties(const PropertyBag& bag);
    virtual void UserControl_WriteProperties(PropertyBag& bag);
    virtual void UserControl_Resize() {}

    void resizeEvent(QResizeEvent* event) override;

private:
    bool m_initialized = false;
};

} // namespace forms
