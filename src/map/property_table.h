// PropertyTable: named, typed variables behind every key/value file.
//
// Subsystems register the addresses of their live variables once; the
// table then writes them all, one line each, in registration order, and
// reads a file back by looking each line's key up and parsing the rest of
// the line into the registered variable. The table never owns variables.
//
// File lines are "key value..." with up to six value tokens; a token in
// double quotes may hold blanks. Lines are read whole whatever their
// length; keys longer than 31 characters match nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "shared/string.h"

// The number is part of the registration and of nothing else; the text
// form of each kind is the file format.
enum class PropertyKind : int {
    Bool = 1,         // 1 byte
    Int = 2,          // int32
    Float = 3,        // float
    Float3 = 4,       // 3 floats
    Text = 5,         // String
    Int2 = 6,         // 2 int32
    Int4 = 7,         // 4 int32
    Float4 = 8,       // 4 floats
    MaterialKind = 9, // Material
    Colour = 10,      // 4 floats r, g, b, a, written packed
    Char = 11,        // 1 byte
};

constexpr int kMaxKeyLength = 31;
constexpr int kMaxLineTokens = 6;

// One tokenized line: the key and up to six value tokens. Quoted tokens
// keep their quotes.
struct LineRecord {
    std::string key;
    std::string tokens[kMaxLineTokens];
    int tokenCount = 0;
};

struct PropertyEntry {
    std::string key;
    PropertyKind kind;
    void* address;  // not owned
};

// Packs r, g, b, a in 0..1 as alpha<<24 | red<<16 | green<<8 | blue, each
// byte the channel times 255 truncated; channels are clamped first.
uint32_t PackColour(const float rgba[4]);
void UnpackColour(uint32_t packed, float rgba[4]);

// Fills the record from one line of text; false for lines that carry no
// setting (blank, comment, key without value).
bool tokenizeLine(const char* line, size_t length, LineRecord& record);
inline bool tokenizeLine(const std::string& line, LineRecord& record)
{
    return tokenizeLine(line.data(), line.size(), record);
}

// Reads one physical line whole (without its newline); false at end of file.
bool readWholeLine(FILE* file, std::string& line);

class PropertyTable {
public:
    explicit PropertyTable(int chainCount = 41);
    ~PropertyTable();
    PropertyTable(const PropertyTable&) = delete;
    PropertyTable& operator=(const PropertyTable&) = delete;

    // The first registration of a key wins; a repeat returns false and the
    // new address is ignored.
    bool registerEntry(const char* key, PropertyKind kind, void* address);

    bool add(const char* key, bool& value) { return registerEntry(key, PropertyKind::Bool, &value); }
    bool add(const char* key, int& value) { return registerEntry(key, PropertyKind::Int, &value); }
    bool add(const char* key, float& value) { return registerEntry(key, PropertyKind::Float, &value); }
    bool add(const char* key, String& value) { return registerEntry(key, PropertyKind::Text, &value); }
    bool add(const char* key, char& value) { return registerEntry(key, PropertyKind::Char, &value); }

    const PropertyEntry* lookup(const char* key) const;
    const std::vector<std::unique_ptr<PropertyEntry>>& entries() const { return m_entries; }

    void writeAll(FILE* file) const;
    void readAll(FILE* file) const;
    // Like readAll but stops at the first line whose key is stopKey; that
    // line is not applied and is handed back in stopLine. Returns true when
    // it stopped there, false at end of file.
    bool readUntil(FILE* file, const char* stopKey, LineRecord& stopLine) const;

    // Applies one text line; true when it set a registered variable.
    bool applyLine(const char* line, size_t length) const;
    static void parseValue(const PropertyEntry& entry, const LineRecord& record);
    static void writeEntry(FILE* file, const PropertyEntry& entry);

private:
    size_t chainOf(const char* key) const;

    std::vector<std::vector<PropertyEntry*>> m_chains;
    std::vector<std::unique_ptr<PropertyEntry>> m_entries;
};
