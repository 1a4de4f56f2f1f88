// A suite's report: the lines a scenario gets, and JUnit XML that stays well
// formed whatever a session said.
#include <gtest/gtest.h>

#include "suite/suite_report.h"

namespace {

TEST(SuiteReport, TellsEachScenarioAndWritesJUnit) {
  standin::ScenarioResult passed{"tests/a.scn", "t/a.txt", 0, 120, true, "3 expectations met", 0.42, {}};
  standin::ScenarioResult failed{"tests/b.scn", "t/b.txt", 9, 10, true, "", 1.5,
                                 {"b.scn:4: expected a line \"<done> & \x01gone\" in log.txt"}};
  standin::ScenarioResult unread{"c.scn", "t/c.txt", 2, 0, false, "", 0.1, {"c.scn:1: unknown directive 'x'"}};
  EXPECT_EQ(resultLines(passed), std::vector<std::string>{"tests/a.scn: passed (3 expectations met), 120 frames, 0.4 s"});
  EXPECT_EQ(resultLines(failed), (std::vector<std::string>{
                                     "tests/b.scn: FAILED, expectations not met (exit 9), 10 frames, 1.5 s",
                                     "    b.scn:4: expected a line \"<done> & \x01gone\" in log.txt",
                                     "    trace: t/b.txt",
                                 }));
  EXPECT_EQ(resultLines(unread).front(),
            "c.scn: FAILED, did not read (scenario, names file or working folder) (exit 2), no frames played, 0.1 s");
  EXPECT_EQ(standin::suiteCountLine({passed, failed, unread}), "1 passed, 2 failed");
  EXPECT_EQ(standin::junitXml("P.asi", {passed, failed}),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<testsuites tests=\"2\" failures=\"1\" errors=\"0\" time=\"1.920\">\n"
            "  <testsuite name=\"P.asi\" tests=\"2\" failures=\"1\" errors=\"0\" time=\"1.920\">\n"
            "    <testcase name=\"tests/a.scn\" classname=\"tests\" time=\"0.420\"/>\n"
            "    <testcase name=\"tests/b.scn\" classname=\"tests\" time=\"1.500\">\n"
            "      <failure message=\"expectations not met: b.scn:4: expected a line &quot;&lt;done&gt; &amp; gone&quot; "
            "in log.txt\" type=\"exit 9\">b.scn:4: expected a line &quot;&lt;done&gt; &amp; gone&quot; in log.txt\n"
            "trace: t/b.txt</failure>\n"
            "    </testcase>\n"
            "  </testsuite>\n"
            "</testsuites>\n");
}

// JUnit declares UTF-8: UTF-8 text stays as it is, and every byte that is
// not part of it is written as the trace writes it, so the file parses
// whatever a path or an exception's what() held.
TEST(SuiteReport, JUnitTextIsWellFormedUtf8) {
  const struct {
    const char* text;
    const char* xml;
  } rows[] = {
      {"caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"},
      {"caf\xE9.scn", "caf\\xE9.scn"},                        // a path in the ANSI code page
      {"\xFF\xFE" "boom", "\\xFF\\xFEboom"},                  // UTF-16's byte-order mark
      {"\xC0\xAF", "\\xC0\\xAF"},                             // an overlong '/'
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},                    // a surrogate
      {"\xEF\xBF\xBE", "\\xEF\\xBF\\xBE"},                    // U+FFFE, no XML character
      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},           // past U+10FFFF
      {"\xE6\x97", "\\xE6\\x97"},                             // cut short
      {"a\x01\x7F" "b\tc\n", "a\\x7Fb\tc\n"},                 // control bytes dropped, DEL escaped
  };
  for (const auto& row : rows) EXPECT_EQ(standin::xmlText(row.text), row.xml) << row.text;
}

}  // namespace
