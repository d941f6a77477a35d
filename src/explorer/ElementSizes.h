// Bytes per item of the q vector types, as the entity size estimates count them.
#pragma once

#include <QChar>

namespace ElementSizes {
// By absolute type code; 0 for general lists and codes without a size.
int ofType(int type);
// By type letter of meta (" bgxhijefcspmdznuvt"); -1 for a letter not there
// (upper-case letters of nested columns among them).
int ofLetter(QChar letter);
// The type code of a lower-case meta letter, or -1.
int typeOfLetter(QChar letter);
} // namespace ElementSizes
