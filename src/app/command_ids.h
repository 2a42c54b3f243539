// Command ids of the main menu. Plug-in menu entries and the undo history
// use ids of their own outside this list.
#pragma once

namespace cmd {
constexpr int New = 40005;
constexpr int Load = 40003;
constexpr int Save = 40004;
constexpr int SaveAs = 40014;
constexpr int AntiAliasing = 40054;
constexpr int ShowStats = 40028;
constexpr int Screenshot = 40016;
constexpr int ArrangeWindows = 40050;
constexpr int HideWindows = 40048;
constexpr int MapInfo = 40047;
constexpr int Explore = 40053;
constexpr int SmoothTextures = 40056;
constexpr int ReloadTextures = 40017;
constexpr int ReloadHeightmap = 40029;
constexpr int ImportHeightmap = 40039;
constexpr int ExportHeightmap = 40040;
constexpr int CameraFast = 40018;
constexpr int CameraNormal = 40019;
constexpr int CameraSlow = 40020;
constexpr int HomePosition = 40051;
constexpr int OverheadPosition = 40052;
constexpr int StickToGround = 40042;
constexpr int SetKeys = 40032;
constexpr int WasdKeys = 40021;
constexpr int ReverseMouse = 40043;
constexpr int UndoRedo = 40023;
constexpr int KeyControls = 40027;
constexpr int VideoDriver = 40046;
constexpr int Manual = 40025;
constexpr int WebSite = 40026;
constexpr int About = 40008;
}  // namespace cmd
