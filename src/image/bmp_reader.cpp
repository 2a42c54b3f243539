#include "image/image.h"

// Placeholder until the bounds-checked DIB decoder lands.
bool Image::LoadBMP()
{
    return false;
}
bool Image::LoadBMP(const unsigned char*, size_t)
{
    return false;
}
