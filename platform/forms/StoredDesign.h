#pragma once

#include "platform/forms/PropertyBag.h"

#include <QHash>
#include <QList>
#include <QString>

class QWidget;

namespace forms {

// A form's stored design: the form's own properties and, per control, the control's stored
// properties (geometry in twips, placeholder captions, a user control's design values).
// Designs are JSON resources compiled into the binary:
//   { "caption": "Find", "clientwidth": 5775, "clientheight": 5640,
//     "controls": { "lblText": { "left": 120, ... }, "btnColor": [ { ... }, ... ] } }
// A control array is a JSON array; its elements are the indices from 0.
class StoredDesign {
public:
    StoredDesign() = default;
    // Loads a design, e.g. load(":/designs/frmQLFFind.json"). Throws 53 when it is missing and
    // 321 when it is not a design.
    static StoredDesign load(const QString& path);
    static StoredDesign fromJson(const QJsonObject& object);

    // The form's own properties.
    const PropertyBag& form() const { return m_form; }
    bool hasControl(const QString& name, int index = -1) const;
    // The control's stored properties (index for a control array element); throws 9 when the
    // design has no such control.
    const PropertyBag& control(const QString& name, int index = -1) const;

private:
    static QString key(const QString& name, int index);

    PropertyBag m_form;
    QHash<QString, PropertyBag> m_controls;   // by case-folded name, "name(index)" for arrays
};

// Sets a widget's geometry from the design's "left", "top", "width" and "height" (twips);
// "_extentx"/"_extenty" (HIMETRIC, a user control's extent) stand in for a missing width/height.
void placeFromDesign(QWidget* widget, const PropertyBag& design);

} // namespace forms
