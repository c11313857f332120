#include "platform/forms/CommonDialog.h"

#include "platform/forms/Colors.h"
#include "platform/forms/FormsError.h"

#include <QColorDialog>

namespace forms {

void CommonDialog::ShowColor()
{
    QColorDialog dialog(colorFromColorref(m_color), m_owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() == QDialog::Accepted)
        m_color = colorrefFromColor(dialog.selectedColor());
    else if (m_cancelError)
        throw formsError(CancelSelected, QStringLiteral("CommonDialog"));
}

} // namespace forms
