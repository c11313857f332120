#include "platform/forms/UserControl.h"

#include "platform/forms/StoredDesign.h"

namespace forms {

UserControl::UserControl(QWidget* parent) : QWidget(parent) {}

void UserControl::site(const StoredDesign& hostDesign, const QString& name, int index)
{
    const PropertyBag& stored = hostDesign.control(name, index);
    setObjectName(index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(index));
    placeFromDesign(this, stored);
    initialize(stored);
}

void UserControl::initialize(const PropertyBag& stored)
{
    UserControl_Initialize();
    m_initialized = true;
    UserControl_ReadProperties(stored);
    UserControl_Resize();
}

PropertyBag UserControl::storedProperties()
{
    PropertyBag bag;
    UserControl_WriteProperties(bag);
    return bag;
}

void UserControl::UserControl_ReadProperties(const PropertyBag&) {}
void UserControl::UserControl_WriteProperties(PropertyBag&) {}

void UserControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_initialized)
        UserControl_Resize();
}

} // namespace forms
