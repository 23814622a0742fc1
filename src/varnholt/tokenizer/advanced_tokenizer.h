// The tokenizer of expression-like text. Besides white space, quoted strings
// and comments it splits off two-character operators ("+=", "->" is not one)
// and single punctuation characters as tokens of their own, so "x+=1;" gives
// x, +=, 1 and ;. A "//" comment takes the whole rest of the text, following
// lines included.
#pragma once

#include "varnholt/tokenizer/buffered_tokenizer.h"

namespace varnholt {

class AdvancedTokenizer : public BufferedTokenizer {
public:
    // `text` must not be null; the tokenizer scans a private copy.
    explicit AdvancedTokenizer(const char* text) : BufferedTokenizer(text) {}

protected:
    const char* scan_token() override;
};

}  // namespace varnholt
