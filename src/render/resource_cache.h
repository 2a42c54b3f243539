// ResourceCache: textures, meshes and programs loaded from files, each
// loaded once and shared by path.
//
// Three tables of 97 buckets (textures, meshes, object types) and one of
// 13 (programs), each a chain per bucket with the newest entry first. Only
// successful loads are cached: a path that failed is tried again on the
// next request. The cache owns everything it hands out; nobody else frees
// those objects.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "objects/mesh.h"
#include "render/arb_program.h"
#include "texturing/gl_texture.h"

// The bucket hash: the sum over character positions 1 .. length - 1 of the
// character shifted left by half its position, in unsigned arithmetic;
// shifts wrap at 32 bits, so long paths never shift by 32 or more.
uint32_t ResourceHash(const char* key);
// (hash x 16) modulo the bucket count.
uint32_t ResourceBucket(const char* key, uint32_t bucketCount);

template <typename T>
class PathTable {
public:
    explicit PathTable(uint32_t bucketCount) : m_buckets(bucketCount) {}

    T* find(const char* key) const
    {
        for (const Entry& entry : m_buckets[ResourceBucket(key, bucketCount())])
            if (entry.key == key) return entry.object.get();
        return nullptr;
    }
    // Inserts at the head of the key's chain.
    T* insert(const char* key, std::unique_ptr<T> object)
    {
        auto& chain = m_buckets[ResourceBucket(key, bucketCount())];
        chain.insert(chain.begin(), Entry{key, std::move(object)});
        return chain.front().object.get();
    }
    template <typename Visit>
    void forEach(Visit visit)
    {
        for (auto& chain : m_buckets)
            for (Entry& entry : chain) visit(entry.key, *entry.object);
    }
    uint32_t bucketCount() const { return static_cast<uint32_t>(m_buckets.size()); }
    size_t chainLength(uint32_t bucket) const { return m_buckets[bucket].size(); }
    void clear()
    {
        for (auto& chain : m_buckets) chain.clear();
    }

private:
    struct Entry {
        std::string key;
        std::unique_ptr<T> object;
    };
    std::vector<std::vector<Entry>> m_buckets;
};

class ResourceCache {
public:
    static constexpr uint32_t kBuckets = 97;
    static constexpr uint32_t kProgramBuckets = 13;

    // Also installs the material texture hook of the property table.
    ResourceCache();
    ~ResourceCache();
    ResourceCache(const ResourceCache&) = delete;
    ResourceCache& operator=(const ResourceCache&) = delete;

    // The texture of path, loading it (or secondPath when path cannot be
    // read) on first request; nullptr when neither loads. flags as in
    // GlTexture::createTexture. Without a GL context the picture is kept
    // and uploaded by UploadPendingTextures.
    GlTexture* GetTexture(const char* path, const char* secondPath = nullptr, int flags = 0);
    Mesh* GetMesh(const char* path);
    // A fragment program read from a text file.
    ArbProgram* GetFragmentProgram(const char* path);

    // Reads every cached texture again from its file ("Reload Textures");
    // a file that no longer reads keeps the picture it had.
    void ReloadTextures();
    // Uploads every cached texture that has no GL texture yet.
    void UploadPendingTextures();
    // Deletes every GL object the cache holds (before the context goes).
    void ReleaseGlObjects();

    // How many files were actually read (tests check load-once).
    int texturesLoaded() const { return m_texturesLoaded; }
    int meshesLoaded() const { return m_meshesLoaded; }

private:
    PathTable<GlTexture> m_textures{kBuckets};
    PathTable<Mesh> m_meshes{kBuckets};
    PathTable<ArbProgram> m_programs{kProgramBuckets};
    int m_texturesLoaded = 0;
    int m_meshesLoaded = 0;
};

// The program's cache: made by the GL application, destroyed at shutdown.
ResourceCache* GetResourceCache();
ResourceCache* CreateResourceCache();  // when none exists
void DestroyResourceCache();
