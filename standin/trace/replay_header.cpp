#include "trace/replay_header.h"

#include <ostream>

#include "base/protocol_rules.h"
#include "base/quoted_text.h"
#include "scenario/scenario.h"
#include "scenario/scenario_tokens.h"

namespace standin {

namespace {

// A path of the header as the replay writes it: from the replay's folder.
std::string fromReplay(const std::string& path, const ReplayPaths& paths) {
  if (paths.trace.empty()) return path;
  const std::string absolute = isAbsolutePath(path) ? path : resolveWorkingFolder(paths.trace, path);
  const std::string& replay = paths.scenario.empty() ? paths.trace : paths.scenario;
  return relativePath(resolveWorkingFolder(replay, ""), absolute);
}

}  // namespace

void writeReplayHeader(std::ostream& out, const TraceHeader& header, const ReplayPaths& paths) {
  for (const std::string& names : header.namesFiles) {
    try {
      loadNamesFile(paths.trace.empty() || isAbsolutePath(names) ? names : resolveWorkingFolder(paths.trace, names));
    } catch (const std::runtime_error& error) {  // a names file gone or changed since
      throw TraceError(std::string("the names file of its header does not read: ") + error.what());
    }
    out << "names " << quoteText(fromReplay(names, paths)) << "\n";
  }
  for (const std::string& id : header.allowed) {
    Rule rule;
    if (!ruleNamed(id, rule)) throw TraceError("its header allows a rule no stand-in has: " + shownWord(id));
    out << "allow " << id << "\n";
  }
  if (!header.folder.empty()) out << "folder " << quoteText(fromReplay(header.folder, paths)) << "\n";
  // The replay holds every answer itself; these say what the session was played from.
  for (const auto& [path, hash] : header.includes)
    out << "# recorded with " << quoteText(fromReplay(path, paths)) << " included (text hash " << hex(hash, 16) << ")\n";
}

void writeReplayExpectations(std::ostream& out, const TraceHeader& header) {
  if (header.lineExpectations.empty() && !header.noReloadLoss) return;
  out << "\n# What the session expected besides its calls.\n";
  for (const auto& [file, text] : header.lineExpectations)
    out << "expect line " << quoteText(file) << " " << quoteText(text) << "\n";
  if (header.noReloadLoss) out << "expect no-reload-loss\n";
}

TraceHeader traceHeaderOf(const Scenario& scenario, const std::string& workingFolder, const std::string& tracePath) {
  TraceHeader header;
  header.fps = scenario.fps;
  header.callsPerFrame = scenario.caps.callsPerFrame;
  header.framesCap = scenario.caps.frames;
  header.stallMs = scenario.caps.stallMs;
  header.namesFiles = scenario.namesFiles;
  for (const IncludedFile& included : scenario.includes) {
    const bool fromTrace = isAbsolutePath(included.path) && !tracePath.empty();
    header.includes.emplace_back(fromTrace ? relativePath(resolveWorkingFolder(tracePath, ""), included.path) : included.path,
                                 included.hash);
  }
  for (Rule rule : scenario.allowed) header.allowed.push_back(ruleId(rule));
  header.strict = scenario.strict;
  if (!workingFolder.empty() && !tracePath.empty())
    header.folder = relativePath(resolveWorkingFolder(tracePath, ""), workingFolder);
  for (const Expectation& expected : scenario.expectations) {
    if (expected.kind == Expectation::Kind::NoReloadLoss) header.noReloadLoss = true;
    if (expected.kind != Expectation::Kind::Line) continue;
    const bool absolute = isAbsolutePath(expected.file) && !workingFolder.empty();
    header.lineExpectations.emplace_back(absolute ? relativePath(workingFolder, expected.file) : expected.file,
                                         expected.text);
  }
  return header;
}

}  // namespace standin
