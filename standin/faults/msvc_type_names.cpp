#include "faults/msvc_type_names.h"

#include <vector>

namespace standin {

namespace {

const char* builtinType(char code) {
  switch (code) {
    case 'C': return "signed char";
    case 'D': return "char";
    case 'E': return "unsigned char";
    case 'F': return "short";
    case 'G': return "unsigned short";
    case 'H': return "int";
    case 'I': return "unsigned int";
    case 'J': return "long";
    case 'K': return "unsigned long";
    case 'M': return "float";
    case 'N': return "double";
    case 'O': return "long double";
    case 'X': return "void";
    default: return nullptr;
  }
}

const char* extendedType(char code) {
  switch (code) {
    case 'J': return "__int64";
    case 'K': return "unsigned __int64";
    case 'N': return "bool";
    case 'S': return "char16_t";
    case 'U': return "char32_t";
    case 'W': return "wchar_t";
    default: return nullptr;
  }
}

// A reader over the decorated text; every step fails (false) rather than
// reading past its end, so that a damaged name is only a name not read.
class Reader {
 public:
  explicit Reader(const std::string& text) : text_(text) {}

  bool type(std::string& out) {
    if (atEnd()) return false;
    const char code = text_[at_++];
    if (const char* name = builtinType(code)) return out = name, true;
    if (code == '_') {
      if (atEnd()) return false;
      const char* name = extendedType(text_[at_++]);
      return name && (out = name, true);
    }
    if (code == 'V' || code == 'U' || code == 'T') return qualifiedName(out);
    if (code == 'W') return !atEnd() && text_[at_++] == '4' && qualifiedName(out);
    if (code == 'P' || code == 'Q' || code == 'R' || code == 'S' || code == 'A') return pointer(code, out);
    return false;
  }

  bool atEnd() const { return at_ >= text_.size(); }

 private:
  // "name@scope@@" is scope::name; a digit is a name seen before.
  bool qualifiedName(std::string& out) {
    std::vector<std::string> parts;
    while (!atEnd() && text_[at_] != '@') {
      std::string part;
      if (!namePart(part)) return false;
      parts.push_back(part);
    }
    if (atEnd() || parts.empty()) return false;
    ++at_;
    out.clear();
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) out += (out.empty() ? "" : "::") + *part;
    return true;
  }

  bool namePart(std::string& out) {
    const char first = text_[at_];
    if (first >= '0' && first <= '9') {
      const std::size_t seen = static_cast<std::size_t>(first - '0');
      if (seen >= names_.size()) return false;
      ++at_;
      return out = names_[seen], true;
    }
    if (first == '?') return false;  // a template or an operator
    const std::size_t end = text_.find('@', at_);
    if (end == std::string::npos || end == at_) return false;
    out = text_.substr(at_, end - at_);
    at_ = end + 1;
    if (names_.size() < 10) names_.push_back(out);
    return true;
  }

  // P pointer, Q const pointer, R volatile pointer, S both, A reference;
  // then E (a 64-bit pointer) and the pointee's qualifiers.
  bool pointer(char code, std::string& out) {
    while (!atEnd() && (text_[at_] == 'E' || text_[at_] == 'F' || text_[at_] == 'I')) ++at_;
    if (atEnd()) return false;
    const char qualifiers = text_[at_++];
    const char* cv = qualifiers == 'A' ? "" : qualifiers == 'B' ? "const " : qualifiers == 'C' ? "volatile "
                   : qualifiers == 'D' ? "const volatile " : nullptr;
    std::string pointee;
    if (!cv || !type(pointee)) return false;
    out = cv + pointee + (code == 'A' ? " &" : " *");
    if (code == 'Q' || code == 'S') out += " const";
    if (code == 'R' || code == 'S') out += " volatile";
    return true;
  }

  const std::string& text_;
  std::size_t at_ = 0;
  std::vector<std::string> names_;
};

}  // namespace

std::string undecoratedTypeName(const std::string& decorated) {
  std::string text = decorated;
  if (!text.empty() && text[0] == '.') text.erase(0, 1);
  // A class's descriptor reads "?AV...", the name of a type as a data object.
  if (text.size() > 2 && text[0] == '?' && text[1] == 'A') text.erase(0, 2);
  Reader reader(text);
  std::string name;
  return reader.type(name) && reader.atEnd() ? name : "";
}

}  // namespace standin
