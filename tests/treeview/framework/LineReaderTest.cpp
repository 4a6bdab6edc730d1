// Reading a text file line by line: line ends, the last line, long lines,
// zero bytes, UTF-8 text, and files that cannot be opened.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "framework/CLineReader.h"

namespace {
std::vector<std::string> ReadAll(const std::string& bytes) {
  char dir[MAX_PATH], name[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  GetTempFileNameA(dir, "lrt", 0, name);
  HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD put = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(h);
  std::vector<std::string> lines;
  CLineReader reader;
  EXPECT_TRUE(reader.Open(name));
  std::string line;
  while (reader.ReadLine(&line)) lines.push_back(line);
  reader.Close();
  DeleteFileA(name);
  return lines;
}
using Lines = std::vector<std::string>;
}  // namespace

TEST(LineReader, LinesEndAtLineFeedOrCarriageReturnLineFeedAndTheLastNeedsNone) {
  EXPECT_EQ(ReadAll("a\r\nb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(ReadAll("a\n\nb\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(ReadAll("a\rb\r\r\n"), (Lines{"a\rb\r"}));
  EXPECT_EQ(ReadAll(""), Lines{});
  EXPECT_EQ(ReadAll("\n"), (Lines{""}));
}

TEST(LineReader, LinesOfAnyLengthCrossTheBuffer) {
  const std::string big(300000, 'x');
  EXPECT_EQ(ReadAll(big + "\r\n" + big), (Lines{big, big}));
  // A CR LF split across two reads of the buffer still ends the line.
  const std::string edge(65535, 'y');
  EXPECT_EQ(ReadAll(edge + "\r\nz"), (Lines{edge, "z"}));
}

TEST(LineReader, AZeroByteEndsTheLinesTextAndTheNextLineStillComes) {
  std::string bytes = "ab";
  bytes += '\0';
  bytes += "cd\nef";
  EXPECT_EQ(ReadAll(bytes), (Lines{"ab", "ef"}));
}

TEST(LineReader, AMissingFileDoesNotOpenAndReadsNothing) {
  CLineReader reader;
  EXPECT_FALSE(reader.Open("C:\\no\\such\\file.txt"));
  std::string line = "kept?";
  EXPECT_FALSE(reader.ReadLine(&line));
}

namespace {
std::string Ansi(const wchar_t* text) {
  char buf[256] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, buf, sizeof(buf), nullptr, nullptr);
  return buf;
}
}  // namespace

TEST(LineReader, UTF8WithAMarkOrValidThroughoutIsReadInTheSystemCodePage) {
  const std::string utf8 = "Configura\xC3\xA7\xC3\xA3o";
  const Lines expected = {Ansi(L"Configura\u00E7\u00E3o"), "Plant"};
  EXPECT_EQ(ReadAll("\xEF\xBB\xBF" + utf8 + "\r\nPlant"), expected);
  EXPECT_EQ(ReadAll(utf8 + "\nPlant\n"), expected);
  EXPECT_EQ(ReadAll("\xEF\xBB\xBFPlant"), (Lines{"Plant"}));
  // A character that the code page lacks becomes '?', as for any text.
  EXPECT_EQ(ReadAll("\xE2\x9C\x93 x"), (Lines{Ansi(L"\u2713 x")}));
  // Not UTF-8 throughout (a Latin-1 byte further on), or ASCII only: as it stands.
  const std::string mixed = utf8 + "\n" + std::string(70000, 'a') + "\xE7\n";
  EXPECT_EQ(ReadAll(mixed), (Lines{utf8, std::string(70000, 'a') + "\xE7"}));
  EXPECT_EQ(ReadAll("\xC0\xAF overlong"), (Lines{"\xC0\xAF overlong"}));
}
