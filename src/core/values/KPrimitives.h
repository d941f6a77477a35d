// The q texts of primitive functions and iterators, by the code kdb+ sends.
#pragma once

#include <string>

class KPrimitives {
public:
    // Unary primitive (type 101): "avg", "enlist", "-:" ... ; code 0 is "::".
    static std::string unary(int code);
    // Binary primitive (type 102): "in", "+" ...
    static std::string binary(int code);
    // Iterator (type 103): "'", "/", "\\", "':", "/:", "\\:".
    static std::string adverb(int code);
    // The iterator that a derived function (types 106..111) carries.
    static const char* derivedSuffix(int type);

    static constexpr int enlistCode = 41;
};
