#pragma once

class QApplication;

namespace forms {

// Sets the process's locale to Japanese whatever the environment says, so that Qt's own dialogs
// (dates and names in the file dialog) read as the rest of the interface. Call it before the
// application object is made: Qt reads the system locale from the environment once.
void useJapaneseLocale();

// Makes the Windows font names the forms use ("ＭＳ Ｐゴシック", "ＭＳ ゴシック" and their
// English names) resolve to installed Japanese fonts (IPA, then Noto CJK) and loads Qt's own
// Japanese translations so that standard dialogs and buttons speak Japanese; Japanese becomes
// the default locale of widgets that format numbers or dates. Returns false when the
// translations could not be loaded (the rest is done all the same). Calling it again installs
// nothing more.
bool installJapaneseUi(QApplication& app);

} // namespace forms
