#pragma once
// Public text and status types of the engine interface: `String` (an 8-bit
// byte string) and `CStatus` (success or failure with a message).

#include <cstddef>
#include <string>

class CStatus {
public:
    CStatus() = default;
    CStatus(bool ok, std::string message = {}) : succeeded(ok), text(std::move(message)) {}
    static CStatus Ok() { return CStatus(true); }
    static CStatus Fail(std::string message) { return CStatus(false, std::move(message)); }

    // Nonzero on success.
    operator char() const { return succeeded ? 1 : 0; }
    bool Succeeded() const { return succeeded; }
    // Why it failed ("" on success).
    const char* Message() const { return text.c_str(); }

private:
    bool succeeded = true;
    std::string text;
};

class String {
public:
    String() = default;
    String(const char* text) : data(text ? text : "") {}
    String(const char* text, size_t length) : data(text, length) {}
    String(std::string text) : data(std::move(text)) {}

    String& operator=(const char* text) {
        data = text ? text : "";
        return *this;
    }
    String& operator+=(const char* text) {
        if (text)
            data += text;
        return *this;
    }
    String& operator+=(const String& text) {
        data += text.data;
        return *this;
    }
    String& operator+=(char c) {
        data += c;
        return *this;
    }
    bool operator==(const String& other) const { return data == other.data; }

    const char* Str() const { return data.c_str(); }
    const std::string& Std() const { return data; }
    size_t Length() const { return data.size(); }
    bool IsEmpty() const { return data.empty(); }

    // Removes blanks, tabs and line ends from both ends; returns *this.
    String& Trim();
    // Position of the last `c`, or -1.
    int ReverseFind(char c) const;
    // Position of `text` at or after `from`, or -1.
    int Find(const char* text, int from = 0) const;
    // Up to `length` bytes from `start` (all the rest when length < 0); a
    // start beyond the end gives "".
    String SubString(int start, int length = -1) const;
    // Splits at the first `delimiter`: `before` gets the text before it and
    // this string keeps the text after it; returns the delimiter's position.
    // Without a delimiter `before` gets the whole text, this string becomes
    // empty, and the result is -1.
    int Parse(String& before, const char* delimiter);

private:
    std::string data;
};
