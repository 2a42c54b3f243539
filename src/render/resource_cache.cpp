#include "render/resource_cache.h"

#include "map/map_document.h"

#include <SDL_video.h>

#include <cstdio>
#include <cstring>

#include "map/map_paths.h"
#include "map/material.h"
#include "shared/path_case.h"
#include "shared/program_folder.h"

namespace {

ResourceCache* g_cache = nullptr;

bool contextCurrent() { return SDL_GL_GetCurrentContext() != nullptr; }

// Texture names in map files resolve against the map being read (its
// folder, "[HOME]" for the program folder); outside a map, relative names
// are taken inside the program folder.
GlTexture* loadMaterialTexture(const char* name)
{
    if (!g_cache || !name || !*name) return nullptr;
    if (MapDocument* document = CurrentMapDocument())
        return g_cache->GetTexture(document->resolvePath(name).c_str());
    String path = ResolvePath(name, ProgramFolder().c_str(), ProgramFolder().c_str());
    return g_cache->GetTexture(path.c_str());
}

bool readText(const char* path, std::string& text)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    char chunk[4096];
    size_t got;
    text.clear();
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, got);
        if (text.size() > (size_t(1) << 20)) break;  // no program is a megabyte long
    }
    std::fclose(file);
    return true;
}

}  // namespace

uint32_t ResourceHash(const char* key)
{
    uint32_t hash = 0;
    if (!key || !*key) return 0;
    for (uint32_t i = 1; key[i] != '\0'; ++i) {
        uint32_t c = static_cast<unsigned char>(key[i]);
        hash += c << ((i / 2) & 31u);
    }
    return hash;
}

uint32_t ResourceBucket(const char* key, uint32_t bucketCount)
{
    if (bucketCount == 0) return 0;
    return (ResourceHash(key) * 16u) % bucketCount;
}

ResourceCache* GetResourceCache() { return g_cache; }

ResourceCache* CreateResourceCache()
{
    if (!g_cache) g_cache = new ResourceCache();
    return g_cache;
}

void DestroyResourceCache()
{
    delete g_cache;
    g_cache = nullptr;
}

ResourceCache::ResourceCache()
{
    if (!g_cache) g_cache = this;
    SetMaterialTextureLoader(loadMaterialTexture);
}

ResourceCache::~ResourceCache()
{
    if (contextCurrent()) ReleaseGlObjects();
    if (g_cache == this) {
        g_cache = nullptr;
        SetMaterialTextureLoader(nullptr);
    }
}

GlTexture* ResourceCache::GetTexture(const char* path, const char* secondPath, int flags)
{
    if (!path || !*path) return nullptr;
    if (GlTexture* cached = m_textures.find(path)) return cached;
    auto texture = std::make_unique<GlTexture>();
    bool loaded = texture->Load(ResolvePathCase(path).c_str());
    if (!loaded && secondPath && *secondPath) loaded = texture->Load(ResolvePathCase(secondPath).c_str());
    if (!loaded) return nullptr;
    ++m_texturesLoaded;
    texture->createFlags = flags;
    if (contextCurrent() && !texture->createTexture(flags)) return nullptr;
    return m_textures.insert(path, std::move(texture));
}

Mesh* ResourceCache::GetMesh(const char* path)
{
    if (!path || !*path) return nullptr;
    if (Mesh* cached = m_meshes.find(path)) return cached;
    auto mesh = std::make_unique<Mesh>();
    String resolved = ResolvePathCase(path);
    if (!mesh->Load(resolved.c_str(), [this](const char* texturePath) { return GetTexture(texturePath); }))
        return nullptr;
    ++m_meshesLoaded;
    return m_meshes.insert(path, std::move(mesh));
}

ArbProgram* ResourceCache::GetFragmentProgram(const char* path)
{
    if (!path || !*path) return nullptr;
    if (ArbProgram* cached = m_programs.find(path)) return cached;
    std::string text;
    if (!readText(ResolvePathCase(path).c_str(), text)) return nullptr;
    auto program = std::make_unique<ArbProgram>();
    if (!program->LoadFragment(text.c_str())) return nullptr;
    return m_programs.insert(path, std::move(program));
}

void ResourceCache::ReloadTextures()
{
    m_textures.forEach([](const std::string& key, GlTexture& texture) {
        Image fresh;
        if (!fresh.Load(ResolvePathCase(key.c_str()).c_str())) return;
        static_cast<Image&>(texture) = fresh;
        if (contextCurrent())
            texture.createTexture(texture.createFlags);
        else
            texture.releaseTexture();
    });
}

void ResourceCache::UploadPendingTextures()
{
    if (!contextCurrent()) return;
    m_textures.forEach([](const std::string&, GlTexture& texture) {
        if (texture.textureName == 0 && texture.m_data) texture.createTexture(texture.createFlags);
    });
}

void ResourceCache::ReleaseGlObjects()
{
    m_textures.forEach([](const std::string&, GlTexture& texture) { texture.releaseTexture(); });
    m_programs.forEach([](const std::string&, ArbProgram& program) { program.Release(); });
}
