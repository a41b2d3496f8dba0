// Numbers as length-prefixed decimal text and back.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/MacTypes.h"

// Writes n as decimal text, with a minus sign when negative.
void NumToString(long n, Str255 s);

// Reads the decimal number at the start of text: blanks and tabs first are skipped,
// then an optional sign and the digits up to the first other character. Text without
// digits gives 0; values beyond 32 bits saturate at the nearest 32-bit limit.
int32_t DecimalTextToInt32(std::string_view text);

// DecimalTextToInt32 of a length-prefixed string; a null string gives 0.
void StringToNum(ConstStr255Param s, long* n);
