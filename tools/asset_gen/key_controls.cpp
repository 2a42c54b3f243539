// The key-controls picture shown over the view on first start and with F1:
// a translucent panel listing the keys and mouse gestures.
#include "assets.h"
#include "canvas.h"

bool WriteKeyControls(const std::string& path)
{
    const int size = 512;
    Canvas canvas(size, size, Rgba{0, 0, 0, 0});
    canvas.fillRoundRect(16, 16, size - 16, size - 16, 18, Rgba{0.06f, 0.08f, 0.10f, 0.78f});
    canvas.fillRoundRect(16, 16, size - 16, 62, 18, Rgba{0.20f, 0.42f, 0.62f, 0.85f});
    canvas.fillRect(16, 44, size - 16, 62, Rgba{0.20f, 0.42f, 0.62f, 0.85f});
    const char* title = "KEY CONTROLS";
    canvas.drawText((size - Canvas::textWidth(title, 3)) / 2, 29, title, 3, Rgba{1, 1, 1, 1});

    struct Row {
        const char* keys;
        const char* action;
    };
    const Row rows[] = {
        {"E D", "FORWARD / BACK"},
        {"S F", "LEFT / RIGHT"},
        {"A Z", "UP / DOWN"},
        {"ARROWS", "MOVE"},
        {"SHIFT", "MOVE FASTER"},
        {"MIDDLE DRAG", "LOOK AROUND"},
        {"ALT+LEFT", "ORBIT"},
        {"ALT+RIGHT", "PAN"},
        {"ALT+MIDDLE", "DOLLY"},
        {"WHEEL", "ZOOM"},
        {nullptr, nullptr},
        {"LEFT DRAG", "USE THE TOOL"},
        {"SHIFT+DRAG", "BRUSH SIZE"},
        {"CTRL", "INVERT / PICK COLOUR"},
        {"SPACE", "SNAP TO A VERTEX"},
        {"TAB", "PREVIOUS TOOL"},
        {"CTRL+Z", "UNDO (+SHIFT: REDO)"},
        {"CAPS LOCK", "HIDE THE WINDOWS"},
        {"HOME", "HOME VIEW"},
        {"F1", "SHOW / HIDE THIS"},
        {"ESC", "QUIT"},
    };
    const Rgba keyColour{1.0f, 0.85f, 0.40f, 1};
    const Rgba textColour{0.92f, 0.94f, 0.96f, 1};
    int y = 80;
    for (const Row& row : rows) {
        if (!row.keys) {
            canvas.fillRect(40, y + 4, size - 40, y + 6, Rgba{1, 1, 1, 0.25f});
            y += 12;
            continue;
        }
        int keyWidth = Canvas::textWidth(row.keys, 2);
        canvas.fillRoundRect(36, static_cast<float>(y - 4), static_cast<float>(44 + keyWidth),
                             static_cast<float>(y + 18), 4, Rgba{1, 1, 1, 0.12f});
        canvas.drawText(40, y, row.keys, 2, keyColour);
        canvas.drawText(200, y, row.action, 2, textColour);
        y += 19;
    }
    return canvas.savePng(path.c_str(), 4);
}
