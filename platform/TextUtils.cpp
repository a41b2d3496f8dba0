#include "platform/TextUtils.h"

void NumToString(long n, Str255 s) {
    // The magnitude in unsigned arithmetic, so that the most negative value has one.
    unsigned long magnitude = n < 0 ? 0UL - static_cast<unsigned long>(n) : static_cast<unsigned long>(n);
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int length = 0;
    if (n < 0) s[++length] = '-';
    while (count > 0) s[++length] = static_cast<unsigned char>(digits[--count]);
    s[0] = static_cast<unsigned char>(length);
}

int32_t DecimalTextToInt32(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    // The magnitude stops growing once past the 32-bit range, so it cannot overflow.
    constexpr int64_t kLimit = int64_t(INT32_MAX) + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude <= kLimit) magnitude = magnitude * 10 + (text[i] - '0');
    }
    if (negative) return static_cast<int32_t>(-(magnitude < kLimit ? magnitude : kLimit));
    return static_cast<int32_t>(magnitude < INT32_MAX ? magnitude : INT32_MAX);
}

void StringToNum(ConstStr255Param s, long* n) {
    if (n == nullptr) return;
    *n = s != nullptr ? DecimalTextToInt32(std::string_view(reinterpret_cast<const char*>(s + 1), s[0])) : 0;
}
