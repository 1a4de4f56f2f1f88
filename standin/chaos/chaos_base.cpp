#include "chaos/chaos_base.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "scenario/key_names.h"
#include "base/quoted_text.h"
#include "scenario/scenario.h"
#include "scenario/scenario_words.h"

namespace standin::chaos {

namespace {

std::vector<std::string> pathParts(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/' || path[i] == '\\') {
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      part.clear();
    } else {
      part += path[i];
    }
  }
  return parts;
}

// The frame a base line names, which a shortened session must still reach.
std::uint64_t frameNamed(const std::vector<Token>& tokens) {
  const std::string& directive = tokens[0].text;
  if ((directive == "key" || directive == "reload") && tokens.size() > 1 && tokens[1].text != "every")
    return parseFrame(tokens[1]);
  if (directive != "expect") return 0;
  for (std::size_t i = 1; i + 1 < tokens.size(); ++i)
    if (!tokens[i].quoted && (tokens[i].text == "frame" || tokens[i].text == "frames"))
      return parseFrameRange(tokens[i + 1]).first;
  return 0;
}

// A line's comment asks to keep it in chaos sessions.
bool markedToKeep(const std::string& line) {
  const std::size_t hash = line.rfind('#');
  return hash != std::string::npos && line.find("chaos keep", hash) != std::string::npos;
}

class BaseReader {
 public:
  BaseReader(const std::string& path, const std::string& outFolder)
      : path_(path), outFolder_(outFolder), chain_(path) {}

  ChaosBase read();

 private:
  // The lines of the innermost file of the chain; an include line's file is
  // read in its place, so findings hold its lines and play without it.
  void readLines(std::istream& in);
  void readLine(const std::string& line, Words& words, const std::vector<Token>& tokens);
  void readChaos(Words& words);
  void addPathLine(const std::string& directive, const std::string& path);

  std::string path_;
  std::string outFolder_;
  IncludeChain chain_;
  ChaosBase base_;
  bool folderGiven_ = false;
  bool keepExpectations_ = false;
  std::vector<BaseLine> expectations_;  // marked or not, until all directives are read
  std::vector<bool> expectationMarked_;
};

void BaseReader::addPathLine(const std::string& directive, const std::string& path) {
  const std::string resolved = resolveWorkingFolder(chain_.current(), path);
  base_.plan.base.head.push_back(directive + " " + quoteText(resolved));
  if (directive == "folder") base_.workingFolder = resolved;
  base_.outHead.push_back(directive + " " + quoteText(relativePath(outFolder_, resolved)));
}

void BaseReader::readChaos(Words& words) {
  const Token& what = words.take("'keep' or 'keys'");
  if (what.text != "keep" || what.quoted) throw LineError("unknown chaos directive " + shownWord(what.text) + " (expected keep, keys or values)");
  const Token& kept = words.take("native, keys, reloads or expectations");
  if (kept.text == "keys" && !kept.quoted) base_.plan.keys = false;
  else if (kept.text == "reloads" && !kept.quoted) base_.plan.reloads = false;
  else if (kept.text == "expectations" && !kept.quoted) keepExpectations_ = true;
  else base_.answered.insert(parseNative(kept));
  words.expectEnd();
}

void BaseReader::readLine(const std::string& line, Words& words, const std::vector<Token>& tokens) {
  const std::string directive = words.take("directive").text;
  if (directive == "chaos") {
    if (tokens.size() > 1 && tokens[1].text == "keys") {
      for (std::size_t i = 2; i < tokens.size(); ++i) base_.plan.keyHints.push_back(parseKeyCode(tokens[i]));
      if (tokens.size() == 2) throw LineError("'chaos keys' needs one key code or more");
    } else if (tokens.size() > 1 && tokens[1].text == "values") {
      if (tokens.size() < 4) throw LineError("'chaos values' needs a native and one value or more");
      std::vector<std::uint32_t>& values = base_.plan.values[parseNative(tokens[2])];
      for (std::size_t i = 3; i < tokens.size(); ++i) values.push_back(parseWord(tokens[i], "value"));
    } else {
      readChaos(words);
    }
  } else if (directive == "include") {
    const std::string written = words.take("included file").text;
    words.expectEnd();
    std::string text;
    chain_.enter(written, text);
    std::istringstream lines(text);
    readLines(lines);
    chain_.leave();
  } else if (directive == "frames") {
    base_.plan.base.frames = parseFrame(words.take("number of frames"));
  } else if (directive == "strict") {
    // Every session is strict.
  } else if (directive == "names" || directive == "folder") {
    folderGiven_ = folderGiven_ || directive == "folder";
    addPathLine(directive, words.take("path").text);
  } else if (directive == "answer" || directive == "key" || directive == "reload") {
    if (directive == "answer") base_.answered.insert(parseNative(words.take("native")));
    base_.plan.base.baseLines.push_back({line, frameNamed(tokens)});
  } else if (directive == "expect") {
    expectations_.push_back({line, frameNamed(tokens)});
    expectationMarked_.push_back(markedToKeep(line));
  } else {
    base_.plan.base.head.push_back(line);
    base_.outHead.push_back(line);
  }
}

ChaosBase BaseReader::read() {
  std::ifstream in(path_, std::ios::binary);
  if (!in) throw ScenarioError(path_ + ": cannot open the scenario file");
  readLines(in);
  // The working folder stays the base's own when the findings lie elsewhere.
  if (!folderGiven_) addPathLine("folder", "");
  for (std::size_t i = 0; i < expectations_.size(); ++i)
    if (keepExpectations_ || expectationMarked_[i]) base_.plan.base.baseLines.push_back(expectations_[i]);
  return base_;
}

void BaseReader::readLines(std::istream& in) {
  std::string line;
  for (std::size_t number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 1) skipByteOrderMark(line);
    try {
      const std::vector<Token> tokens = tokenizeLine(line);
      if (tokens.empty()) continue;
      Words words(tokens);
      readLine(line, words, tokens);
    } catch (const LineError& error) {
      throw ScenarioError(chain_.current() + ":" + std::to_string(number) + ": " + printableText(error.what()));
    }
  }
}

}  // namespace

std::string relativePath(const std::string& folder, const std::string& target) {
  const std::vector<std::string> from = pathParts(folder), to = pathParts(target);
  if (from.empty() || to.empty() || from[0] != to[0]) return target;
  std::size_t common = 0;
  while (common < from.size() && common < to.size() && from[common] == to[common]) ++common;
  std::string path;
  for (std::size_t i = common; i < from.size(); ++i) path += "../";
  for (std::size_t i = common; i < to.size(); ++i) path += to[i] + (i + 1 < to.size() ? "/" : "");
  if (path.empty()) return ".";
  if (path.back() == '/') path.pop_back();
  return path;
}

ChaosBase readChaosBase(const std::string& path, const std::string& outFolder) {
  return BaseReader(path, outFolder).read();
}

}  // namespace standin::chaos
