#include "files/cursor_list.h"

#include "shell_base/shell_memory.h"

int CursorList::Append(void* element) {
    Node* node = static_cast<Node*>(ShellAlloc(sizeof(Node)));
    if (!node) return 0;
    AppendNode(node, element);
    return 1;
}

void CursorList::AppendNode(Node* node, void* element) {
    node->next = nullptr;
    node->previous = m_tail;
    node->element = element;
    if (m_tail)
        m_tail->next = node;
    else
        m_head = node;
    m_tail = node;
    m_current = node;
    m_currentIndex = m_count;
    ++m_count;
}

void CursorList::RemoveCurrent() {
    if (Node* node = UnlinkCurrent()) ShellFree(node);
}

CursorList::Node* CursorList::UnlinkCurrent() {
    Node* node = m_current;
    if (!node) return nullptr;
    if (node->previous)
        node->previous->next = node->next;
    else
        m_head = node->next;
    if (node->next)
        node->next->previous = node->previous;
    else
        m_tail = node->previous;

    if (node->next) {
        m_current = node->next;  // same index
    } else {
        m_current = node->previous;
        m_currentIndex = m_current ? m_currentIndex - 1 : -1;
    }
    --m_count;
    return node;
}

void CursorList::Forget() {
    m_head = m_tail = m_current = nullptr;
    m_count = 0;
    m_currentIndex = -1;
}

void CursorList::Empty() {
    Node* node = m_head;
    while (node) {
        Node* next = node->next;
        ShellFree(node);
        node = next;
    }
    m_head = m_tail = m_current = nullptr;
    m_count = 0;
    m_currentIndex = -1;
}

void* CursorList::First() {
    m_current = m_head;
    m_currentIndex = m_head ? 0 : -1;
    return Current();
}

void* CursorList::Next() {
    if (!m_current) return nullptr;
    m_current = m_current->next;
    m_currentIndex = m_current ? m_currentIndex + 1 : -1;
    return Current();
}

void* CursorList::MoveTo(int32_t index) {
    m_current = NodeAt(index);
    m_currentIndex = m_current ? index : -1;
    return Current();
}

CursorList::Node* CursorList::NodeAt(int32_t index) const {
    if (index < 0 || index >= m_count) return nullptr;
    Node* node = m_head;
    for (int32_t i = 0; i < index && node; ++i) node = node->next;
    return node;
}
