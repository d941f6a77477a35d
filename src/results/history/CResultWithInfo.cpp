#include "results/history/CResultWithInfo.h"

#include "results/ReplyDisplay.h"

#include "core/values/ValueCatalogue.h"

QString CResultWithInfo::roundtripText() const { return ReplyDisplay::roundtripText(info.roundtrip); }

QString CResultWithInfo::sizeText() const { return ValueCatalogue::sizeText(info.size); }
