// Circular doubly linked list with a sentinel node; the buckets of WMap.
// The sentinel lives inside the list, so an empty list (most buckets) allocates nothing.
#pragma once

template <class T, class TRef>
class WList {
public:
    struct Node {
        Node* next;
        Node* prev;
        T item;
    };

    class Iterator {
    public:
        explicit Iterator(WList* list) : m_list(list), m_current(list->m_head), m_removed(0) {}
        virtual ~Iterator() {}
        bool hasNext() const { return m_current->next != m_list->m_head; }
        T& next()
        {
            m_current = m_current->next;
            m_removed = 0;
            return m_current->item;
        }
        // Set by remove(), cleared by next().
        bool removed() const { return m_removed != 0; }
        // Unlinks the item last returned by next(); a following next() continues after it.
        // Before the first next(), or once more after a remove(), there is no such item and
        // nothing happens: the node in hand is then the sentinel or a live neighbour.
        T remove()
        {
            if (m_removed || m_current == m_list->m_head)
                return T();
            m_removed = 1;
            Node* gone = m_current;
            m_current = gone->prev;
            m_current->next = gone->next;
            gone->next->prev = m_current;
            T copy = gone->item;
            delete gone;
            m_list->m_count--;
            return copy;
        }

    private:
        WList* m_list;
        Node* m_current;
        int m_removed;
    };

    WList() : m_head(&m_sentinel), m_count(0)
    {
        m_head->next = m_head;
        m_head->prev = m_head;
    }
    virtual ~WList() { clear(); }
    WList(const WList&) = delete;
    WList& operator=(const WList&) = delete;

    int count() const { return m_count; }
    void append(TRef item)
    {
        Node* node = new Node;
        node->item = item;
        node->prev = m_head->prev;
        node->next = m_head;
        m_head->prev->next = node;
        m_head->prev = node;
        m_count++;
    }
    T& last() { return m_head->prev->item; }
    void clear()
    {
        while (m_count > 0) {
            Node* first = m_head->next;
            m_head->next = first->next;
            first->next->prev = m_head;
            delete first;
            m_count--;
        }
    }

private:
    Node m_sentinel;
    Node* m_head;
    int m_count;
};
