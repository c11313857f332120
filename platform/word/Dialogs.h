#pragma once

#include "platform/core/Object.h"
#include "platform/word/Forward.h"

#include <functional>
#include <map>
#include <memory>

namespace word {

enum WdWordDialog { wdDialogToolsOptionsFuzzy = 790 };

// One of Word's built-in dialogs. Show returns -2 closed, -1 OK, 0 Cancel.
class Dialog : public core::Object {
public:
    using Presenter = std::function<int()>;
    explicit Dialog(Presenter presenter) : m_presenter(std::move(presenter)) {}
    int Show() { return m_presenter(); }

private:
    Presenter m_presenter;
};

// Word's built-in dialogs. The host, which owns the windows, installs each dialog it draws;
// asking for one that no host has installed raises 5941.
class Dialogs : public core::Object {
public:
    DialogPtr Item(int id) const;
    void install(int id, Dialog::Presenter presenter);

private:
    std::map<int, DialogPtr> m_items;
};

} // namespace word
