#pragma once

#include <deque>
#include <mutex>

// Items passed from one thread to another in order, under a lock of their own. A queued Qt call
// then only says that an item waits: Qt hands its own events over under locks that the thread
// sanitizer cannot see, as Debian's Qt is not built for it.
template<typename Item>
class HandOver
{
public:
    void push(Item item)
    {
        const std::lock_guard lock(m_mutex);
        m_items.push_back(std::move(item));
    }

    // A default Item when none waits.
    Item take()
    {
        const std::lock_guard lock(m_mutex);
        if (m_items.empty())
            return {};
        Item item = std::move(m_items.front());
        m_items.pop_front();
        return item;
    }

private:
    std::mutex m_mutex;
    std::deque<Item> m_items;
};
