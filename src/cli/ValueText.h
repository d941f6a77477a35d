// The text tovo-cli prints for a value.
#pragma once

#include "kdb/k.h"

#include <string>

std::string valueText(K x);
