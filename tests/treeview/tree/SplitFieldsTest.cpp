// The field splitter shared by node paths and configuration records.
#include <gtest/gtest.h>
#include "tree/QorTreeCtrl.h"

namespace {
struct SplitCase {
  const char* text;
  const char* separators;
  std::vector<std::string> fields;
};

std::vector<std::string> Split(const std::string& text, const std::string& seps) {
  std::vector<std::string> fields = {"stale"};
  EXPECT_TRUE(QorTreeCtrl::SplitFields(text, &fields, seps)) << text;
  return fields;
}
}  // namespace

TEST(SplitFields, SplitsAtEverySeparatorAndKeepsEmptyFields) {
  const SplitCase cases[] = {
      {"a|b|c", "|", {"a", "b", "c"}},
      {"a||c", "|", {"a", "", "c"}},
      {"a|", "|", {"a", ""}},
      {"|a", "|", {"", "a"}},
      {"", "|", {""}},
      {"abc", "|", {"abc"}},
      {"a\\b|c", "|\\", {"a", "b", "c"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text, c.separators), c.fields) << c.text;
}

TEST(SplitFields, QuotesProtectSeparatorsAndAreRemovedWhenTheyEncloseTheField) {
  const SplitCase cases[] = {
      {"\"a|b\"|c", "|", {"a|b", "c"}},
      {"\"a\"  |b", "|", {"a", "b"}},            // trailing blanks go with the quotes
      {" \"a\"|b", "|", {" \"a\"", "b"}},        // a blank before the quote keeps both
      {"x\"a|b\"y|z", "|", {"x\"a|b\"y", "z"}},  // quotes inside a field protect too
      {"\"\"", "|", {""}},
      {"\"", "|", {"\""}},
      {"\"a\\b\"\\c", "\\", {"a\\b", "c"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text, c.separators), c.fields) << c.text;
}

TEST(SplitFields, DoubledQuotesBecomeOneInQuotedAndUnquotedFields) {
  const SplitCase cases[] = {
      {"a\"\"b|c", "|", {"a\"b", "c"}},
      {"\"c\"\"d\"|e", "|", {"c\"d", "e"}},
      {"\"\"\"\"", "|", {"\""}},
      {"a\"\"\"\"b", "|", {"a\"\"b"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text, c.separators), c.fields) << c.text;
}

TEST(SplitFields, AnUnclosedQuoteProtectsNothingAndBlanksStay) {
  const SplitCase cases[] = {
      {"\"a|b", "|", {"\"a", "b"}},
      {"a|\"b|c", "|", {"a", "\"b", "c"}},
      {" a | b ", "|", {" a ", " b "}},
      {"a\"|\"b", "|", {"a\"|\"b"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text, c.separators), c.fields) << c.text;
}

// A megabyte of quoted stretches before the only separator: a splitter that
// searched the rest of the line again for every stretch would not finish
// within the test's time-out.
TEST(SplitFields, AVeryLongRunOfQuotedStretchesSplitsOnceAtTheFarSeparator) {
  const int kStretches = 350000;
  std::string text;
  for (int i = 0; i < kStretches; ++i) text += "\"x\"";
  text += "|tail";
  std::string first = "x";
  for (int i = 1; i < kStretches; ++i) first += "\"x";
  EXPECT_EQ(Split(text, "|"), (std::vector<std::string>{first, "tail"}));
}
