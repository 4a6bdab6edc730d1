// Table tests of the worker's pure text rules: head end, target cutting,
// path conversion, path safety, HTML escaping, answer heads, close requests.
#include "http/HttpText.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

TEST(HeadEnd, IsTheFirstBlankLineSoWhatFollowsIsTheNextRequest) {
  struct {
    const char* text;
    int length;
  } cases[] = {
      {"GET / HTTP/1.1\r\n\r\n", 18},
      {"\r\n\r\n", 0},  // not longer than four bytes
      {"x\r\n\r\n", 5},
      {"GET / HTTP/1.1\r\n\r", 0},
      {"GET / HTTP/1.1\r\n\r\nGET /", 18},  // a second head follows
      {"GET /a HTTP/1.1\r\n\r\nGET /b HTTP/1.1\r\n\r\n", 19},
      {"\r\n\r\nGET / HTTP/1.1\r\n\r\n", 22},  // as before: one head
      {"", 0},
      // Bare LF ends lines as CR LF does, in any mix.
      {"GET / HTTP/1.1\n\n", 16},
      {"GET / HTTP/1.1\r\n\n", 17},
      {"GET / HTTP/1.1\n\r\nGET /", 17},
      {"GET / HTTP/1.1\nHost: x\r\n\nGET /", 25},
      {"\n\n", 0},
      {"x\n\n", 3},
      {"\r\n\nGET / HTTP/1.1\n\n", 19},
      {"GET / HTTP/1.1\r\r\n", 0},  // a CR alone ends nothing
      {"GET / HTTP/1.1\r\rX\n\n", 19},
      // Up to four empty lines before the request line belong to its head;
      // a fifth is the request line.
      {"\r\nGET / HTTP/1.1\r\n\r\n", 20},
      {"\r\n\n\r\n\nGET / HTTP/1.1\r\n\r\n", 24},
      {"\r\n\r\n\r\n", 0},
      {"\r\n\r\n\r\n\r\n\r\n\r\n\r\n", 12},
      {"GET /a HTTP/1.1\r\n\r\n\r\nGET /b HTTP/1.1\r\n\r\n", 19},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HeadLength(c.text, static_cast<int>(strlen(c.text))), c.length) << c.text;
}

TEST(DecodeTarget, CutsAtTheQueryAndDecodesEachEscapeOnce) {
  struct {
    std::wstring raw;
    bool ok;
    std::wstring bytes;
  } cases[] = {
      {L"/bomba%201.ico", true, L"/bomba 1.ico"},
      {L"/page.html?v=1&x=%zz", true, L"/page.html"},
      {L"/?", true, L"/"},
      {L"/a%2fb%5Cc", true, L"/a/b\\c"},
      {L"/%2e%2E/x", true, L"/../x"},
      {L"/%3a%00", true, std::wstring(L"/:\0", 3)},
      {L"/%2541", true, L"/%41"},  // once only
      {L"/%C3%A9.txt", true, L"/\u00C3\u00A9.txt"},
      {L"/\u00E9#frag", true, L"/\u00E9#frag"},
      {L"/100%", false, L""},
      {L"/%4", false, L""},
      {L"/%g1", false, L""},
      {L"/%%41", false, L""},
      {L"/ok?%", true, L"/ok"},  // the query is never looked at
  };
  for (const auto& c : cases) {
    std::wstring bytes;
    EXPECT_EQ(DecodeTarget(c.raw, &bytes), c.ok) << c.raw.c_str();
    if (c.ok) {
      EXPECT_EQ(bytes, c.bytes) << c.raw.c_str();
    }
  }
}

TEST(NameFromBytes, ReadsValidUtf8AndOtherwiseOneCharacterPerByte) {
  struct {
    const wchar_t* bytes;
    const wchar_t* name;
  } cases[] = {
      {L"plain.txt", L"plain.txt"},
      {L"\u00C3\u00A9.txt", L"\u00E9.txt"},                        // é
      {L"\u00E6\u0096\u0087", L"\u6587"},                          // 文
      {L"\u00F0\u009F\u0098\u0080", L"\U0001F600"},                // beyond 16 bits
      {L"\u00E9.txt", L"\u00E9.txt"},                              // single-byte name
      {L"\u00C3", L"\u00C3"},                                      // cut short
      {L"\u00C0\u00AF", L"\u00C0\u00AF"},                          // overlong '/'
      {L"\u00E0\u0080\u00AF", L"\u00E0\u0080\u00AF"},              // overlong '/'
      {L"\u00ED\u00A0\u0080", L"\u00ED\u00A0\u0080"},              // a surrogate
      {L"\u00F4\u0090\u0080\u0080", L"\u00F4\u0090\u0080\u0080"},  // past U+10FFFF
      {L"a\u00C3\u00A9\u00E9", L"a\u00C3\u00A9\u00E9"},            // one bad byte: all bytes
  };
  for (const auto& c : cases) EXPECT_EQ(NameFromBytes(c.bytes), std::wstring(c.name)) << c.bytes;
}

TEST(RequestLine, MethodIsExactAndTargetRunsToFirstSpaceOrEnd) {
  struct {
    const char* head;
    HttpMethod method;
    const wchar_t* target;
  } cases[] = {
      {"GET / HTTP/1.1\r\n\r\n", kHttpGet, L"/"},
      {"HEAD /a/b.txt HTTP/1.1\r\n\r\n", kHttpHead, L"/a/b.txt"},
      {"GET /index.html\r\n\r\n", kHttpGet, L"/index.html\r\n\r\n"},
      {"GET  HTTP/1.1\r\n\r\n", kHttpGet, L""},
      {"get / HTTP/1.1\r\n\r\n", kHttpOther, L""},
      {"POST / HTTP/1.1\r\n\r\n", kHttpOther, L""},
      {"GET/ HTTP/1.1\r\n\r\n", kHttpOther, L""},
      {"HEAD/ HTTP/1.1\r\n\r\n", kHttpOther, L""},
      {"GET /my%20page.html?v=1#x HTTP/1.1\r\n\r\n", kHttpGet, L"/my%20page.html?v=1#x"},
      {"GET /\xe9\xff HTTP/1.1\r\n\r\n", kHttpGet, L"/\xe9\xff"},
      {"\r\nGET / HTTP/1.1\r\n\r\n", kHttpGet, L"/"},
      {"\n\r\n\r\n\nHEAD /x HTTP/1.1\r\n\r\n", kHttpHead, L"/x"},
      {"\r\n\r\n\r\n\r\n\r\nGET / HTTP/1.1\r\n\r\n", kHttpOther, L""},
      {" GET / HTTP/1.1\r\n\r\n", kHttpOther, L""},
  };
  for (const auto& c : cases) {
    std::wstring target = L"junk";
    EXPECT_EQ(ParseRequest(c.head, &target), c.method) << c.head;
    EXPECT_EQ(target, std::wstring(c.target)) << c.head;
  }
}

TEST(RequestLine, TargetLongerThanTwoKilobytesIsCutWhole) {
  std::string path(3000, 'a');
  std::string head = "GET /" + path + " HTTP/1.1\r\n\r\n";
  std::wstring target;
  ASSERT_EQ(ParseRequest(head.c_str(), &target), kHttpGet);
  EXPECT_EQ(target.size(), 3001u);
}

TEST(ConvertPath, DropsOneLeadingSlashAndTurnsTheRestIntoBackslashes) {
  struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"/a/b.txt", L"a\\b.txt"},
      {L"//x", L"\\x"},
      {L"/docs/", L"docs\\"},
      {L"a\\b", L"a\\b"},
      {L"", L""},
      {L"/page.html?v=1", L"page.html?v=1"},
      {L"/my%20page", L"my%20page"},
  };
  for (const auto& c : cases) {
    std::wstring t = c.in;
    ConvertPath(&t);
    EXPECT_EQ(t, std::wstring(c.out)) << c.in;
  }
}

TEST(PathSafety, RefusesEveryWayOutOfTheWebRoot) {
  const wchar_t* refused[] = {
      L"..\\other.txt",
      L"a\\..\\..\\x",
      L"..",
      L"a\\..",
      L".. \\x",
      L"..\\x",
      L"...\\x",
      L".. .\\x",
      L"a\\.. .",
      L"C:\\windows\\win.ini",
      L"index.html::$DATA",
      L"a:b",
      L"\\\\?\\C:\\x",
      L"CON",
      L"con",
      L"Con.txt",
      L"a\\NUL.html",
      L"prn",
      L"aux.c",
      L"COM1",
      L"com9.log",
      L"LPT1",
      L"lpt9.txt",
      L"CONIN$",
      L"conout$.x",
      L"nul ",
      L"CON .txt",
      L"COM\xb9",
      L"a\x01"
      L"b",
      L"a\tb",
      L"\x7f",
      L"line\r\n",
  };
  for (const wchar_t* t : refused) EXPECT_FALSE(IsSafeTarget(t)) << std::string(t, t + wcslen(t));
}

TEST(PathSafety, AcceptsOrdinaryNamesInsideTheWebRoot) {
  const wchar_t* accepted[] = {
      L"index.html",     L"a\\b.txt",      L"\\x",           L"docs\\",     L"",
      L".\\x",           L"a..b",          L"..x",           L"x..",        L"CONFIG.txt",
      L"console",        L"COM10",         L"LPT0",          L"com",        L"nul2",
      L"my%20page.html", L"page.html?v=1", L"\xe9t\xe9.txt", L"a\\.hidden",
  };
  for (const wchar_t* t : accepted) EXPECT_TRUE(IsSafeTarget(t)) << std::string(t, t + wcslen(t));
}

TEST(PathSafety, FullPathMustLieInsideTheRootFolder) {
  struct {
    const wchar_t* root;
    const wchar_t* candidate;
    bool inside;
  } cases[] = {
      {L"C:\\site\\", L"C:\\site\\index.html", true},
      {L"C:\\site\\", L"C:\\site\\", true},
      {L"C:\\site\\", L"C:\\site\\\\x", true},
      {L"C:\\site\\", L"C:\\site\\a\\..\\b", true},
      {L"C:\\site\\", L"C:\\site\\..\\b", false},
      {L"C:\\site\\", L"C:\\site\\a\\..\\..\\b", false},
      {L"C:\\site", L"C:\\siteindex.html", false},  // a sibling, not inside
      {L"C:\\site", L"C:\\site-secret\\x", false},
      {L"C:\\site", L"C:\\site\\x", true},
      {L"c:\\SITE\\", L"C:\\site\\x", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LiesUnderRoot(c.root, c.candidate), c.inside)
        << std::string(c.candidate, c.candidate + wcslen(c.candidate));
  }
}

TEST(NotFoundPage, EscapesTheTargetSoNoMarkupGetsThrough) {
  EXPECT_EQ(HtmlEscape(L"a&b<c>d\"e'f"), L"a&amp;b&lt;c&gt;d&quot;e&#39;f");
  EXPECT_EQ(HtmlEscape(L"plain\\path.html"), L"plain\\path.html");
  EXPECT_EQ(NotFoundPage(L"<script>x"),
            L"<html><body><h1>404</h1><b>Couldn't find file: &lt;script&gt;x</b>"
            L"</body></html>\r\n");
  EXPECT_EQ(NotFoundPage(L""),
            L"<html><body><h1>404</h1><b>Couldn't find file: </b></body></html>\r\n");
}

TEST(AnswerHead, IsStatusLineOptionalLowerCaseLengthAndBlankLine) {
  EXPECT_EQ(AnswerHead(200, L"Sending file", 0),
            "HTTP/1.1 200 Sending file\r\ncontent-length: 0\r\n\r\n");
  EXPECT_EQ(AnswerHead(200, L"File Exists", -1), "HTTP/1.1 200 File Exists\r\n\r\n");
  EXPECT_EQ(AnswerHead(404, L"File not found!", 73),
            "HTTP/1.1 404 File not found!\r\ncontent-length: 73\r\n\r\n");
  // Files of 2 GiB and more carry their true 64-bit size.
  EXPECT_EQ(AnswerHead(200, L"Sending file", 2147483648LL),
            "HTTP/1.1 200 Sending file\r\ncontent-length: 2147483648\r\n\r\n");
  EXPECT_EQ(AnswerHead(200, L"Sending file", 5000000000LL),
            "HTTP/1.1 200 Sending file\r\ncontent-length: 5000000000\r\n\r\n");
}

TEST(ClientAsksToClose, FollowsConnectionHeaderAndVersion) {
  struct {
    const char* head;
    bool close;
  } cases[] = {
      {"GET / HTTP/1.1\r\n\r\n", false},
      {"GET / HTTP/1.1\r\nConnection: close\r\n\r\n", true},
      {"GET / HTTP/1.1\r\nconnection:CLOSE\r\n\r\n", true},
      {"GET / HTTP/1.1\r\nConnection: keep-alive, close\r\n\r\n", true},
      {"GET / HTTP/1.1\r\nConnection: keep-alive\r\n\r\n", false},
      {"GET / HTTP/1.0\r\n\r\n", true},
      {"GET / HTTP/1.0\r\nHost: x\r\n\r\n", true},
      {"GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n", false},
      {"GET / HTTP/1.0\r\nConnection: keep-alive\r\nConnection: close\r\n\r\n", true},
      {"GET / HTTP/1.1\r\nX-Connection: close\r\n\r\n", false},
      {"GET / HTTP/1.1\r\nX: Connection: close\r\n\r\n", false},
      {"GET /HTTP/1.0 HTTP/1.1\r\n\r\n", false},
      {"GET /index.html\r\n\r\n", false},
      {"GET / HTTP/1.0\nHost: x\n\n", true},
      {"GET / HTTP/1.1\nConnection: close\n\n", true},
      {"GET / HTTP/1.1\r\nHost: x\nConnection: close\r\n\r\n", true},
      // Empty lines before the request line: it is still the request line.
      {"\r\nGET / HTTP/1.0\r\n\r\n", true},
      {"\r\n\r\nGET / HTTP/1.1\r\nConnection: close\r\n\r\n", true},
      {"\nGET / HTTP/1.1\r\n\r\n", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ClientAsksToClose(c.head), c.close) << c.head;
}

TEST(AnnouncesBody, SeesAnyLengthButZeroAndAnyTransferEncoding) {
  struct {
    const char* head;
    bool body;
  } cases[] = {
      {"POST / HTTP/1.1\r\n\r\n", false},
      {"POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n", false},
      {"POST / HTTP/1.1\r\ncontent-length:000\r\n\r\n", false},
      {"POST / HTTP/1.1\r\nContent-Length: 12\r\n\r\n", true},
      {"GET / HTTP/1.1\r\nCONTENT-LENGTH : 1\r\n\r\n", true},
      {"POST / HTTP/1.1\r\nContent-Length: 0\r\nContent-Length: 5\r\n\r\n", true},
      {"POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", true},
      {"POST / HTTP/1.1\r\nContent-Length:\r\n\r\n", true},
      {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", true},
      {"POST / HTTP/1.1\r\nX-Content-Length: 5\r\n\r\n", false},
      {"GET /Content-Length:5 HTTP/1.1\r\n\r\n", false},
      // Each line end splits fields, whatever the mix: no field hides in
      // the one before it.
      {"GET / HTTP/1.1\nContent-Length: 5\n\n", true},
      {"GET / HTTP/1.1\r\nHost: x\nContent-Length: 5\r\n\r\n", true},
      {"GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\n\n", true},
      {"GET / HTTP/1.1\nContent-Length: 0\r\nX: 1\n\n", false},
      {"GET / HTTP/1.1\r\nX: a\rContent-Length: 5\r\n\r\n", false},  // CR alone
      {"\r\nPOST / HTTP/1.1\r\nContent-Length: 5\r\n\r\n", true},
  };
  for (const auto& c : cases) EXPECT_EQ(AnnouncesBody(c.head), c.body) << c.head;
}

}  // namespace
