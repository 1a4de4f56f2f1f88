#include "faults/source_places.h"

#include <cctype>
#include <map>

namespace standin {

namespace {

bool isHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// A place's module name starts after a space, '(' or the message's start.
bool startsName(const std::string& text, std::size_t at) {
  return at == 0 || text[at - 1] == ' ' || text[at - 1] == '(';
}

}  // namespace

std::string withSourcePlaces(const std::string& message, const std::string& module, const SourcePlaceOf& placeOf) {
  if (module.empty()) return message;
  const std::string prefix = module + "+0x";
  std::map<std::uint64_t, std::string> known;
  std::string out;
  std::size_t copied = 0;
  for (std::size_t at = message.find(prefix); at != std::string::npos; at = message.find(prefix, at + 1)) {
    if (!startsName(message, at)) continue;
    std::size_t end = at + prefix.size();
    while (end < message.size() && isHexDigit(message[end])) ++end;
    if (end == at + prefix.size()) continue;
    const std::uint64_t offset = std::stoull(message.substr(at + prefix.size(), end - at - prefix.size()), nullptr, 16);
    auto found = known.find(offset);
    if (found == known.end()) found = known.emplace(offset, placeOf(offset)).first;
    if (found->second.empty()) continue;
    out += message.substr(copied, end - copied) + " (" + found->second + ")";
    copied = end;
  }
  return out + message.substr(copied);
}

bool parseOffset(const std::string& text, std::uint64_t& offset) {
  std::string digits = text.substr(text.find('+') == std::string::npos ? 0 : text.find('+') + 1);
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.erase(0, 2);
  if (digits.empty() || digits.size() > 16) return false;
  for (const char c : digits)
    if (!isHexDigit(c)) return false;
  offset = std::stoull(digits, nullptr, 16);
  return true;
}

}  // namespace standin
