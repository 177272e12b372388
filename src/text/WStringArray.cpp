// WString::Array: storage grows by half (at least to count + 4) and is rebuilt with 4 spare slots
// when less than half would be used. Items change slots by handing over their blocks, so growing,
// shrinking and shifting never copy text.
#include "text/WStringArray.h"

#include <utility>

namespace {

// Spare slots added whenever new storage is sized from the item count.
const int kSpareSlots = 4;

} // namespace

WString::Array::Array() : m_items(nullptr), m_capacity(0), m_count(0) {}

WString::Array::Array(const Array& other) : m_items(nullptr), m_capacity(0), m_count(0)
{
    assign(other);
}

WString::Array::~Array()
{
    // Destroying the slots frees every item; shrinking first would only allocate.
    delete[] m_items;
    m_items = nullptr;
    m_capacity = 0;
    m_count = 0;
}

int WString::Array::append(const WString& item)
{
    // The item may live in our own storage, which insertSlots can replace.
    if (m_items && &item >= m_items && &item < m_items + m_capacity) {
        WString copy(item);
        insertSlots(m_count, 1);
        m_items[m_count - 1] = copy;
    } else {
        insertSlots(m_count, 1);
        m_items[m_count - 1] = item;
    }
    return m_count - 1;
}

int WString::Array::append(WString&& item)
{
    if (m_items && &item >= m_items && &item < m_items + m_capacity) {
        WString own(std::move(item));
        insertSlots(m_count, 1);
        m_items[m_count - 1] = std::move(own);
    } else {
        insertSlots(m_count, 1);
        m_items[m_count - 1] = std::move(item);
    }
    return m_count - 1;
}

WString WString::Array::takeAt(int index)
{
    WString item(std::move(m_items[index]));
    removeRange(index, 1);
    return item;
}

int WString::Array::insertSlots(int index, int n)
{
    int needed = m_count + n;
    if (m_capacity < needed) {
        int capacity = m_capacity + m_capacity / 2;
        if (capacity < needed + kSpareSlots)
            capacity = needed + kSpareSlots;
        WString* storage = new WString[capacity];
        for (int i = 0; i < index; i++)
            storage[i] = std::move(m_items[i]);
        for (int i = index; i < m_count; i++)
            storage[i + n] = std::move(m_items[i]);
        delete[] m_items;
        m_items = storage;
        m_capacity = capacity;
    } else {
        for (int i = m_count - 1; i >= index; i--)
            m_items[i + n] = std::move(m_items[i]);
        for (int i = index; i < index + n; i++)
            m_items[i] = static_cast<const char*>(nullptr);
    }
    m_count = needed;
    return m_count;
}

int WString::Array::removeRange(int index, int n)
{
    int remaining = m_count - n;
    if (remaining < m_capacity / 2) {
        int capacity = remaining + kSpareSlots;
        WString* storage = new WString[capacity];
        for (int i = 0; i < index; i++)
            storage[i] = std::move(m_items[i]);
        for (int i = index + n; i < m_count; i++)
            storage[i - n] = std::move(m_items[i]);
        // The removed items go with the old storage.
        delete[] m_items;
        m_items = storage;
        m_capacity = capacity;
    } else {
        for (int i = index + n; i < m_count; i++)
            m_items[i - n] = std::move(m_items[i]);
        for (int i = remaining; i < m_count; i++)
            m_items[i] = static_cast<const char*>(nullptr);
    }
    m_count = remaining;
    return m_count;
}

int WString::Array::resize(int n)
{
    if (m_count < n)
        return insertSlots(m_count, n - m_count);
    if (n < m_count)
        return removeRange(n, m_count - n);
    return m_count;
}

int WString::Array::resizeKeepingStorage(int n)
{
    if (m_count < n)
        return insertSlots(m_count, n - m_count);
    for (int i = n; i < m_count; i++)
        m_items[i] = static_cast<const char*>(nullptr);
    m_count = n;
    return m_count;
}

WString::Array& WString::Array::assign(const Array& other)
{
    if (&other == this)
        return *this;
    resize(other.m_count);
    for (int i = 0; i < m_count; i++)
        m_items[i] = other.m_items[i];
    return *this;
}

WString::Array& WString::Array::assignTaking(Array& other)
{
    if (&other == this)
        return *this;
    resize(other.m_count);
    for (int i = 0; i < m_count; i++)
        m_items[i] = std::move(other.m_items[i]);
    return *this;
}

void WString::Array::swap(Array& other)
{
    std::swap(m_items, other.m_items);
    std::swap(m_capacity, other.m_capacity);
    std::swap(m_count, other.m_count);
}

WString WString::Array::join(const WString& separator) const
{
    Array copy(*this);
    return separator.join(copy);
}
