#include "chaos/chaos_options.h"

#include "scenario/scenario_tokens.h"

namespace standin::chaos {

namespace {
constexpr std::uint64_t kMostJobs = 64;
constexpr std::uint64_t kMostSeconds = 7 * 24 * 3600;
}  // namespace

bool readChaosOptions(int count, char** words, ChaosOptions& options, std::string& error) {
  int positional = 0;
  bool seconds = false;
  try {
    for (int i = 0; i < count; ++i) {
      const std::string word = words[i];
      const bool takesValue = word == "--seconds" || word == "--runs" || word == "--seed" || word == "--out" || word == "-j" ||
                              word == "--corpus";
      if (takesValue && i + 1 >= count) throw LineError(word + " needs a value");
      const Token value{takesValue ? words[i + 1] : "", false};
      if (word == "--seconds") {
        options.seconds = parseUnsigned(value, kMostSeconds, "seconds");
        seconds = true;
      } else if (word == "--runs") {
        options.runs = parseUnsigned(value, ~std::uint64_t{0} >> 1, "runs");
        if (options.runs == 0) throw LineError("--runs must be at least 1");
      } else if (word == "--seed") {
        options.seed = parseUnsigned(value, ~std::uint64_t{0}, "seed");
        options.seedGiven = true;
      } else if (word == "--out") {
        options.out = value.text;
      } else if (word == "-j") {
        options.jobs = static_cast<unsigned>(parseUnsigned(value, kMostJobs, "jobs"));
        if (options.jobs == 0) throw LineError("-j must be at least 1");
      } else if (word == "--corpus") {
        options.corpus = value.text;
      } else if (word == "--blind") {
        options.blind = true;
      } else if (word == "--fresh") {
        options.reuse = false;
      } else if (!word.empty() && word[0] == '-') {
        throw LineError("unknown option " + shownWord(word));
      } else if (positional == 0) {
        options.base = word, ++positional;
      } else if (positional == 1) {
        options.plugin = word, ++positional;
      } else {
        throw LineError("unexpected " + shownWord(word));
      }
      if (takesValue) ++i;
    }
    if (seconds && options.runs != 0) throw LineError("give --seconds or --runs, not both");
    if (options.blind && !options.corpus.empty()) throw LineError("a blind run keeps no corpus: give --blind or --corpus, not both");
    if (positional != 2) throw LineError("missing the base scenario or the plug-in");
  } catch (const LineError& bad) {
    error = bad.what();
    return false;
  }
  return true;
}

}  // namespace standin::chaos
