// MessageCallbackList: the window-message callbacks that modules register
// through "APP". While the host pumps the main window's queue, every message
// is first offered here: each callback registered for its message id is called
// with the message's wParam and lParam, in registration order.
//
// The list has no lock; its owner ("APP") calls it under its own lock. A
// callback may add or remove callbacks (itself included) while a dispatch is
// walking the list: a removed entry is only marked and is unlinked and freed
// once the outermost dispatch ends, and an entry added during a dispatch is
// not offered the message being dispatched (the walk ends at the entry that
// was last when it began), so a callback that re-registers itself cannot
// make a dispatch run forever.
#pragma once

#include "files/cursor_list.h"
#include "varn/app.h"

#include <cstdint>

class MessageCallbackList {
public:
    MessageCallbackList() = default;
    ~MessageCallbackList() { ClearMessageCallbacks(); }
    MessageCallbackList(const MessageCallbackList&) = delete;
    MessageCallbackList& operator=(const MessageCallbackList&) = delete;

    // Appends the pair unless it is registered already (then the notice
    // "Duplicate message callback! MsgID = %d"). A null callback, or a
    // failed allocation, adds nothing.
    void AddMessageCallback(uint32_t messageId, MessageCallback callback);
    // Removes the pair if it is registered.
    void RemoveMessageCallback(uint32_t messageId, MessageCallback callback);
    // Calls every callback registered for messageId with (wParam, lParam).
    void DispatchMessageCallbacks(uint32_t messageId, uintptr_t wParam, uintptr_t lParam);
    // Number of registered pairs (entries removed during a dispatch no longer count).
    int32_t GetMessageCallbackCount() const { return m_list.Count() - m_removed; }
    // Frees every entry and node (during a dispatch: removes every entry).
    void ClearMessageCallbacks();
    // A dispatch is walking the list: the list must not be destroyed now.
    bool IsDispatching() const { return m_dispatchDepth > 0; }

private:
    struct Entry {
        uint32_t messageId;
        MessageCallback callback;  // null once removed during a dispatch
    };

    static Entry* EntryOf(const CursorList::Node* node) { return static_cast<Entry*>(node->element); }
    // The node of the live entry (id, callback) and its index, or null.
    CursorList::Node* FindPair(uint32_t messageId, MessageCallback callback, int32_t* index) const;
    // Unlinks and frees the entries removed during the dispatch that ended.
    void PurgeRemoved();

    CursorList m_list;
    int32_t m_removed = 0;        // entries marked removed, still linked
    int32_t m_dispatchDepth = 0;  // nested dispatches walking the list
};
