// Text to integer for cell texts; pure, so full-width forms are spelled as their GBK bytes.
#include "script/text_to_int.h"

#include <cstddef>
#include <limits>

namespace {

// One character of the text with the full-width forms folded; `size` is how many bytes it took.
struct Folded {
    char ch;
    std::size_t size;
};

Folded fold_at(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (at + 1 < text.size()) {
        const auto trail = static_cast<unsigned char>(text[at + 1]);
        if (lead == 0xA3 && trail >= 0xB0 && trail <= 0xB9)
            return {static_cast<char>('0' + (trail - 0xB0)), 2};
        if (lead == 0xA3 && trail == 0xAB) return {'+', 2};
        if (lead == 0xA3 && trail == 0xAD) return {'-', 2};
        if (lead == 0xA1 && trail == 0xA1) return {' ', 2};
    }
    return {static_cast<char>(lead), 1};
}

bool is_space(char ch) {
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

}  // namespace

std::int32_t text_to_int(std::string_view text) {
    std::size_t at = 0;
    Folded next{};
    while (at < text.size() && is_space((next = fold_at(text, at)).ch)) at += next.size;
    if (at >= text.size()) return 0;

    bool negative = false;
    if (next.ch == '+' || next.ch == '-') {
        negative = next.ch == '-';
        at += next.size;
    }
    // Accumulated one past the limit at most, so the saturation below needs no wider type.
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    while (at < text.size()) {
        next = fold_at(text, at);
        if (next.ch < '0' || next.ch > '9') break;
        magnitude = magnitude * 10 + (next.ch - '0');
        if (magnitude > limit) magnitude = limit;
        at += next.size;
    }
    if (negative) return static_cast<std::int32_t>(-magnitude);
    return magnitude >= limit ? std::numeric_limits<std::int32_t>::max()
                              : static_cast<std::int32_t>(magnitude);
}
