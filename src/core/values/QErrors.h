// One-line explanations of q error texts, shown under an error in the console.
#pragma once

#include <QString>

#include <string>
#include <string_view>

class QErrors {
public:
    static constexpr int count = 108;

    // The explanation of a q error text (UTF-8): the first entry whose key
    // equals the whole text, else the rules for signals and undefined names.
    static std::string explainUtf8(std::string_view error);
    static QString explain(const QString& error);

    // The key of entry i (0 <= i < count), in table order.
    static std::string_view key(int i);
};
