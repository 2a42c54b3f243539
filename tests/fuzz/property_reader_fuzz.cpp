// Feeds arbitrary bytes to the settings reader through a registered table
// holding every value kind.
#include "map/material.h"
#include "map/property_table.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bool flag = false;
    int number = 0;
    float real = 0, triple[3] = {}, quad[4] = {}, colour[4] = {};
    String text;
    int pair[2] = {}, rect[4] = {};
    Material material;
    char key = 'E';
    PropertyTable table;
    table.registerEntry("flag", PropertyKind::Bool, &flag);
    table.registerEntry("number", PropertyKind::Int, &number);
    table.registerEntry("real", PropertyKind::Float, &real);
    table.registerEntry("triple", PropertyKind::Float3, triple);
    table.registerEntry("text", PropertyKind::Text, &text);
    table.registerEntry("pair", PropertyKind::Int2, pair);
    table.registerEntry("rect", PropertyKind::Int4, rect);
    table.registerEntry("quad", PropertyKind::Float4, quad);
    table.registerEntry("material", PropertyKind::MaterialKind, &material);
    table.registerEntry("colour", PropertyKind::Colour, colour);
    table.registerEntry("key", PropertyKind::Char, &key);

    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file) return 0;
    LineRecord stop;
    if (size % 2) table.readUntil(file, "object", stop);
    else table.readAll(file);
    std::fclose(file);

    FILE* out = std::fopen("/dev/null", "w");
    if (out) {
        table.writeAll(out);
        std::fclose(out);
    }
    return 0;
}
