// The splash picture: drawn centred over the main window, above everything
// else, from start-up until it is hidden.
#pragma once

class SplashPicture {
public:
    static constexpr const char* kFileName = "Data/EditorUI/splash.png";

    SplashPicture() = default;
    ~SplashPicture();
    SplashPicture(const SplashPicture&) = delete;
    SplashPicture& operator=(const SplashPicture&) = delete;

    // Loads the picture into a texture (needs the GL context); false when
    // the file is missing or unreadable, in which case nothing is shown.
    bool load();
    // Draws it centred on a view of the given size; GL state is restored.
    void draw(int viewWidth, int viewHeight) const;

private:
    unsigned int m_texture = 0;
    int m_width = 0;
    int m_height = 0;
};
