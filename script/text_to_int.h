// Numbers as the script list holds them: decimal text, typed in half-width or full-width forms.
#pragma once

#include <cstdint>
#include <string_view>

// Reads a cell's text as an integer: code page 936 full-width digits, signs and spaces count as their
// single-byte forms, leading white space is skipped, an optional sign and the digits up to the first
// other character are taken, and no digits give 0. Values beyond the 32-bit range saturate, since a
// wrapped coordinate would click somewhere else entirely.
std::int32_t text_to_int(std::string_view text);
