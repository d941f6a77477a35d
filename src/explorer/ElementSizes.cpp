#include "explorer/ElementSizes.h"

#include <QLatin1StringView>

namespace {
// Index = type code 0..19; 0 = none (general lists, code 3).
constexpr int kSizes[20] = {0, 1, 16, 0, 1, 2, 4, 8, 4, 8, 1, 4, 8, 4, 4, 8, 8, 4, 4, 4};
// The meta letters in type-code order: the letter at code n is the letter of
// type n (code 3 has none).
constexpr QLatin1StringView kLetters(" bg xhijefcspmdznuvt");
} // namespace

int ElementSizes::ofType(int type)
{
    const int code = type < 0 ? -type : type;
    return code < 20 ? kSizes[code] : 0;
}

int ElementSizes::typeOfLetter(QChar letter)
{
    if (letter == QLatin1Char(' '))
        return 0;
    const qsizetype at = kLetters.indexOf(letter, 1);
    return at < 0 ? -1 : int(at);
}

int ElementSizes::ofLetter(QChar letter)
{
    const int type = typeOfLetter(letter);
    return type < 0 ? -1 : kSizes[type];
}
