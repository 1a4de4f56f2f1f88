#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "config_test_support.h"
#include "base/game_text_hash.h"
#include "host_test_support.h"
#include "names/name_lists.h"
#include "names/names_generator.h"

namespace {

constexpr std::uint64_t kTextHashNative = 0xFD340785ADF8CFB7;

// Every built-in entry in the order the generator takes them.
std::vector<const char*> allEntries() {
  std::vector<const char*> entries;
  for (const auto* list :
       {&SpanishMaleFirstNames, &SpanishSurnames, &MaleFirstNames, &FemaleFirstNames, &Surnames})
    entries.insert(entries.end(), list->begin(), list->end());
  return entries;
}

TEST(NameLists, CountsCapacitiesAndContent) {
  const struct {
    const std::vector<const char*>& list;
    std::size_t count;
  } lists[] = {{SpanishMaleFirstNames, 71}, {SpanishSurnames, 38}, {MaleFirstNames, 114},
               {FemaleFirstNames, 114}, {Surnames, 137}};
  for (const auto& l : lists) {
    EXPECT_EQ(l.list.size(), l.count);
    EXPECT_EQ(l.list.capacity(), l.count);
  }

  // FNV-1a over every entry and a line feed, in order: any changed, moved,
  // missing or added name changes it.
  std::uint64_t digest = 0xcbf29ce484222325u;
  std::map<std::string, int> occurrences;
  for (const char* entry : allEntries()) {
    EXPECT_LE(std::strlen(entry), 11u) << entry;
    ++occurrences[entry];
    for (const char* c = entry;; ++c) {
      digest = (digest ^ static_cast<unsigned char>(*c ? *c : '\n')) * 0x100000001b3u;
      if (!*c) break;
    }
  }
  EXPECT_EQ(digest, 0x9cfa39319018caeau);
  EXPECT_EQ(occurrences.size(), 461u);
  EXPECT_EQ(occurrences["Martin"], 4);
  for (const char* twice :
       {"David", "Daniel", "Oscar", "Victor", "Samuel", "Willie", "Jessie", "Marion", "Allen", "Thomas"})
    EXPECT_EQ(occurrences[twice], 2) << twice;
}

class NamesGeneratorTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    NameMap.clear();
  }
  void TearDown() override { NameMap.clear(); }

  RecordingLogSink log_;
};

TEST_F(NamesGeneratorTest, HashesEveryEntryInOrderAndFilesEachTextOnce) {
  std::size_t linesBeforeFirstHash = 0;
  host().onCall = [&] {
    if (linesBeforeFirstHash == 0) linesBeforeFirstHash = log_.messages().size();
  };
  const std::vector<const char*> entries = allEntries();

  initNamesGenerator();

  const auto calls = host().calls();
  ASSERT_EQ(calls.size(), 474u);
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].hash, kTextHashNative);
    ASSERT_EQ(calls[i].args.size(), 1u);
    EXPECT_EQ(calls[i].args[0], slot::ofAddress(entries[i])) << entries[i];
  }
  EXPECT_EQ(linesBeforeFirstHash, 1u);
  EXPECT_EQ(log_.messages(), (std::vector<std::string>{"NamesGenerator: initializing",
                                                        "NamesGenerator: initialized. 461 string."}));

  // Each key is the game's hash of its text; a repeated text keeps its last entry.
  ASSERT_EQ(NameMap.size(), 461u);
  std::map<std::string, const char*> lastEntry;
  for (const char* entry : entries) lastEntry[entry] = entry;
  for (const auto& [text, entry] : lastEntry) {
    const auto found = NameMap.find(standin::gameTextHash(text));
    ASSERT_NE(found, NameMap.end()) << text;
    EXPECT_EQ(found->second, entry) << text;
  }
  EXPECT_EQ(NameMap[standin::gameTextHash("Martin")], Surnames[82]);
}

// Hashes scripted per entry: `answers[i]` for the i-th entry.
void scriptHashes(standin::StandinHost& host, const std::vector<std::uint32_t>& answers) {
  std::vector<standin::Answer> perCall;
  for (std::uint32_t hash : answers) perCall.push_back(standin::Answer::ofWhole(hash));
  host.answers().setForFrame(host.frame(), kTextHashNative, perCall);
}

TEST_F(NamesGeneratorTest, TwoTextsWithOneHashLeaveTheLaterTextAndOneKeyLess) {
  const std::vector<const char*> entries = allEntries();
  std::vector<std::uint32_t> hashes;
  for (const char* entry : entries) hashes.push_back(standin::gameTextHash(entry));
  const std::size_t antonio = 0, sebastian = 70;
  ASSERT_STREQ(entries[sebastian], "Sebastian");
  hashes[sebastian] = hashes[antonio];
  scriptHashes(host(), hashes);

  initNamesGenerator();

  EXPECT_EQ(NameMap.size(), 460u);
  EXPECT_EQ(NameMap[hashes[antonio]], entries[sebastian]);
  EXPECT_EQ(log_.messages().back(), "NamesGenerator: initialized. 460 string.");
}

TEST_F(NamesGeneratorTest, HashZeroIsFiledLikeAnyOther) {
  scriptHashes(host(), std::vector<std::uint32_t>(474, 0));
  initNamesGenerator();
  ASSERT_EQ(NameMap.size(), 1u);
  EXPECT_EQ(NameMap.at(0), Surnames.back());
  EXPECT_EQ(log_.messages().back(), "NamesGenerator: initialized. 1 string.");
}

}  // namespace
