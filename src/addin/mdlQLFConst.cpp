#include "src/addin/mdlQLFConst.h"

namespace mdlQLFConst {

namespace {
std::shared_ptr<clsCOMPerson> m_objCreator;
}

QString getAddinName()
{
    return QStringLiteral("Tarvelin");
}

QString getAddinVersion()
{
    return QStringLiteral("0.1.0");
}

std::shared_ptr<clsCOMPerson> getCreator()
{
    if (!m_objCreator) {
        m_objCreator = std::make_shared<clsCOMPerson>();
        m_objCreator->setName(QStringLiteral("Tarvelin Project"));
        m_objCreator->setHN(QStringLiteral("tarvelin"));
        m_objCreator->setHPAddress(QStringLiteral("https://tarvelin.example.org/"));
        m_objCreator->setEmailAddress(QStringLiteral("contact@tarvelin.example.org"));
    }
    return m_objCreator;
}

} // namespace mdlQLFConst
