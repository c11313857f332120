#pragma once

class QApplication;

namespace forms {

// Makes the Windows font names the forms use ("ＭＳ Ｐゴシック", "ＭＳ ゴシック" and their
// English names) resolve to installed Japanese fonts (IPA, then Noto CJK) and loads Qt's own
// Japanese translations so that standard dialogs and buttons speak Japanese. Returns false when
// the translations could not be loaded (the fonts are substituted all the same). Calling it
// again installs nothing more.
bool installJapaneseUi(QApplication& app);

} // namespace forms
