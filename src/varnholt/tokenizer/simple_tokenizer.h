// The tokenizer of console lines. A token is a run of characters up to
// white space, a double quote or "//", or the content of a double-quoted
// string (which may be empty). "//" comments run through the end of the line
// and block comments are skipped where a token could begin.
#pragma once

#include "varnholt/tokenizer/buffered_tokenizer.h"

namespace varnholt {

class SimpleTokenizer : public BufferedTokenizer {
public:
    // `text` must not be null; the tokenizer scans a private copy.
    explicit SimpleTokenizer(const char* text) : BufferedTokenizer(text) {}

protected:
    const char* scan_token() override;
};

}  // namespace varnholt
