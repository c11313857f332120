#include "src/results/mdlQLFCode2String.h"

#include "platform/core/Error.h"

#include <QStringList>

namespace mdlQLFCode2String {

namespace {

const QString kStoryTypeNames = QStringLiteral(
    ",メイン文書,脚注,文末脚注,コメント,メイン文書のテキストボックス,ヘッダーとフッター,ヘッダーとフッター,"
    "ヘッダーとフッター,ヘッダーとフッター,ヘッダーとフッター,ヘッダーとフッター,脚注,脚注,脚注,文末脚注,文末脚注,文末脚注");

QStringList m_strStoryTypeNames;
bool m_blnStoryTypeNamesLoaded = false;

} // namespace

QString storyType2String(int32_t code)
{
    if (!m_blnStoryTypeNamesLoaded) {
        m_strStoryTypeNames = kStoryTypeNames.split(QLatin1Char(','));
        m_blnStoryTypeNamesLoaded = true;
    }
    if (code < 0 || code >= m_strStoryTypeNames.size())
        throw core::runtimeError(core::SubscriptOutOfRange, QStringLiteral("QLF"));
    return m_strStoryTypeNames.at(code);
}

} // namespace mdlQLFCode2String
