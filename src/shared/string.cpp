#include "shared/string.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

char* allocateText(size_t count)
{
    char* text = static_cast<char*>(std::malloc(count + 1));
    if (!text) throw std::bad_alloc();
    return text;
}

size_t lastSeparator(const char* text, size_t length)
{
    for (size_t i = length; i > 0; --i)
        if (text[i - 1] == '/' || text[i - 1] == '\\') return i;
    return 0;
}

}  // namespace

String::String() : m_text(allocateText(0)), m_length(0) { m_text[0] = '\0'; }

String::String(const char* text) : String() { *this = text; }

String::String(const String& other) : String() { assign(other.m_text, other.m_length); }

String::String(String&& other) noexcept : m_text(other.m_text), m_length(other.m_length)
{
    other.m_text = nullptr;
    other.m_length = 0;
}

String::~String() { std::free(m_text); }

String& String::operator=(const String& other)
{
    if (this != &other) assign(other.m_text, other.m_length);
    return *this;
}

String& String::operator=(String&& other) noexcept
{
    std::swap(m_text, other.m_text);
    std::swap(m_length, other.m_length);
    return *this;
}

String& String::operator=(const char* text)
{
    if (!text) text = "";
    assign(text, std::strlen(text));
    return *this;
}

void String::assign(const char* text, size_t count)
{
    char* copy = allocateText(count);
    std::memcpy(copy, text, count);
    copy[count] = '\0';
    std::free(m_text);
    m_text = copy;
    m_length = count;
}

String& String::append(const char* text) { return text ? append(text, std::strlen(text)) : *this; }

String& String::append(const char* text, size_t count)
{
    char* joined = allocateText(m_length + count);
    if (m_text) std::memcpy(joined, m_text, m_length);
    std::memcpy(joined + m_length, text, count);
    joined[m_length + count] = '\0';
    std::free(m_text);
    m_text = joined;
    m_length += count;
    return *this;
}

String& String::format(const char* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    va_list sizing;
    va_copy(sizing, args);
    int needed = std::vsnprintf(nullptr, 0, pattern, sizing);
    va_end(sizing);
    if (needed < 0) {
        va_end(args);
        return *this = "";
    }
    char* text = allocateText(static_cast<size_t>(needed));
    std::vsnprintf(text, static_cast<size_t>(needed) + 1, pattern, args);
    va_end(args);
    std::free(m_text);
    m_text = text;
    m_length = static_cast<size_t>(needed);
    return *this;
}

bool String::operator==(const char* text) const { return std::strcmp(m_text ? m_text : "", text ? text : "") == 0; }

String String::folder() const
{
    String result;
    result.assign(m_text, lastSeparator(m_text, m_length));
    return result;
}

String String::fileName() const
{
    size_t start = lastSeparator(m_text, m_length);
    String result;
    result.assign(m_text + start, m_length - start);
    return result;
}
