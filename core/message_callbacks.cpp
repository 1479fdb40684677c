#include "core/message_callbacks.h"

#include "shell_base/log.h"
#include "shell_base/shell_memory.h"

CursorList::Node* MessageCallbackList::FindPair(uint32_t messageId, MessageCallback callback, int32_t* index) const {
    int32_t i = 0;
    for (CursorList::Node* node = m_list.HeadNode(); node; node = node->next, ++i) {
        const Entry* entry = EntryOf(node);
        if (entry->callback && entry->callback == callback && entry->messageId == messageId) {
            *index = i;
            return node;
        }
    }
    return nullptr;
}

void MessageCallbackList::AddMessageCallback(uint32_t messageId, MessageCallback callback) {
    if (!callback) return;
    int32_t index = 0;
    if (FindPair(messageId, callback, &index)) {
        LogNotice("Duplicate message callback! MsgID = %d", static_cast<int>(messageId));
        return;
    }
    Entry* entry = static_cast<Entry*>(ShellAlloc(sizeof(Entry)));
    if (!entry) return;
    entry->messageId = messageId;
    entry->callback = callback;
    if (!m_list.Append(entry)) ShellFree(entry);
}

void MessageCallbackList::RemoveMessageCallback(uint32_t messageId, MessageCallback callback) {
    int32_t index = 0;
    CursorList::Node* node = FindPair(messageId, callback, &index);
    if (!node) return;
    if (m_dispatchDepth > 0) {
        // A dispatch may be standing on this node: keep it linked until the walk ends.
        EntryOf(node)->callback = nullptr;
        ++m_removed;
        return;
    }
    ShellFree(node->element);
    m_list.SetPosition(node, index);
    m_list.RemoveCurrent();
}

void MessageCallbackList::DispatchMessageCallbacks(uint32_t messageId, uintptr_t wParam, uintptr_t lParam) {
    if (m_list.Count() == 0) {
        m_list.SetPosition(nullptr, -1);
        return;
    }
    // Entries appended by the callbacks come after this node and are not
    // offered this message.
    const CursorList::Node* last = m_list.TailNode();
    ++m_dispatchDepth;
    for (const CursorList::Node* node = m_list.HeadNode(); node; node = node->next) {
        const Entry* entry = EntryOf(node);
        if (entry->callback && entry->messageId == messageId) entry->callback(wParam, lParam);
        if (node == last) break;
    }
    if (--m_dispatchDepth == 0 && m_removed > 0) PurgeRemoved();
}

void MessageCallbackList::PurgeRemoved() {
    int32_t index = 0;
    CursorList::Node* node = m_list.HeadNode();
    while (node) {
        CursorList::Node* next = node->next;
        if (!EntryOf(node)->callback) {
            ShellFree(node->element);
            m_list.SetPosition(node, index);
            m_list.RemoveCurrent();
        } else {
            ++index;
        }
        node = next;
    }
    m_removed = 0;
}

void MessageCallbackList::ClearMessageCallbacks() {
    if (m_dispatchDepth > 0) {
        for (CursorList::Node* node = m_list.HeadNode(); node; node = node->next) {
            Entry* entry = EntryOf(node);
            if (entry->callback) {
                entry->callback = nullptr;
                ++m_removed;
            }
        }
        return;
    }
    for (CursorList::Node* node = m_list.HeadNode(); node; node = node->next) ShellFree(node->element);
    m_list.Empty();
    m_removed = 0;
}
