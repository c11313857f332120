#include "platform/word/Dialogs.h"

#include "platform/word/WordError.h"

namespace word {

DialogPtr Dialogs::Item(int id) const
{
    auto it = m_items.find(id);
    if (it == m_items.end())
        throw wordError(NoSuchMember);
    return it->second;
}

void Dialogs::install(int id, Dialog::Presenter presenter)
{
    m_items[id] = std::make_shared<Dialog>(std::move(presenter));
}

} // namespace word
