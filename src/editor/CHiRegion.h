// One coloured range of a colouring run.
#pragma once

#include <cstdint>

struct CHiRegion {
    std::int32_t bold = 0;      // 1 bold, 0 not bold
    std::int32_t start = 0;     // first character position
    std::int32_t end = 0;       // last character position, inclusive
    std::uint32_t colour = 0;   // colour reference 0x00BBGGRR
    std::int32_t element = 0;   // the colour element the range was given

    virtual ~CHiRegion() = default;
    CHiRegion() = default;
    CHiRegion(std::int32_t b, std::int32_t s, std::int32_t e, std::uint32_t c, std::int32_t el)
        : bold(b), start(s), end(e), colour(c), element(el)
    {
    }
    CHiRegion(const CHiRegion&) = default;
    CHiRegion& operator=(const CHiRegion&) = default;
};
