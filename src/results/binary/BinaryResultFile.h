// Binary result files on disk: written whole or not at all, read into a
// block the thread reuses from one load to the next.
#pragma once

#include "kdb/k.h"

#include <QString>

#include <cstdint>

class BinaryResultFile {
public:
    // "Can't load the binary, most likely it's not a binary file saved from Tovo."
    static QString refusedText();

    struct Loaded {
        K value = nullptr;        // owned by the caller; null on failure
        std::int32_t elapsedMs = 0;
        std::int64_t memoryGrowth = 0; // working-set growth during the load, at least the file's length
        QString error;            // why it failed
    };

    // On failure the target is unchanged (no partial file) and error says why.
    static bool save(const QString& path, K value, QString* error);
    static Loaded load(const QString& path);

    // "Save Result As...": the bytes of a char or byte vector, nothing else.
    static bool isRawSavable(K value) { return value && (value->t == KC || value->t == KG); }
    static bool saveRaw(const QString& path, K value, QString* error);
};
