#include "tokenizer/tokenizer.h"

#include <cstdio>
#include <cstring>

Tokenizer::~Tokenizer()
{
    delete[] error_message;
}

void Tokenizer::set_error(int line, const char* message)
{
    delete[] error_message;
    error_message = nullptr;
    if (!message || !*message)
        return;
    // 64 bytes leave room for the number, ": error: " and the zero.
    const std::size_t size = std::strlen(message) + 64;
    error_message = new char[size];
    std::snprintf(error_message, size, "%i: error: %s", line, message);
}
