#include "platform/forms/JapaneseUi.h"

#include <QApplication>
#include <QFont>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace forms {

namespace {

// Qt's Japanese catalogue lacks the kinds of entry the file dialog lists (their context was
// renamed in Qt 6), so "Folder" showed in English among Japanese texts.
class FileKindTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        static const QHash<QByteArray, QString> kinds{{"Drive", QStringLiteral("ドライブ")},
                                                     {"Folder", QStringLiteral("フォルダー")},
                                                     {"Shortcut", QStringLiteral("ショートカット")},
                                                     {"Unknown", QStringLiteral("不明")}};
        return kinds.value(sourceText);
    }
    bool isEmpty() const override { return false; }
};

} // namespace

void useJapaneseLocale()
{
    // LC_ALL outranks every other locale variable the environment may set.
    qputenv("LC_ALL", "ja_JP.UTF-8");
    qputenv("LANGUAGE", "ja");
}

bool installJapaneseUi(QApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    const QStringList proportional{QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
    const QStringList fixed{QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), proportional);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), proportional);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), fixed);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), fixed);

    static const QString name = QStringLiteral("qtbase_ja");
    if (app.findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly))
        return true;
    QCoreApplication::installTranslator(new FileKindTranslator(&app));
    auto* translator = new QTranslator(&app);
    translator->setObjectName(name);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace forms
