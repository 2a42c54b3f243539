// String: the program's own text string.
//
// One owned, NUL-terminated heap buffer that is never shared. It exists
// because the settings, map and plug-in code pass plain C text around and
// need a value type that always has a valid c_str(), even when empty.
#pragma once

#include <cstddef>

class String {
public:
    String();
    String(const char* text);  // NOLINT: implicit on purpose, like a literal
    String(const String& other);
    String(String&& other) noexcept;
    ~String();

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& operator=(const char* text);

    String& append(const char* text);
    String& append(const char* text, size_t count);
    String& operator+=(const char* text) { return append(text); }
    String& operator+=(const String& other) { return append(other.c_str(), other.length()); }

    // printf-style assignment; the result has whatever length it needs.
    String& format(const char* pattern, ...) __attribute__((format(printf, 2, 3)));

    const char* c_str() const { return m_text; }
    size_t length() const { return m_length; }
    bool empty() const { return m_length == 0; }

    bool operator==(const char* text) const;
    bool operator==(const String& other) const { return *this == other.c_str(); }

    // Path helpers. Both separators are accepted because map files written
    // on other systems use backslashes.
    String folder() const;    // everything up to and including the last separator
    String fileName() const;  // everything after the last separator

private:
    void assign(const char* text, size_t count);

    char* m_text;
    size_t m_length;
};
