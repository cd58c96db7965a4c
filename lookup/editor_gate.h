#pragma once

#include <functional>
#include <string>

#include "platform/questions.h"

namespace vestral {

// Key code and modifier sum as the lookup window's key handler receives them.
inline constexpr int kKeyEscape = 27;
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// What the gate shows in LblItem.
inline constexpr const char* kEditorQuery = "Editor query";
inline constexpr const char* kEditorShowed = "Editor showed";
inline constexpr const char* kEditorAborted = "Editor aborted";
inline constexpr const char* kEditorLocked = "Editor locked";

// True only for Esc with Ctrl and Alt held and Shift not.
bool IsEditorGateKey(int KeyCode, int Shift);

// The question put for Editor=QUERY: Yes/No, No the default.
MessageBox EditorQuestion();

// Decides whether the editor may open, by the setting Editor in [Main] of the ini
// file, read afresh: ENABLED (any letter case) opens at once without a status;
// QUERY shows "Editor query" while asking, then "Editor showed" or "Editor
// aborted"; anything else, or no file, shows "Editor locked". Each status is passed
// to `setStatus` when it is reached. Returns true when the caller is to show the
// editor and unload the lookup window.
bool RunEditorGate(const std::string& iniPath, Questions& questions,
                   const std::function<void(const std::string&)>& setStatus);

}  // namespace vestral
