#include "varnholt/tokenizer/tokenizer.h"

namespace varnholt {

const char* Tokenizer::error() const
{
    if (!error_text)
        return nullptr;
    formatted = std::to_string(error_line) + ": error: " + error_text;
    return formatted.c_str();
}

void Tokenizer::set_error(int line, const char* message)
{
    error_text = message && *message ? message : nullptr;
    error_line = line;
}

}  // namespace varnholt
