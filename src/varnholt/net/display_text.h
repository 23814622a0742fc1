/*
 * Text that arrived from someone else (a datagram, a remote reply) made safe
 * to show on a terminal: nothing in it can act as a terminal command.
 */
#pragma once

#include <cstddef>
#include <string>

namespace varnholt {

// The bytes up to the first zero byte (or all `size` of them), with valid
// UTF-8 kept as it is and every other byte shown as "\xNN", one escape per
// byte: the C0 controls, DEL, the C1 controls (0x80-0x9F, raw or encoded
// as UTF-8) and every byte that is not part of a valid UTF-8 sequence.
// Characters that could hide or reorder what the terminal shows (zero-width
// characters, U+2028 and U+2029, the bidirectional controls U+202A-202E and
// U+2066-2069) are shown as "\u{XXXX}", in four uppercase hex digits.
std::string display_text(const char* bytes, std::size_t size);

}  // namespace varnholt
