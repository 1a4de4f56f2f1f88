// The reader of scenario files, split between its lines and the checks made
// once every line is read; private to the scenario room.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <utility>
#include <vector>

#include "scenario/scenario.h"
#include "scenario/scenario_words.h"
#include "scenario/when_slots.h"

namespace standin {

// Lines are numbered in the order read, across included files; `places_`
// turns such a number back into a file and its line for messages.
class ScenarioParser {
 public:
  ScenarioParser(Scenario& scenario, std::string sourceName)
      : scenario_(scenario), source_(std::move(sourceName)), chain_(source_) {}

  // The lines of the innermost file of the chain; its errors name it.
  void parseLines(std::istream& in);
  void finish();

 private:
  void parseLine(Words& words, std::size_t ordinal);
  void parseInclude(Words& words);
  std::string placeOf(std::size_t ordinal) const {
    return places_[ordinal - 1].first + ":" + std::to_string(places_[ordinal - 1].second);
  }
  // "line N" within the file being read, "FILE:N" in another.
  std::string lineWords(std::size_t ordinal) const {
    const auto& [file, line] = places_[ordinal - 1];
    return file == chain_.current() ? "line " + std::to_string(line) : file + ":" + std::to_string(line);
  }
  void placeExpectations();
  void setOnce(std::size_t& seenOnLine, const std::string& directive);
  void parseAnswer(Words& words);
  void parseKey(Words& words);
  void parseReload(Words& words);
  void parseCap(Words& words);
  void expandReloads();
  void refuseOverlappingLists() const;
  void refuseOutWritesOnDeclaredSlots() const;
  [[noreturn]] void refuseAt(std::size_t lineNumber, const std::string& message) const {
    throw ScenarioError(placeOf(lineNumber) + ": " + message);
  }

  Scenario& scenario_;
  std::string source_;
  IncludeChain chain_;
  std::vector<std::pair<std::string, std::size_t>> places_;  // file, line
  std::size_t line_ = 0;
  std::size_t framesLine_ = 0;
  std::size_t fpsLine_ = 0;
  std::size_t folderLine_ = 0;
  std::size_t capFramesLine_ = 0;
  std::vector<std::size_t> keyLines_;
  std::size_t reloadEveryLine_ = 0;
  std::uint64_t reloadEvery_ = 0;
  std::vector<std::pair<std::uint64_t, std::size_t>> reloadLines_;  // frame, line
  struct OutWrite {
    std::uint64_t native;
    unsigned slot;
    std::size_t line;
    std::size_t bytes;
  };
  std::vector<OutWrite> outWrites_;
  std::vector<WhenSlot> whenSlots_;
};

}  // namespace standin
