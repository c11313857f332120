#include "platform/addin/AddinDesigner.h"

namespace addin {

AddinDesigner::~AddinDesigner() = default;

COMAddIn::COMAddIn(QString progId, QString description)
    : m_progId(std::move(progId)), m_description(std::move(description))
{
}

COMAddIn::~COMAddIn() = default;

} // namespace addin
