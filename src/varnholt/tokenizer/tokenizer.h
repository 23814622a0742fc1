/*
 * Tokenizer interface: one text in, one token per next_token() call.
 *
 * The last error is kept and shown as "<line>: error: <message>"; the
 * tokenizers never print it. Reaching the end of the text records the
 * message "done", so has_error() is also true after a complete scan.
 */
#pragma once

#include <string>

namespace varnholt {

class Tokenizer {
public:
    Tokenizer() = default;
    virtual ~Tokenizer() = default;
    Tokenizer(const Tokenizer&) = delete;
    Tokenizer& operator=(const Tokenizer&) = delete;

    // Back to the state right after construction (the error is cleared).
    virtual void rewind() = 0;
    // The next token, or null at the end of the text or after an error.
    // The text stays valid until the next call that changes the tokenizer.
    virtual const char* next_token() = 0;
    // The token buffer itself.
    virtual char* token() = 0;
    // Copies `text` (at most 1023 characters) into the token buffer.
    virtual void set_token(const char* text) = 0;

    bool has_error() const { return error_text != nullptr; }
    // The recorded error, formatted, or null. Valid until the error changes.
    const char* error() const;

protected:
    // Records `message` with `line`; a null or empty message clears the
    // error. The message must outlive the record (the tokenizers pass
    // literals): every scanned line ends in "done", so recording stays cheap
    // and the text is formatted only when someone asks for it.
    void set_error(int line, const char* message);

private:
    const char* error_text = nullptr;
    int error_line = 0;
    mutable std::string formatted;
};

}  // namespace varnholt
