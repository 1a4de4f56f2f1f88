#include "base/quoted_text.h"

#include <cctype>
#include <charconv>

namespace standin {

namespace {
int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool unescape(std::string_view text, std::size_t& pos, std::string& out) {
  if (pos >= text.size()) return false;
  const char c = text[pos++];
  switch (c) {
    case '"': case '\\': out += c; return true;
    case 'n': out += '\n'; return true;
    case 'r': out += '\r'; return true;
    case 't': out += '\t'; return true;
    case 'x': {
      if (pos + 2 > text.size()) return false;
      const int high = hexDigit(text[pos]), low = hexDigit(text[pos + 1]);
      if (high < 0 || low < 0) return false;
      out += static_cast<char>(high * 16 + low);
      pos += 2;
      return true;
    }
    default: return false;
  }
}
}  // namespace

std::string quoteText(std::string_view text) {
  std::string quoted = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (c >= 0x20 && c < 0x7F) {
          quoted += static_cast<char>(c);
        } else {
          quoted += "\\x" + hex(c, 2).substr(2);
        }
    }
  }
  return quoted + "\"";
}

bool unquoteText(std::string_view text, std::size_t& pos, std::string& out) {
  if (pos >= text.size() || text[pos] != '"') return false;
  std::size_t at = pos + 1;
  out.clear();
  while (at < text.size()) {
    const char c = text[at++];
    if (c == '"') {
      pos = at;
      return true;
    }
    if (c != '\\') {
      out += c;
    } else if (!unescape(text, at, out)) {
      return false;
    }
  }
  return false;
}

std::string hex(std::uint64_t value, int digits) {
  char text[16];
  char* end = std::to_chars(text, text + sizeof text, value, 16).ptr;
  const auto length = static_cast<int>(end - text);
  std::string out = "0x";
  if (length < digits) out.append(static_cast<std::size_t>(digits - length), '0');
  for (const char* c = text; c != end; ++c) out += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
  return out;
}

std::string printableText(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      out += "\\x" + hex(c, 2).substr(2);
    }
  }
  return out;
}

// Long enough for any hash, number or name a scenario holds.
constexpr std::size_t kLongestShownWord = 80;

std::string shownWord(std::string_view word) {
  const bool cut = word.size() > kLongestShownWord;
  const std::string shown = printableText(word.substr(0, kLongestShownWord));
  return "'" + shown + (cut ? "...' (" + std::to_string(word.size()) + " bytes)" : "'");
}

std::string wideOutWord(const std::vector<std::uint64_t>& slots) {
  if (slots.size() == 1) return "&" + hex(slots[0], 16);
  std::string word = "&";
  for (std::size_t i = 0; i < slots.size(); ++i)
    word += (i ? "," : "") + hex(static_cast<std::uint32_t>(slots[i]), 8);
  return word;
}

}  // namespace standin
