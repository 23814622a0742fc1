/*
 * Tokenizer interface: one text in, one token per next_token() call.
 *
 * The last error is kept, already formatted as "<line>: error: <message>";
 * the tokenizers never print it. Reaching the end of the text records the
 * message "done", so has_error() is also true after a complete scan.
 */
#pragma once

class Tokenizer {
public:
    Tokenizer() = default;
    virtual ~Tokenizer();
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

    bool has_error() const { return error_message != nullptr; }
    // The recorded error, or null.
    const char* error() const { return error_message; }

protected:
    // Records `message` formatted with `line`; a null or empty message
    // clears the error.
    void set_error(int line, const char* message);

private:
    char* error_message = nullptr;  // owned, array-allocated
};
