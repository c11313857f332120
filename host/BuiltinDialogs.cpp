#include "host/BuiltinDialogs.h"

#include "host/FuzzyOptionsDialog.h"
#include "platform/word/Application.h"
#include "platform/word/Dialogs.h"

namespace host {

void installBuiltinDialogs(word::Application& app, QWidget* parent)
{
    app.Dialogs()->install(word::wdDialogToolsOptionsFuzzy, [&app, parent] {
        FuzzyOptionsDialog dialog(app.fuzzyOptions(), parent);
        return dialog.Show();
    });
}

} // namespace host
