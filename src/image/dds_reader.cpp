#include "image/image.h"

// Placeholder until the DDS reader lands.
bool Image::LoadDDS()
{
    return false;
}
bool Image::LoadDDS(const unsigned char*, size_t)
{
    return false;
}
