// A window class's message map: each message (or range of messages) to one handler,
// with the arguments cracked into typed parameters (crackers.h).
//
//   const fw::MessageMap& MyWindow::Messages() const
//   {
//       static const fw::MessageMap map = fw::MessageMapFor<MyWindow>()
//           .On<WM_PAINT>(&MyWindow::OnPaint)
//           .On<WM_SIZE>(&MyWindow::OnSize)
//           .OnMessage(kMyMessage, &MyWindow::OnMyMessage);
//       return map;
//   }
#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "framework/win/crackers.h"

namespace fw {

class Window;

class MessageMap {
public:
    using Handler = std::function<LRESULT(Window&, UINT, WPARAM, LPARAM)>;

    // The handler of `message` in this map or the maps it chains to; null when none.
    const Handler* Find(UINT message) const
    {
        for (const Entry& e : entries_) {
            if (message >= e.first && message <= e.last)
                return &e.handler;
        }
        return base_ ? base_->Find(message) : nullptr;
    }

protected:
    struct Entry {
        UINT first;
        UINT last;
        Handler handler;
    };
    std::vector<Entry> entries_;
    const MessageMap* base_ = nullptr;
};

// Builds the message map of window class T.
template <class T>
class MessageMapFor : public MessageMap {
public:
    // A message with a cracker: the handler's parameters follow Crack<Message>.
    template <UINT Message, class F>
    MessageMapFor&& On(F handler) &&
    {
        entries_.push_back({Message, Message, [handler](Window& w, UINT, WPARAM wp, LPARAM lp) {
                                return Crack<Message>::Call(static_cast<T&>(w), handler, wp, lp);
                            }});
        return std::move(*this);
    }

    // A message without a cracker (private messages): the raw arguments.
    MessageMapFor&& OnMessage(UINT message, LRESULT (T::*handler)(UINT, WPARAM, LPARAM)) &&
    {
        return std::move(*this).OnRange(message, message, handler);
    }

    // A range of messages, first and last included.
    MessageMapFor&& OnRange(UINT first, UINT last, LRESULT (T::*handler)(UINT, WPARAM, LPARAM)) &&
    {
        entries_.push_back({first, last, [handler](Window& w, UINT message, WPARAM wp, LPARAM lp) {
                                return (static_cast<T&>(w).*handler)(message, wp, lp);
                            }});
        return std::move(*this);
    }

    // Messages this map does not name are looked up in `base` (a base class's map).
    MessageMapFor&& Chain(const MessageMap& base) &&
    {
        base_ = &base;
        return std::move(*this);
    }
};

}  // namespace fw
