#include "core/values/KPrimitives.h"

namespace {

constexpr char kOperators[] = ":+-*%&|^=<>$,#_~!?@.";

constexpr const char* kUnaryWords[] = {
    "0::", "1::", "2::", "avg", "last", "sum", "prd", "min", "max", "exit", "getenv",
    "abs", "sqrt", "log", "exp", "sin", "asin", "cos", "acos", "tan", "atan", "enlist",
};

constexpr const char* kBinaryWords[] = {
    "0:", "1:", "2:", "in", "within", "like", "bin", "ss", "insert", "wsum", "wavg",
    "div", "xexp", "setenv", "binr",
};

constexpr const char* kAdverbs[] = {"'", "/", "\\", "':", "/:", "\\:"};

constexpr int kUnaryWordCount = sizeof kUnaryWords / sizeof kUnaryWords[0];
constexpr int kBinaryWordCount = sizeof kBinaryWords / sizeof kBinaryWords[0];

// Built by appending: GCC 12 at -O3 takes a literal + std::string for an
// overlapping copy (-Wrestrict).
std::string unknown(const char* kind, int code)
{
    std::string text(1, '!');
    text += kind;
    text += ':';
    text += std::to_string(code);
    text += '!';
    return text;
}

} // namespace

std::string KPrimitives::unary(int code)
{
    if (code >= 20 && code < 20 + kUnaryWordCount)
        return kUnaryWords[code - 20];
    if (code >= 0 && code < 20)
        return std::string{kOperators[code], ':'};
    std::string text = unknown("OPR", code);
    text += ':';
    return text;
}

std::string KPrimitives::binary(int code)
{
    if (code >= 20 && code < 20 + kBinaryWordCount)
        return kBinaryWords[code - 20];
    if (code >= 0 && code < 20)
        return std::string(1, kOperators[code]);
    return unknown("OPR", code);
}

std::string KPrimitives::adverb(int code)
{
    if (code >= 0 && code < 6)
        return kAdverbs[code];
    return unknown("ADV", code);
}

const char* KPrimitives::derivedSuffix(int type)
{
    return type >= 106 && type <= 111 ? kAdverbs[type - 106] : "";
}
