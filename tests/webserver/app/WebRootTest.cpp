// Tests of the web root choice: the command-line tail taken whole, the
// program's folder without one, and the refusal of a root that cannot fit.
#include "app/WebRoot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Choice {
  bool accepted;
  std::wstring root;
};

Choice Choose(const std::wstring& tail,
              const wchar_t* modulePath = L"C:\\Programs\\srv\\Orra.exe") {
  wchar_t chosen[kWebRootChars + 8];
  wmemset(chosen, L'#', kWebRootChars + 8);
  Choice choice;
  choice.accepted = ChooseWebRoot(tail.c_str(), modulePath, chosen);
  choice.root = chosen;
  return choice;
}

}  // namespace

TEST(WebRootFromTheCommandLine, IsTheTailExactlyAsGiven) {
  struct Case {
    const wchar_t* tail;
  } cases[] = {
      {L"C:\\site\\"},
      {L"C:\\site"},        // no separator is added
      {L"  C:\\site\\  "},  // blanks are not trimmed
      {L"\\\\server\\share\\"},
      {L"C:\\sit\u00E9\\\u00FCn\u00EF\u2014\u6587\u5B57\\"},  // beyond 8 bits
      {L"a"},
  };
  for (const Case& c : cases) {
    Choice choice = Choose(c.tail);
    EXPECT_TRUE(choice.accepted) << c.tail;
    EXPECT_EQ(choice.root, std::wstring(c.tail));
  }
}

TEST(WebRootFromTheCommandLine, LosesOnePairOfQuotationMarksAroundItAndNoOthers) {
  struct Case {
    const wchar_t* tail;
    const wchar_t* root;
  } cases[] = {
      {L"\"C:\\My Site\\\"", L"C:\\My Site\\"},
      {L"\"\"C:\\site\\\"\"", L"\"C:\\site\\\""},  // one pair only
      {L"\"C:\\site\\", L"\"C:\\site\\"},          // not a pair: as given
      {L"C:\\site\\\"", L"C:\\site\\\""},
      {L" \"C:\\site\\\"", L" \"C:\\site\\\""},  // not around all of it
      {L"\"", L"\""},
      {L"\"\"", L"C:\\Programs\\srv\\"},  // empty: the program's folder
  };
  for (const Case& c : cases) {
    Choice choice = Choose(c.tail);
    EXPECT_TRUE(choice.accepted) << c.tail;
    EXPECT_EQ(choice.root, std::wstring(c.root)) << c.tail;
  }
}

TEST(WebRootFromTheCommandLine, OfUpTo1023CharactersIsKeptWhole) {
  std::wstring tail(1023, L'x');
  tail[0] = L'C';
  tail[1022] = L'\\';
  Choice choice = Choose(tail);
  EXPECT_TRUE(choice.accepted);
  EXPECT_EQ(choice.root, tail);
}

TEST(WebRootFromTheCommandLine, Of1024CharactersOrMoreIsRefusedNotCut) {
  for (size_t length : {1024u, 1025u, 5000u}) {
    Choice choice = Choose(std::wstring(length, L'x'));
    EXPECT_FALSE(choice.accepted) << length;
    EXPECT_EQ(choice.root, L"\\webroot\\");
  }
}

TEST(WebRootWithoutArgument, IsTheProgramsOwnFolderWithItsBackslash) {
  EXPECT_EQ(Choose(L"").root, L"C:\\Programs\\srv\\");
  EXPECT_EQ(Choose(L"", L"C:\\Programs\\srv\\").root, L"C:\\Programs\\srv\\");
  EXPECT_EQ(Choose(L"", L"C:\\Orra.exe").root, L"C:\\");
  EXPECT_EQ(Choose(L"", L"\\\\?\\C:\\a b\\x.exe").root, L"\\\\?\\C:\\a b\\");
}

TEST(WebRootWithoutArgument, FallsBackWhenTheProgramPathHasNoFolder) {
  EXPECT_EQ(Choose(L"", L"Orra.exe").root, L"\\webroot\\");
  EXPECT_EQ(Choose(L"", L"").root, L"\\webroot\\");
  EXPECT_EQ(Choose(L"", nullptr).root, L"\\webroot\\");
  Choice noTail = Choose(L"");
  EXPECT_TRUE(noTail.accepted);
}
