// Ordered list of WString values with a fixed grow-by-half and shrink-with-spare-of-4 policy.
#pragma once

#include "text/WString.h"

class WString::Array {
public:
    Array();
    Array(const Array& other);
    ~Array();
    Array& operator=(const Array& other) { return assign(other); }

    int count() const { return m_count; }
    // Exposed so tests can observe the storage policy.
    int capacity() const { return m_capacity; }
    WString& at(int index) { return m_items[index]; }
    const WString& at(int index) const { return m_items[index]; }
    WString* items() { return m_items; }

    int append(const WString& item);
    // Takes over the item's block; the item is left absent.
    int append(WString&& item);
    WString takeAt(int index);
    int insertSlots(int index, int n);
    int removeRange(int index, int n);
    int resize(int n);
    // The same count and items as resize, but the storage is never exchanged for a smaller one:
    // for an array refilled again and again, such as a reader's values, which would otherwise
    // move to new storage whenever its count falls by half.
    int resizeKeepingStorage(int n);
    Array& assign(const Array& other);
    // The same result as assign, but other's items are handed over instead of copied: other
    // keeps its count, with every item absent.
    Array& assignTaking(Array& other);
    // Exchanges storage, capacity and count with other; no item is copied.
    void swap(Array& other);
    WString join(const WString& separator) const;

private:
    WString* m_items;
    int m_capacity;
    int m_count;
};
