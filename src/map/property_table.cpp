#include "map/property_table.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "map/material.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool endsLine(char c) { return c == '\n' || c == '\r' || c == '\0'; }

// The number parsers behave like scanf's %d, %u and %f on the token (a
// number prefix is enough, "12px" reads 12) but never overflow: values
// beyond the type's range are clamped. They return false when the token
// holds no number, so the variable keeps its value.
bool parseInt(const std::string& token, int32_t& out)
{
    const char* text = token.c_str();
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text, &end, 10);
    if (end == text) return false;
    if (value > INT32_MAX) value = INT32_MAX;
    if (value < INT32_MIN) value = INT32_MIN;
    out = static_cast<int32_t>(value);
    return true;
}

bool parseUnsigned(const std::string& token, uint32_t& out)
{
    const char* text = token.c_str();
    char* end = nullptr;
    errno = 0;
    // strtoull accepts a sign like %u does; "-1" wraps to the largest value.
    unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text) return false;
    bool negative = false;
    for (const char* p = text; p < end; ++p)
        if (*p == '-') negative = true;
    if (errno == ERANGE || (!negative && value > UINT32_MAX)) value = UINT32_MAX;
    out = static_cast<uint32_t>(value);
    return true;
}

bool parseFloat(const std::string& token, float& out)
{
    const char* text = token.c_str();
    char* end = nullptr;
    float value = std::strtof(text, &end);
    if (end == text) return false;
    out = value;
    return true;
}

std::string withoutQuotes(const std::string& token)
{
    std::string result;
    result.reserve(token.size());
    for (char c : token)
        if (c != '"') result += c;
    return result;
}

uint32_t channelByte(float channel)
{
    // Clamped first: 1.2 would otherwise carry into the next channel, and
    // NaN or negative values have no byte at all.
    if (!(channel > 0.0f)) return 0;
    if (channel >= 1.0f) return 255;
    return static_cast<uint32_t>(channel * 255.0f);
}

void parseInts(const LineRecord& record, int32_t* values, int count)
{
    for (int i = 0; i < count && i < record.tokenCount; ++i) parseInt(record.tokens[i], values[i]);
}

void parseFloats(const LineRecord& record, float* values, int count)
{
    for (int i = 0; i < count && i < record.tokenCount; ++i) parseFloat(record.tokens[i], values[i]);
}

}  // namespace

uint32_t PackColour(const float rgba[4])
{
    return channelByte(rgba[3]) << 24 | channelByte(rgba[0]) << 16 | channelByte(rgba[1]) << 8 |
           channelByte(rgba[2]);
}

void UnpackColour(uint32_t packed, float rgba[4])
{
    rgba[0] = static_cast<float>((packed >> 16) & 0xFF) / 255.0f;
    rgba[1] = static_cast<float>((packed >> 8) & 0xFF) / 255.0f;
    rgba[2] = static_cast<float>(packed & 0xFF) / 255.0f;
    rgba[3] = static_cast<float>((packed >> 24) & 0xFF) / 255.0f;
}

bool tokenizeLine(const char* line, size_t length, LineRecord& record)
{
    record.key.clear();
    record.tokenCount = 0;
    // An embedded NUL ends the text, as it would for any C string reader.
    const char* nul = static_cast<const char*>(std::memchr(line, '\0', length));
    const char* end = nul ? nul : line + length;
    const char* p = line;
    auto atEnd = [&] { return p >= end || endsLine(*p); };

    while (p < end && isBlank(*p)) ++p;
    if (atEnd()) return false;
    if (end - p >= 2 && p[0] == '/' && p[1] == '/') return false;

    const char* keyStart = p;
    while (!atEnd() && !isBlank(*p)) ++p;
    record.key.assign(keyStart, static_cast<size_t>(p - keyStart));
    if (atEnd()) return false;

    while (record.tokenCount < kMaxLineTokens) {
        while (p < end && isBlank(*p)) ++p;
        if (atEnd()) break;
        const char* tokenStart = p;
        if (*p == '"') {
            ++p;
            while (!atEnd() && *p != '"') ++p;
            if (p < end && *p == '"') ++p;
        } else {
            while (!atEnd() && !isBlank(*p)) ++p;
        }
        if (p == tokenStart) break;
        record.tokens[record.tokenCount++].assign(tokenStart, static_cast<size_t>(p - tokenStart));
    }
    return record.tokenCount > 0;
}

bool readWholeLine(FILE* file, std::string& line)
{
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(file)) != EOF) {
        any = true;
        if (c == '\n') return true;
        line += static_cast<char>(c);
    }
    return any;
}

PropertyTable::PropertyTable(int chainCount) : m_chains(static_cast<size_t>(chainCount > 0 ? chainCount : 1)) {}

PropertyTable::~PropertyTable() = default;

size_t PropertyTable::chainOf(const char* key) const
{
    uint32_t hash = 2166136261u;
    for (const char* p = key; *p; ++p) hash = (hash ^ static_cast<unsigned char>(*p)) * 16777619u;
    return hash % m_chains.size();
}

bool PropertyTable::registerEntry(const char* key, PropertyKind kind, void* address)
{
    if (!key || !address || lookup(key)) return false;
    auto entry = std::make_unique<PropertyEntry>(PropertyEntry{key, kind, address});
    m_chains[chainOf(key)].push_back(entry.get());
    m_entries.push_back(std::move(entry));
    return true;
}

const PropertyEntry* PropertyTable::lookup(const char* key) const
{
    if (!key || std::strlen(key) > kMaxKeyLength) return nullptr;
    for (const PropertyEntry* entry : m_chains[chainOf(key)])
        if (entry->key == key) return entry;
    return nullptr;
}

void PropertyTable::parseValue(const PropertyEntry& entry, const LineRecord& record)
{
    if (record.tokenCount < 1) return;
    const std::string& first = record.tokens[0];
    switch (entry.kind) {
    case PropertyKind::Bool: {
        int32_t value;
        if (parseInt(first, value)) *static_cast<bool*>(entry.address) = value != 0;
        break;
    }
    case PropertyKind::Int: parseInts(record, static_cast<int32_t*>(entry.address), 1); break;
    case PropertyKind::Float: parseFloats(record, static_cast<float*>(entry.address), 1); break;
    case PropertyKind::Float3: parseFloats(record, static_cast<float*>(entry.address), 3); break;
    case PropertyKind::Text: *static_cast<String*>(entry.address) = withoutQuotes(first).c_str(); break;
    case PropertyKind::Int2: parseInts(record, static_cast<int32_t*>(entry.address), 2); break;
    case PropertyKind::Int4: parseInts(record, static_cast<int32_t*>(entry.address), 4); break;
    case PropertyKind::Float4: parseFloats(record, static_cast<float*>(entry.address), 4); break;
    case PropertyKind::MaterialKind: {
        auto* material = static_cast<Material*>(entry.address);
        uint32_t packed;
        if (parseUnsigned(first, packed)) UnpackColour(packed, material->colour);
        if (record.tokenCount >= 2 && record.tokens[1][0] == '"') {
            material->textureName = withoutQuotes(record.tokens[1]).c_str();
            material->texture = LoadMaterialTexture(material->textureName.c_str());
        }
        break;
    }
    case PropertyKind::Colour: {
        uint32_t packed;
        if (parseUnsigned(first, packed)) UnpackColour(packed, static_cast<float*>(entry.address));
        break;
    }
    case PropertyKind::Char: *static_cast<char*>(entry.address) = first[0]; break;
    }
}

void PropertyTable::writeEntry(FILE* file, const PropertyEntry& entry)
{
    const char* key = entry.key.c_str();
    const void* a = entry.address;
    switch (entry.kind) {
    case PropertyKind::Bool: std::fprintf(file, "%s %d\n", key, *static_cast<const bool*>(a) ? 1 : 0); break;
    case PropertyKind::Int: std::fprintf(file, "%s %d\n", key, *static_cast<const int32_t*>(a)); break;
    case PropertyKind::Float: std::fprintf(file, "%s %f\n", key, double(*static_cast<const float*>(a))); break;
    case PropertyKind::Float3: {
        const float* v = static_cast<const float*>(a);
        std::fprintf(file, "%s %f %f %f\n", key, double(v[0]), double(v[1]), double(v[2]));
        break;
    }
    case PropertyKind::Text: std::fprintf(file, "%s \"%s\"\n", key, static_cast<const String*>(a)->c_str()); break;
    case PropertyKind::Int2: {
        const int32_t* v = static_cast<const int32_t*>(a);
        std::fprintf(file, "%s %d %d\n", key, v[0], v[1]);
        break;
    }
    case PropertyKind::Int4: {
        const int32_t* v = static_cast<const int32_t*>(a);
        std::fprintf(file, "%s %d %d %d %d\n", key, v[0], v[1], v[2], v[3]);
        break;
    }
    case PropertyKind::Float4: {
        const float* v = static_cast<const float*>(a);
        std::fprintf(file, "%s %f %f %f %f\n", key, double(v[0]), double(v[1]), double(v[2]), double(v[3]));
        break;
    }
    case PropertyKind::MaterialKind: {
        const auto* material = static_cast<const Material*>(a);
        if (material->textureName.empty())
            std::fprintf(file, "%s %u\n", key, PackColour(material->colour));
        else
            std::fprintf(file, "%s %u \"%s\"\n", key, PackColour(material->colour), material->textureName.c_str());
        break;
    }
    case PropertyKind::Colour: std::fprintf(file, "%s %u\n", key, PackColour(static_cast<const float*>(a))); break;
    case PropertyKind::Char: std::fprintf(file, "%s %c\n", key, *static_cast<const char*>(a)); break;
    }
}

void PropertyTable::writeAll(FILE* file) const
{
    for (const auto& entry : m_entries) writeEntry(file, *entry);
}

bool PropertyTable::applyLine(const char* line, size_t length) const
{
    LineRecord record;
    if (!tokenizeLine(line, length, record)) return false;
    const PropertyEntry* entry = lookup(record.key.c_str());
    if (!entry) return false;
    parseValue(*entry, record);
    return true;
}

void PropertyTable::readAll(FILE* file) const
{
    std::string line;
    while (readWholeLine(file, line)) applyLine(line.data(), line.size());
}

bool PropertyTable::readUntil(FILE* file, const char* stopKey, LineRecord& stopLine) const
{
    std::string line;
    LineRecord record;
    while (readWholeLine(file, line)) {
        if (!tokenizeLine(line, record)) continue;
        if (record.key == stopKey) {
            stopLine = record;
            return true;
        }
        if (const PropertyEntry* entry = lookup(record.key.c_str())) parseValue(*entry, record);
    }
    return false;
}
