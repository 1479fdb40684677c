// CursorList: the doubly linked list with an embedded current position used by
// the registry, the module loader, the message callbacks, the file manager and
// the INI library. The list owns its nodes (allocated through the service
// access layer) but never frees the elements.
#pragma once

#include "files/rotating_find.h"

#include <cstdint>

class CursorList {
public:
    struct Node {
        Node* next;
        Node* previous;
        void* element;
    };

    CursorList() = default;
    ~CursorList() { Empty(); }
    CursorList(const CursorList&) = delete;
    CursorList& operator=(const CursorList&) = delete;

    // Links a new node after the tail and makes it current. 0 when the node
    // cannot be allocated (the list is unchanged), 1 otherwise.
    int Append(void* element);

    // Unlinks the current node. When it was the tail its predecessor becomes
    // current (index - 1); otherwise the successor becomes current at the same
    // index. Nothing happens when there is no current node.
    void RemoveCurrent();

    // Frees every node; no current node, index -1.
    void Empty();

    int32_t Count() const { return m_count; }
    int32_t CurrentIndex() const { return m_currentIndex; }
    Node* CurrentNode() const { return m_current; }
    Node* HeadNode() const { return m_head; }
    Node* TailNode() const { return m_tail; }
    void* Current() const { return m_current ? m_current->element : nullptr; }

    // Iteration through the current position: First() moves to the head,
    // Next() to the successor; both return the element there (null at the end,
    // where the position becomes none).
    void* First();
    void* Next();
    // Moves the position to the index-th node (none for an index out of range).
    void* MoveTo(int32_t index);
    // Nodes the caller provides and takes back itself, for a user of many
    // small lists that keeps its nodes in blocks (a document of thousands of
    // sections): AppendNode links node as Append would; UnlinkCurrent unlinks
    // the current node as RemoveCurrent does but returns it instead of freeing
    // it; Forget drops every node without freeing any. A list that holds such
    // nodes must be emptied with Forget, never with Empty.
    void AppendNode(Node* node, void* element);
    Node* UnlinkCurrent();
    void Forget();
    // Places the position on a node the caller knows to be the index-th (none
    // for a null node), for callers that keep their own index of the nodes.
    void SetPosition(Node* node, int32_t index) {
        m_current = node;
        m_currentIndex = node ? index : -1;
    }

    // The keyed look-up. Finds nothing in an empty list or for an empty key
    // and then leaves the position alone. Otherwise starts at the current node
    // (the head when there is none), walks to the tail, wraps to the head and
    // stops before the start; nodes with a null element are skipped. A hit
    // leaves the position on the matching node, a miss sets it to none (-1).
    template <class Match>
    bool Find(bool keyIsEmpty, Match match) {
        if (m_count == 0 || keyIsEmpty) return false;
        if (!m_current) {
            m_current = m_head;
            m_currentIndex = 0;
        }
        Walker<Match> walker{this, nullptr, match};
        int found = RotatingFind(walker, m_count, m_currentIndex);
        if (found < 0) {
            m_current = nullptr;
            m_currentIndex = -1;
            return false;
        }
        m_current = walker.node;
        m_currentIndex = found;
        return true;
    }

private:
    template <class Match>
    struct Walker {
        CursorList* list;
        Node* node;
        Match& match;
        void Seek(int index) { node = index == list->m_currentIndex ? list->m_current : list->NodeAt(index); }
        void Next() { node = node ? node->next : nullptr; }
        bool Matches() { return node && node->element && match(node->element); }
    };

    Node* NodeAt(int32_t index) const;

    Node* m_current = nullptr;
    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    int32_t m_count = 0;
    int32_t m_currentIndex = -1;
};
