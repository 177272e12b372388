// Chained hash map keyed by WString with a fixed bucket count and a signed-byte hash.
// The buckets are allocated with the first entry: most buttons' option maps stay empty.
#pragma once

#include "text/WList.h"
#include "text/WString.h"

// h = h * 3 + (signed) byte, modulo 2^32.
unsigned hashString(const char* key);

template <class Value>
struct WMapDefault {
    static Value make() { return Value(); }
};
template <class V>
struct WMapDefault<V*> {
    static V* make() { return nullptr; }
};

template <class Key, class KeyArg, class Value, class ValueArg>
class WMap {
public:
    struct Entry {
        Key key;
        Value value = WMapDefault<Value>::make();
    };
    typedef WList<Entry, Entry&> Bucket;

    class Iterator {
    public:
        explicit Iterator(WMap* map) : m_map(map), m_bucket(0), m_list(&map->buckets()[0]) {}
        virtual ~Iterator() {}
        bool hasNext()
        {
            advance();
            return m_list.hasNext();
        }
        void next(Key& key, Value& value)
        {
            advance();
            Entry& e = m_list.next();
            key = e.key;
            value = e.value;
        }

    private:
        void advance()
        {
            while (!m_list.hasNext() && m_bucket < (int)m_map->m_bucketCount - 1) {
                m_bucket++;
                m_list = typename Bucket::Iterator(&m_map->m_buckets[m_bucket]);
            }
        }
        WMap* m_map;
        int m_bucket;
        typename Bucket::Iterator m_list;
    };

    explicit WMap(unsigned bucketCount = 31)
        : m_bucketCount(bucketCount), m_buckets(nullptr), m_count(0)
    {
    }
    virtual ~WMap()
    {
        clear();
        delete[] m_buckets;
    }
    WMap(const WMap&) = delete;
    WMap& operator=(const WMap&) = delete;

    unsigned bucketCount() const { return m_bucketCount; }
    int count() const { return m_count; }
    unsigned bucketOf(KeyArg key) const { return hashString(key) % m_bucketCount; }
    Bucket& bucket(unsigned index) { return buckets()[index]; }

    bool get(KeyArg key, Value& out) const
    {
        Entry* e = find(key);
        if (!e)
            return false;
        out = e->value;
        return true;
    }
    // The value stored under key, or null; nothing is copied.
    Value* valueOf(KeyArg key) const
    {
        Entry* e = find(key);
        return e ? &e->value : nullptr;
    }
    void set(KeyArg key, ValueArg value)
    {
        Entry* e = find(key);
        if (e) {
            e->value = value;
            return;
        }
        Entry fresh;
        fresh.key = key;
        fresh.value = value;
        buckets()[bucketOf(key)].append(fresh);
        m_count++;
    }
    Value& getOrCreate(KeyArg key)
    {
        Entry* e = find(key);
        if (e)
            return e->value;
        Entry fresh;
        fresh.key = key;
        Bucket& b = buckets()[bucketOf(key)];
        b.append(fresh);
        m_count++;
        return b.last().value;
    }
    void remove(KeyArg key)
    {
        if (!m_buckets)
            return;
        typename Bucket::Iterator it(&m_buckets[bucketOf(key)]);
        while (it.hasNext()) {
            if (it.next().key == key) {
                it.remove();
                m_count--;
                return;
            }
        }
    }
    void clear()
    {
        if (m_buckets) {
            for (unsigned i = 0; i < m_bucketCount; i++)
                m_buckets[i].clear();
        }
        m_count = 0;
    }

private:
    Bucket* buckets()
    {
        if (!m_buckets)
            m_buckets = new Bucket[m_bucketCount];
        return m_buckets;
    }
    Entry* find(KeyArg key) const
    {
        if (!m_buckets)
            return nullptr;
        typename Bucket::Iterator it(&m_buckets[bucketOf(key)]);
        while (it.hasNext()) {
            Entry& e = it.next();
            if (e.key == key)
                return &e;
        }
        return nullptr;
    }

    unsigned m_bucketCount;
    Bucket* m_buckets;
    int m_count;
};
