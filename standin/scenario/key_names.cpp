#include "scenario/key_names.h"

#include <cctype>

namespace standin {

namespace {

struct KeyName {
  const char* name;
  std::uint32_t code;
};

// Windows' virtual-key codes by their names without VK_; letters, digits,
// F1-F24 and NUMPAD0-9 are made from their first code.
constexpr KeyName kKeys[] = {
    {"LBUTTON", 0x01}, {"RBUTTON", 0x02}, {"CANCEL", 0x03}, {"MBUTTON", 0x04}, {"XBUTTON1", 0x05},
    {"XBUTTON2", 0x06}, {"BACK", 0x08}, {"TAB", 0x09}, {"CLEAR", 0x0C}, {"RETURN", 0x0D}, {"ENTER", 0x0D},
    {"SHIFT", 0x10}, {"CONTROL", 0x11}, {"MENU", 0x12}, {"ALT", 0x12}, {"PAUSE", 0x13}, {"CAPITAL", 0x14},
    {"KANA", 0x15}, {"HANGUL", 0x15}, {"IME_ON", 0x16}, {"JUNJA", 0x17}, {"FINAL", 0x18}, {"HANJA", 0x19},
    {"KANJI", 0x19}, {"IME_OFF", 0x1A}, {"ESCAPE", 0x1B}, {"CONVERT", 0x1C}, {"NONCONVERT", 0x1D},
    {"ACCEPT", 0x1E}, {"MODECHANGE", 0x1F}, {"SPACE", 0x20}, {"PRIOR", 0x21}, {"NEXT", 0x22}, {"END", 0x23},
    {"HOME", 0x24}, {"LEFT", 0x25}, {"UP", 0x26}, {"RIGHT", 0x27}, {"DOWN", 0x28}, {"SELECT", 0x29},
    {"PRINT", 0x2A}, {"EXECUTE", 0x2B}, {"SNAPSHOT", 0x2C}, {"INSERT", 0x2D}, {"DELETE", 0x2E}, {"HELP", 0x2F},
    {"LWIN", 0x5B}, {"RWIN", 0x5C}, {"APPS", 0x5D}, {"SLEEP", 0x5F}, {"MULTIPLY", 0x6A}, {"ADD", 0x6B},
    {"SEPARATOR", 0x6C}, {"SUBTRACT", 0x6D}, {"DECIMAL", 0x6E}, {"DIVIDE", 0x6F}, {"NUMLOCK", 0x90},
    {"SCROLL", 0x91}, {"LSHIFT", 0xA0}, {"RSHIFT", 0xA1}, {"LCONTROL", 0xA2}, {"RCONTROL", 0xA3},
    {"LMENU", 0xA4}, {"RMENU", 0xA5}, {"BROWSER_BACK", 0xA6}, {"BROWSER_FORWARD", 0xA7},
    {"BROWSER_REFRESH", 0xA8}, {"BROWSER_STOP", 0xA9}, {"BROWSER_SEARCH", 0xAA}, {"BROWSER_FAVORITES", 0xAB},
    {"BROWSER_HOME", 0xAC}, {"VOLUME_MUTE", 0xAD}, {"VOLUME_DOWN", 0xAE}, {"VOLUME_UP", 0xAF},
    {"MEDIA_NEXT_TRACK", 0xB0}, {"MEDIA_PREV_TRACK", 0xB1}, {"MEDIA_STOP", 0xB2}, {"MEDIA_PLAY_PAUSE", 0xB3},
    {"LAUNCH_MAIL", 0xB4}, {"LAUNCH_MEDIA_SELECT", 0xB5}, {"LAUNCH_APP1", 0xB6}, {"LAUNCH_APP2", 0xB7},
    {"OEM_1", 0xBA}, {"OEM_PLUS", 0xBB}, {"OEM_COMMA", 0xBC}, {"OEM_MINUS", 0xBD}, {"OEM_PERIOD", 0xBE},
    {"OEM_2", 0xBF}, {"OEM_3", 0xC0}, {"OEM_4", 0xDB}, {"OEM_5", 0xDC}, {"OEM_6", 0xDD}, {"OEM_7", 0xDE},
    {"OEM_8", 0xDF}, {"OEM_102", 0xE2}, {"PROCESSKEY", 0xE5}, {"PACKET", 0xE7}, {"ATTN", 0xF6},
    {"CRSEL", 0xF7}, {"EXSEL", 0xF8}, {"EREOF", 0xF9}, {"PLAY", 0xFA}, {"ZOOM", 0xFB}, {"NONAME", 0xFC},
    {"PA1", 0xFD}, {"OEM_CLEAR", 0xFE},
};

// "F12" -> 12 for prefix "F": digits only, no leading zero, at most `largest`.
bool numbered(const std::string& name, const std::string& prefix, unsigned first, unsigned largest, unsigned& number) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  const std::string digits = name.substr(prefix.size());
  if (digits.size() > 2 || (digits.size() > 1 && digits[0] == '0')) return false;
  number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  return number >= first && number <= largest;
}

}  // namespace

bool keyCodeNamed(const std::string& written, std::uint32_t& code) {
  std::string name;
  for (char c : written) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const bool prefixed = name.rfind("VK_", 0) == 0;
  if (prefixed) name.erase(0, 3);
  if (name.empty()) return false;
  unsigned number = 0;
  if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') {
    code = static_cast<std::uint32_t>(name[0]);  // VK_A to VK_Z are the letters' ASCII codes
  } else if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') {
    if (!prefixed) return false;
    code = static_cast<std::uint32_t>(name[0]);
  } else if (numbered(name, "F", 1, 24, number)) {
    code = 0x70 + number - 1;
  } else if (numbered(name, "NUMPAD", 0, 9, number)) {
    code = 0x60 + number;
  } else {
    for (const KeyName& key : kKeys)
      if (name == key.name) {
        code = key.code;
        return true;
      }
    return false;
  }
  return true;
}

std::string keyNameOf(std::uint32_t code) {
  if (code >= 'A' && code <= 'Z') return std::string(1, static_cast<char>(code));
  if (code >= '0' && code <= '9') return "VK_" + std::string(1, static_cast<char>(code));
  if (code >= 0x70 && code < 0x70 + 24) return "F" + std::to_string(code - 0x70 + 1);
  if (code >= 0x60 && code <= 0x69) return "NUMPAD" + std::to_string(code - 0x60);
  for (const KeyName& key : kKeys)
    if (key.code == code) return key.name;
  return "";
}

std::uint32_t parseKeyCode(const Token& token) {
  const char first = token.text.empty() ? '\0' : token.text[0];
  const bool number = (first >= '0' && first <= '9') || first == '-' || token.text.rfind("hash(", 0) == 0;
  std::uint32_t code = 0;
  if (token.quoted || number || !keyCodeNamed(token.text, code)) {
    if (token.quoted || number) return parseWord(token, "key code");
    throw LineError("unknown key name " + shownWord(token.text) +
                    " (expected a key code such as 0x77, or a Windows virtual-key name such as F8, SPACE, "
                    "VK_RETURN or VK_0)");
  }
  return code;
}

}  // namespace standin
