// Random lists: the key sort must give the comparators' order, and the whole
// build the same file as a plain build that sorts entry pointers with qsort
// and the comparators (equal headwords in record order in both).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "list_helpers.h"
#include "platform/file.h"
#include "text/charset.h"

using list_test::ListBuildTest;

namespace {

// Characters each code page has, some of them in both letter cases.
std::u16string alphabetFor(uint32_t codePage) {
  std::u16string common = u"abcdeABCDE xyzXYZ-'_.0";
  switch (codePage) {
    case 1250: return common + u"\u0142\u0141\u00f3\u00d3\u017a\u0179\u010d\u010c";
    case 1251: return common + u"\u0434\u0414\u0430\u0410\u0451\u0401\u0436\u0416";
    case 932: return common + u"\u3042\u3044\u30a2\u30a4\u6f22\u5b57\uff71\uff72";
    default: return common + u"\u00e4\u00c4\u00f6\u00d6\u00df\u00e9\u00c9\u00e0";
  }
}

class Generator {
 public:
  Generator(uint32_t seed, uint32_t listCodePage, uint32_t homeCodePage)
      : random_(seed),
        listCodePage_(listCodePage),
        homeCodePage_(homeCodePage),
        listAlphabet_(alphabetFor(listCodePage)),
        homeAlphabet_(alphabetFor(homeCodePage)) {}

  // A source list of `count` records; translations drawn from a small pool
  // so that many headwords repeat, in changing letter case.
  std::string sourceList(int count) {
    std::vector<std::u16string> pool;
    for (int i = 0; i < 40; ++i) pool.push_back(word(homeAlphabet_, 1 + random_() % 9));
    std::string bytes;
    for (int i = 0; i < count; ++i) {
      std::u16string translations;
      int tokens = random_() % 5;
      for (int t = 0; t < tokens; ++t) {
        std::u16string token = pool[random_() % pool.size()];
        if (random_() % 4 == 0) token = flipCase(token);
        static const char16_t* separators[] = {u",", u", ", u",,", u" ,", u",  "};
        if (t > 0) translations += separators[random_() % 5];
        translations += token;
      }
      bytes += record(word(listAlphabet_, random_() % 16), listCodePage_, translations);
    }
    return bytes;
  }

 private:
  std::u16string word(const std::u16string& alphabet, int length) {
    std::u16string w;
    for (int i = 0; i < length; ++i) w += alphabet[random_() % alphabet.size()];
    return w;
  }
  std::u16string flipCase(std::u16string w) {
    for (char16_t& c : w) {
      if (c < 0x80 && ((c | 0x20) >= u'a' && (c | 0x20) <= u'z')) c ^= 0x20;
    }
    return w;
  }
  std::string record(const std::u16string& word, uint32_t wordCodePage,
                     const std::u16string& translations) {
    char w[200], t[400];
    int wl = narrowText(word.c_str(), static_cast<int>(word.size()), w, sizeof w, wordCodePage);
    int tl = narrowText(translations.c_str(), static_cast<int>(translations.size()), t, sizeof t,
                        homeCodePage_);
    WordRecord r;
    fillRecord(r, w, wl, wordCodePage, t, tl, homeCodePage_);
    return std::string(reinterpret_cast<const char*>(&r), sizeof r);
  }

  std::mt19937 random_;
  uint32_t listCodePage_, homeCodePage_;
  std::u16string listAlphabet_, homeAlphabet_;
};

// The plain build, step by step: a WordEntry per record, reversal, qsort of
// the entry pointers with the comparator, merge.
std::vector<WordEntry> plainLoad(const std::string& bytes, uint32_t wordCp, uint32_t transCp) {
  std::vector<WordEntry> entries(bytes.size() / kWordRecordSize);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const char* r = bytes.data() + i * kWordRecordSize;
    WordEntry& e = entries[i];
    std::memset(&e, 0, sizeof e);
    char16_t wide[64];
    std::string word(r, strnlen(r, 31)), trans(r + 31, strnlen(r + 31, 51));
    toWide(word.c_str(), wide, wordCp);
    for (int k = 0; k < 30 && wide[k]; ++k) e.units[k] = wide[k];
    toWide(trans.c_str(), wide, transCp);
    for (int k = 0; k < 50 && wide[k]; ++k) e.units[31 + k] = wide[k];
  }
  return entries;
}

int (*plainComparator)(const void*, const void*);
int plainCompareThenPlace(const void* a, const void* b) {
  int c = plainComparator(a, b);
  if (c != 0) return c;
  const WordEntry* x = *static_cast<const WordEntry* const*>(a);
  const WordEntry* y = *static_cast<const WordEntry* const*>(b);
  return (x > y) - (x < y);
}

std::string plainBuild(const std::string& source, uint32_t listCp, uint32_t homeCp) {
  std::string temp;
  for (const WordEntry& e : plainLoad(source, listCp, homeCp)) {
    char word[128];
    toNarrow(e.word(), word, listCp);
    std::u16string translations(e.translations());
    std::size_t at = 0;
    while (at < translations.size()) {
      std::size_t start = translations.find_first_not_of(u',', at);
      if (start == std::u16string::npos) break;
      std::size_t end = translations.find(u',', start);
      if (end == std::u16string::npos) end = translations.size();
      std::u16string token = translations.substr(start, end - start);
      at = end;
      char bytes[256];
      toNarrow(token.c_str(), bytes, homeCp);
      const char* t = bytes;
      while (*t == ' ') ++t;
      if (std::strlen(word) > 50 || std::strlen(t) > 30) continue;
      temp += list_test::record(t, word);
    }
  }
  std::vector<WordEntry> entries = plainLoad(temp, homeCp, listCp);
  std::vector<WordEntry*> pointers;
  for (WordEntry& e : entries) pointers.push_back(&e);
  setEntryComparison(nullptr, homeCp);
  plainComparator = sortTableLoaded ? compareBySortTable : compareByLocale;
  std::qsort(pointers.data(), pointers.size(), sizeof(WordEntry*), plainCompareThenPlace);
  std::string out;
  for (std::size_t k = 0; k < pointers.size(); ++k) {
    WordEntry& f = *pointers[k];
    std::u16string merged(f.translations());
    while (k + 1 < pointers.size() &&
           std::u16string(pointers[k + 1]->word()) == std::u16string(f.word())) {
      std::u16string next(pointers[++k]->translations());
      if (merged.size() + next.size() + 2 < 50) merged += u", " + next;
    }
    char word[128], trans[256];
    toNarrow(f.word(), word, homeCp);
    toNarrow(merged.c_str(), trans, listCp);
    WordRecord r;
    fillRecord(r, word, static_cast<int>(std::strlen(word)), homeCp, trans,
               static_cast<int>(std::strlen(trans)), listCp);
    out.append(reinterpret_cast<const char*>(&r), sizeof r);
  }
  return out;
}

struct Case {
  uint32_t listCodePage, homeCodePage;
  const char16_t* locale;  // nullptr: a sort table
};

}  // namespace

TEST_F(ListBuildTest, RandomListsMatchThePlainBuild) {
  const Case cases[] = {
      {1252, 1252, u"C"},       {1250, 1252, u"english_usa.1252"},
      {1251, 1250, u"german"},  {932, 1251, u"russian"},
      {1252, 932, u"C"},        {932, 932, u"japanese"},
      {1251, 1252, nullptr},    {932, 1250, nullptr},
      {1250, 1251, u"turkish"},
  };
  uint32_t seed = 7;
  for (const Case& c : cases) {
    for (int round = 0; round < 2; ++round) {
      ++seed;
      SCOPED_TRACE("list " + std::to_string(c.listCodePage) + ", home " +
                   std::to_string(c.homeCodePage) + ", seed " + std::to_string(seed));
      SetUp();
      job.listCodePage = c.listCodePage;
      job.homeCodePage = c.homeCodePage;
      if (c.locale) {
        ASSERT_TRUE(platform::setRuntimeCollation(c.locale)) << testing_support::u8(c.locale);
      } else {
        std::mt19937 random(seed);
        std::string table(256, '\0');
        for (int b = 1; b < 256; ++b) table[b] = static_cast<char>(random() % 9);
        dir.mkdir(u"tables");
        dir.write(u"tables\\english.stb", table);
      }
      Generator generator(seed, c.listCodePage, c.homeCodePage);
      std::string source = generator.sourceList(300 + round * 400);
      dir.write(u"in.lst", source);
      ASSERT_EQ(buildReversedList(job, counts, display), ListError::None);
      std::string fast = dir.read(u"out.lst");
      if (!c.locale) platform::removeFile(u"tables\\english.stb");
      ASSERT_EQ(sortTableLoaded, c.locale == nullptr);

      // Every adjacent pair of headwords in order under the comparator.
      std::vector<WordEntry> written = plainLoad(fast, c.homeCodePage, c.listCodePage);
      ASSERT_GT(written.size(), 50u);
      setEntryComparison(nullptr, c.homeCodePage);
      for (std::size_t k = 0; k + 1 < written.size(); ++k) {
        WordEntry* a = &written[k];
        WordEntry* b = &written[k + 1];
        int order = sortTableLoaded ? compareBySortTable(&a, &b) : compareByLocale(&a, &b);
        ASSERT_LE(order, 0) << "records " << k << " and " << k + 1 << ": \""
                            << testing_support::u8(a->word()) << "\" \""
                            << testing_support::u8(b->word()) << "\"";
      }
      std::string plain = plainBuild(source, c.listCodePage, c.homeCodePage);
      EXPECT_EQ(fast.size(), plain.size());
      EXPECT_TRUE(fast == plain) << "the key sort's file differs from the plain build's";
      resetSortTable();
    }
  }
}
