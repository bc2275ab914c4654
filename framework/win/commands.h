// Command routing with update handlers: one table per window class names, for each
// command id, the handler and the functions that decide whether the command is
// enabled and checked. Menus are updated from the table when they open, and a
// command that arrives while disabled (through an accelerator) is refused.
//
//   static const fw::CommandMap<Frame> map = fw::CommandMap<Frame>()
//       .On(32781, &Frame::OnExclude, &Frame::CanExclude)
//       .On(32789, &Frame::OnToggleAuto, nullptr, &Frame::IsAutoRunning);
#pragma once

#include <windows.h>

#include <vector>

namespace fw {

// What a command's update handlers say about it.
struct CommandState {
    bool known = false;  // the table has the id
    bool enabled = false;
    bool checked = false;
};

template <class T>
class CommandMap {
public:
    using Handler = void (T::*)();
    using Predicate = bool (T::*)() const;

    CommandMap&& On(UINT id, Handler handler, Predicate enabled = nullptr, Predicate checked = nullptr) &&
    {
        entries_.push_back({id, id, handler, nullptr, enabled, checked});
        return std::move(*this);
    }
    // One handler for a range of ids (first and last included); it gets the id.
    CommandMap&& OnRange(UINT first, UINT last, void (T::*handler)(UINT), Predicate enabled = nullptr) &&
    {
        entries_.push_back({first, last, nullptr, handler, enabled, nullptr});
        return std::move(*this);
    }

    CommandState State(const T& target, UINT id) const
    {
        const Entry* e = Find(id);
        if (!e)
            return {};
        return {true, !e->enabled || (target.*e->enabled)(), e->checked && (target.*e->checked)()};
    }

    // Runs the command when the table has it. Returns true when the id is the
    // table's, whether or not it ran (a disabled command is refused).
    bool Execute(T& target, UINT id) const
    {
        const Entry* e = Find(id);
        if (!e)
            return false;
        if (e->enabled && !(target.*e->enabled)())
            return true;
        if (e->handler)
            (target.*e->handler)();
        else
            (target.*e->rangeHandler)(id);
        return true;
    }

private:
    struct Entry {
        UINT first;
        UINT last;
        Handler handler;
        void (T::*rangeHandler)(UINT);
        Predicate enabled;
        Predicate checked;
    };
    const Entry* Find(UINT id) const
    {
        for (const Entry& e : entries_)
            if (id >= e.first && id <= e.last)
                return &e;
        return nullptr;
    }
    std::vector<Entry> entries_;
};

// Applies command states to the items of a popup menu as it opens. `state` answers
// for one id; items it does not know keep their state.
template <class StateOf>
void UpdateMenuItems(HMENU popup, StateOf&& state)
{
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(popup, i);
        if (id == 0 || id == static_cast<UINT>(-1))
            continue;  // separators and sub-menus
        const CommandState s = state(id);
        if (!s.known)
            continue;
        EnableMenuItem(popup, id, MF_BYCOMMAND | (s.enabled ? MF_ENABLED : MF_GRAYED));
        CheckMenuItem(popup, id, MF_BYCOMMAND | (s.checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

}  // namespace fw
