// A window that shows q text and can be coloured: the colouriser reads its
// text and paints ranges of it. Positions are characters of text().
#pragma once

#include <QString>

#include <cstdint>

class CHiTarget {
public:
    virtual ~CHiTarget() = default;
    virtual QString text() const = 0;
    // Text colour and weight of the characters start..end (inclusive).
    virtual void setTextStyle(int start, int end, std::uint32_t colour, bool bold) = 0;
    // Background of start..end (inclusive); reset returns it to automatic.
    virtual void setBackground(int start, int end, std::uint32_t colour, bool reset) = 0;
    // Held around a batch of changes so the window neither redraws nor scrolls.
    virtual void beginBatch() {}
    virtual void endBatch() {}
};
