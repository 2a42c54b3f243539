#include "texturing/texture_uploader.h"

namespace {

NullTextureUploader g_nullUploader;
TextureUploader* g_uploader = &g_nullUploader;

} // namespace

void SetTextureUploader(TextureUploader* uploader)
{
    g_uploader = uploader ? uploader : &g_nullUploader;
}

TextureUploader& GetTextureUploader()
{
    return *g_uploader;
}
