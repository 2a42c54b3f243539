#include "platform/message_presenter.h"

#include <GL/gl.h>
#include <SDL.h>
#include <imgui.h>
#include <imgui_impl_sdl.h>

#include <cstdio>

#include "platform/main_window.h"
#include "platform/modal_loop.h"

int ButtonAnswers(MessageButtons buttons, MessageAnswer answers[3], const char* labels[3])
{
    switch (buttons) {
    case MessageButtons::Ok:
        answers[0] = MessageAnswer::Ok;
        labels[0] = "OK";
        return 1;
    case MessageButtons::OkCancel:
        answers[0] = MessageAnswer::Ok;
        answers[1] = MessageAnswer::Cancel;
        labels[0] = "OK";
        labels[1] = "Cancel";
        return 2;
    case MessageButtons::YesNo:
        answers[0] = MessageAnswer::Yes;
        answers[1] = MessageAnswer::No;
        labels[0] = "Yes";
        labels[1] = "No";
        return 2;
    case MessageButtons::YesNoCancel:
        answers[0] = MessageAnswer::Yes;
        answers[1] = MessageAnswer::No;
        answers[2] = MessageAnswer::Cancel;
        labels[0] = "Yes";
        labels[1] = "No";
        labels[2] = "Cancel";
        return 3;
    }
    answers[0] = MessageAnswer::Ok;
    labels[0] = "OK";
    return 1;
}

MessageAnswer DefaultAnswer(MessageButtons buttons)
{
    MessageAnswer answers[3];
    const char* labels[3];
    ButtonAnswers(buttons, answers, labels);
    return answers[0];
}

MessageAnswer EscapeAnswer(MessageButtons buttons)
{
    MessageAnswer answers[3];
    const char* labels[3];
    int count = ButtonAnswers(buttons, answers, labels);
    return answers[count - 1];
}

namespace {

const char* iconGlyph(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
        return "x";
    case MessageIcon::Warning:
        return "!";
    case MessageIcon::Information:
        return "i";
    case MessageIcon::Question:
        return "?";
    case MessageIcon::None:
        return nullptr;
    }
    return nullptr;
}

ImU32 iconColour(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
        return IM_COL32(200, 30, 30, 255);
    case MessageIcon::Warning:
        return IM_COL32(230, 180, 20, 255);
    default:
        return IM_COL32(40, 90, 200, 255);
    }
}

Uint32 sdlBoxFlags(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
        return SDL_MESSAGEBOX_ERROR;
    case MessageIcon::Warning:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

// SDL's own box: used before the window exists or while a frame is being
// built. Returns false when no box could be shown at all.
bool presentWithSdl(SDL_Window* parent, const char* caption, const char* text, MessageIcon icon, MessageButtons buttons,
                    MessageAnswer& answer)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    MessageAnswer answers[3];
    const char* labels[3];
    int count = ButtonAnswers(buttons, answers, labels);
    SDL_MessageBoxButtonData data[3];
    for (int i = 0; i < count; ++i) {
        data[i].flags = 0;
        if (i == 0) data[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (i == count - 1) data[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        data[i].buttonid = i;
        data[i].text = labels[i];
    }
    SDL_MessageBoxData box{};
    box.flags = sdlBoxFlags(icon);
    box.window = parent;
    box.title = caption;
    box.message = text;
    box.numbuttons = count;
    box.buttons = data;
    int chosen = -1;
    if (SDL_ShowMessageBox(&box, &chosen) != 0) return false;
    answer = chosen >= 0 && chosen < count ? answers[chosen] : EscapeAnswer(buttons);
    return true;
}

} // namespace

DesktopMessagePresenter::DesktopMessagePresenter(MainWindow* window) : m_window(window) {}

MessageAnswer DesktopMessagePresenter::present(const char* caption, const char* text, MessageIcon icon,
                                               MessageButtons buttons)
{
    caption = caption ? caption : "";
    text = text ? text : "";
    ++m_boxesShown;
    if (m_automatic) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return DefaultAnswer(buttons);
    }
    MessageAnswer answer;
    if (m_window && m_window->exists() && m_window->uiReady() && !m_window->inUiFrame() && !m_inBox &&
        presentWithUi(caption, text, icon, buttons, answer))
        return answer;
    SDL_Window* parent = m_window && m_window->exists() ? m_window->sdlWindow() : nullptr;
    if (presentWithSdl(parent, caption, text, icon, buttons, answer)) return answer;
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return DefaultAnswer(buttons);
}

bool DesktopMessagePresenter::presentWithUi(const char* caption, const char* text, MessageIcon icon,
                                            MessageButtons buttons, MessageAnswer& answer)
{
    m_inBox = true;
    MessageAnswer answers[3];
    const char* labels[3];
    int count = ButtonAnswers(buttons, answers, labels);
    // The caption is shown; the id after "###" keeps boxes with equal
    // captions apart.
    char title[300];
    std::snprintf(title, sizeof title, "%s###message%d", caption, m_boxesShown);

    bool answered = false;
    bool keysArmed = false;
    answer = EscapeAnswer(buttons);
    bool opened = false;
    bool shown = RunModalLoop([&] {
        if (!opened) {
            ImGui::OpenPopup(title);
            opened = true;
        }
        ImGuiIO& io = ImGui::GetIO();
        ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Always,
                                ImVec2(0.5f, 0.5f));
        if (ImGui::BeginPopupModal(title, nullptr,
                                   ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings)) {
            if (const char* glyph = iconGlyph(icon)) {
                ImVec2 at = ImGui::GetCursorScreenPos();
                ImDrawList* list = ImGui::GetWindowDrawList();
                list->AddCircleFilled(ImVec2(at.x + 14, at.y + 14), 14, iconColour(icon));
                ImVec2 size = ImGui::CalcTextSize(glyph);
                list->AddText(ImVec2(at.x + 14 - size.x * 0.5f, at.y + 14 - size.y * 0.5f), IM_COL32_WHITE, glyph);
                ImGui::Dummy(ImVec2(36, 28));
                ImGui::SameLine();
            }
            // Long texts (paths in error messages) wrap inside the window.
            float wrapWidth = io.DisplaySize.x - 120.0f;
            if (wrapWidth > 520.0f) wrapWidth = 520.0f;
            if (wrapWidth < 100.0f) wrapWidth = 100.0f;
            ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + wrapWidth);
            ImGui::TextUnformatted(text);
            ImGui::PopTextWrapPos();
            ImGui::Spacing();
            for (int i = 0; i < count; ++i) {
                if (i > 0) ImGui::SameLine();
                if (ImGui::Button(labels[i], ImVec2(80, 0))) {
                    answer = answers[i];
                    answered = true;
                }
            }
            // The key that asked for the box (Escape asking to quit) is
            // still down in its first frames; it must not answer the box.
            int enterKey = ImGui::GetKeyIndex(ImGuiKey_Enter);
            int escapeKey = ImGui::GetKeyIndex(ImGuiKey_Escape);
            if (!keysArmed) keysArmed = !ImGui::IsKeyDown(enterKey) && !ImGui::IsKeyDown(escapeKey);
            if (!answered && keysArmed && ImGui::IsKeyPressed(enterKey, false)) {
                answer = answers[0];
                answered = true;
            }
            if (!answered && keysArmed && ImGui::IsKeyPressed(escapeKey, false)) {
                answer = EscapeAnswer(buttons);
                answered = true;
            }
            if (answered) ImGui::CloseCurrentPopup();
            ImGui::EndPopup();
        }
        return !answered;
    });
    m_inBox = false;
    return shown;
}
