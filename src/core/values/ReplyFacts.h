// What showing a reply needs that costs a pass over its items, found on the
// worker that decoded it, so that the window's thread does the same work for
// a reply of ten rows or of millions: the reply's size as a message, the
// extremes of every numeric column the grid will show, and the row index
// column a list is shown with.
//
//   auto facts = ReplyFacts::of(reply);          // worker thread
//   ...                                            // delivered with the reply
//   if (facts->isOf(reply)) grid.setValue(reply, ..., facts);   // window's thread
//
// The facts name the reply's columns by address: they are only meaningful
// while the reply they were found for is alive, and isOf() tells that reply.
#pragma once

#include "core/values/ColumnExtremes.h"

#include "kdb/KPtr.h"
#include "kdb/k.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class ReplyFacts {
public:
    static std::shared_ptr<const ReplyFacts> of(K reply);

    bool isOf(K reply) const { return reply && reply == m_reply; }
    // Bytes of the reply written as an IPC message (header included); -1
    // when it cannot be written.
    std::int64_t messageSize() const { return m_messageSize; }
    // The extremes of one of the reply's columns; null for a vector that is
    // not one of them or not numeric.
    const ColumnExtremes::Found* extremes(K column) const;
    // For a list reply: the int vector 0 .. n-1 it is shown beside; else null.
    K listIndex() const { return m_listIndex.get(); }

private:
    void addColumn(K column);
    void addColumns(K value); // a table's columns, or a vector itself

    K m_reply = nullptr;
    std::int64_t m_messageSize = -1;
    std::vector<std::pair<K, ColumnExtremes::Found>> m_columns;
    KPtr m_listIndex;
};
