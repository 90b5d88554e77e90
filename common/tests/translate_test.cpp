#include "common/translate.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/file_io.h"

namespace common {
namespace {

// A .mo file as msgfmt writes it: header, the two tables of (length, offset), then the
// texts, each ending in NUL. The entries must come sorted by original text.
std::string MoBytes(const std::vector<std::pair<std::string, std::string>>& entries) {
  const auto n = static_cast<uint32_t>(entries.size());
  std::vector<uint32_t> words = {0x950412de, 0, n, 28, 28 + 8 * n, 0, 28 + 16 * n};
  std::string texts;
  const uint32_t base = 28 + 16 * n;
  std::vector<uint32_t> originals, translations;
  for (const auto& [original, translation] : entries) {
    originals.insert(originals.end(), {static_cast<uint32_t>(original.size()),
                                       base + static_cast<uint32_t>(texts.size())});
    texts += original + '\0';
  }
  for (const auto& [original, translation] : entries) {
    translations.insert(translations.end(), {static_cast<uint32_t>(translation.size()),
                                             base + static_cast<uint32_t>(texts.size())});
    texts += translation + '\0';
  }
  words.insert(words.end(), originals.begin(), originals.end());
  words.insert(words.end(), translations.begin(), translations.end());
  std::string bytes(reinterpret_cast<const char*>(words.data()), words.size() * 4);
  return bytes + texts;
}

TEST(Catalogue, FindsEachTranslationAndNothingElse) {
  const Catalogue c = Catalogue::FromBytes(MoBytes(
      {{"", "header"}, {"保存", "Save"}, {"文件{0}不是NES文件!", "{0} is not an NES file!"}}));
  ASSERT_EQ(c.Size(), 3u);
  EXPECT_STREQ(c.Find("保存"), "Save");
  EXPECT_STREQ(c.Find("文件{0}不是NES文件!"), "{0} is not an NES file!");
  EXPECT_EQ(c.Find("保"), nullptr);
  EXPECT_EQ(c.Find("保存!"), nullptr);
  // An entry with an empty translation is a text nobody translated yet, as gettext reads it.
  const Catalogue partly = Catalogue::FromBytes(MoBytes({{"保存", "Save"}, {"打开", ""}}));
  EXPECT_STREQ(partly.Find("保存"), "Save");
  EXPECT_EQ(partly.Find("打开"), nullptr);
}

// Whatever the language, a text the catalogue lacks is shown as the source writes it.
TEST(Tr, ATextWithoutTranslationIsShownAsWritten) {
  const char* text = "这句话不在任何目录里";
  EXPECT_STREQ(Tr(text), text);
  EXPECT_EQ(Tr(std::string(text)), text);
  EXPECT_EQ(TrFill("{0}不在目录里", {"x"}), "x不在目录里");
}

TEST(Catalogue, DamagedFilesGiveAnEmptyCatalogue) {
  const std::string good = MoBytes({{"a", "b"}, {"保存", "Save"}});
  std::vector<std::string> damaged = {good.substr(0, 19), good.substr(0, good.size() - 1),
                                      std::string(good.size(), '\0')};
  std::string countTooLarge = good;
  countTooLarge[8] = '\x7f';
  damaged.push_back(countTooLarge);
  std::string offsetPastEnd = good;
  offsetPastEnd[28 + 4] = '\xff';  // the first original text's offset
  damaged.push_back(offsetPastEnd);
  std::string noTerminator = good;
  noTerminator[noTerminator.size() - 1] = 'x';
  damaged.push_back(noTerminator);
  for (const std::string& bytes : damaged) {
    const Catalogue c = Catalogue::FromBytes(bytes);
    EXPECT_EQ(c.Size(), 0u);
    EXPECT_EQ(c.Find("保存"), nullptr);
  }
}

TEST(Catalogue, TheEnglishCatalogueOfTheBuildTranslatesMessagesWithTheirValues) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadFileBytes(ExecutableDirectory() + "/locale/en/LC_MESSAGES/vt03toolkit.mo",
                            1 << 20, bytes));
  const Catalogue en = Catalogue::FromBytes(std::string(bytes.begin(), bytes.end()));
  const char* pattern = en.Find("文件{0}的第{1}行不是GBK文本!");
  ASSERT_NE(pattern, nullptr);
  EXPECT_EQ(Fill(pattern, {"list.sav", "3"}), "Line 3 of the file list.sav is not GBK text!");
}

TEST(Fill, PutsValuesWhereThePatternSaysAndLeavesOtherBracesAlone) {
  EXPECT_EQ(Fill("{1} before {0}", {"a", "b"}), "b before a");
  EXPECT_EQ(Fill("{0}{0}", {"x"}), "xx");
  EXPECT_EQ(Fill("{2} {x} {} {0", {"a"}), "{2} {x} {} {0");
  EXPECT_EQ(Fill("{0}", {"{1}", "z"}), "{1}");  // a value is not read as a pattern
}

class Locale : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"}) unsetenv(name);
  }
  void TearDown() override { SetUp(); }
};

TEST_F(Locale, CAndPosixShowTheTextsAsWrittenWhateverLanguageAsks) {
  EXPECT_EQ(CatalogueLanguage(), "");
  for (const char* c : {"C", "POSIX", "C.UTF-8"}) {
    setenv("LANG", c, 1);
    setenv("LANGUAGE", "en", 1);
    EXPECT_EQ(CatalogueLanguage(), "") << c;
  }
}

TEST_F(Locale, ChineseLocalesTakeTheChineseCatalogueAndEveryOtherOneEnglish) {
  const std::pair<const char*, const char*> cases[] = {
      {"zh_CN.UTF-8", "zh_CN"}, {"zh_TW.UTF-8", "zh_CN"}, {"zh_CN.GBK", "zh_CN"},
      {"en_US.UTF-8", "en"},    {"en_GB", "en"},          {"de_DE.UTF-8", "en"}};
  for (const auto& [locale, language] : cases) {
    setenv("LANG", locale, 1);
    EXPECT_EQ(CatalogueLanguage(), language) << locale;
  }
}

TEST_F(Locale, LcAllThenLcMessagesThenLangThenLanguageFirst) {
  setenv("LANG", "zh_CN.UTF-8", 1);
  setenv("LC_MESSAGES", "en_US.UTF-8", 1);
  EXPECT_EQ(CatalogueLanguage(), "en");
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(CatalogueLanguage(), "");
  setenv("LC_ALL", "", 1);  // empty counts as unset
  setenv("LANGUAGE", "zh_CN:en", 1);
  EXPECT_EQ(CatalogueLanguage(), "zh_CN");
}

}  // namespace
}  // namespace common
