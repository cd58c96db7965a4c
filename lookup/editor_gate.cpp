#include "lookup/editor_gate.h"

#include "platform/file_io.h"
#include "platform/ini_reader.h"

namespace vestral {

namespace {

// Upper case for the comparison with the ASCII setting words; other bytes (code
// page 1251 letters) can never make a value equal to one of them.
std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string editorSetting(const std::string& iniPath) {
  return upper(ReadIniValue("Editor", "Main", iniPath));
}

}  // namespace

bool IsEditorGateKey(int KeyCode, int Shift) {
  return KeyCode == kKeyEscape && Shift == (kCtrlMask | kAltMask);
}

MessageBox EditorQuestion() {
  MessageBox box;
  // "Разрешить запуск редактора" in code page 1251.
  box.text =
      "\xD0\xE0\xE7\xF0\xE5\xF8\xE8\xF2\xFC \xE7\xE0\xEF\xF3\xF1\xEA "
      "\xF0\xE5\xE4\xE0\xEA\xF2\xEE\xF0\xE0";
  box.buttons = {Button::Yes, Button::No};
  box.defaultButton = Button::No;
  box.icon = Icon::Question;
  box.title = "Editor module";
  return box;
}

bool RunEditorGate(const std::string& iniPath, Questions& questions,
                   const std::function<void(const std::string&)>& setStatus) {
  if (!FileExists(iniPath)) {
    setStatus(kEditorLocked);
    return false;
  }
  if (editorSetting(iniPath) == "ENABLED") return true;
  // Read again rather than reuse the value: an edit between the two reads counts.
  if (editorSetting(iniPath) == "QUERY") {
    setStatus(kEditorQuery);
    if (questions.ask(EditorQuestion()) == Button::Yes) {
      setStatus(kEditorShowed);
      return true;
    }
    setStatus(kEditorAborted);
    return false;
  }
  setStatus(kEditorLocked);
  return false;
}

}  // namespace vestral
