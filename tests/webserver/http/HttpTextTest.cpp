// Table tests of the worker's pure text rules: head end, target cutting,
// path conversion, path safety, HTML escaping, answer heads, close requests.
#include "HttpText.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

TEST(HeadEnd, IsSeenOnlyAtTheVeryEndOfWhatArrived)
{
    struct { const char* text; bool complete; } cases[] = {
        {"GET / HTTP/1.1\r\n\r\n", true},
        {"\r\n\r\n", false},                      // not longer than four bytes
        {"x\r\n\r\n", true},
        {"GET / HTTP/1.1\r\n\r", false},
        {"GET / HTTP/1.1\r\n\r\nGET /", false},    // a second head follows
        {"GET / HTTP/1.1\n\n", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.complete, IsHeadComplete(c.text, static_cast<int>(strlen(c.text)))) << c.text;
}

TEST(RequestLine, MethodIsExactAndTargetRunsToFirstSpaceOrEnd)
{
    struct { const char* head; HttpMethod method; const wchar_t* target; } cases[] = {
        {"GET / HTTP/1.1\r\n\r\n", HTTP_GET, L"/"},
        {"HEAD /a/b.txt HTTP/1.1\r\n\r\n", HTTP_HEAD, L"/a/b.txt"},
        {"GET /index.html\r\n\r\n", HTTP_GET, L"/index.html\r\n\r\n"},
        {"GET  HTTP/1.1\r\n\r\n", HTTP_GET, L""},
        {"get / HTTP/1.1\r\n\r\n", HTTP_OTHER, L""},
        {"POST / HTTP/1.1\r\n\r\n", HTTP_OTHER, L""},
        {"GET/ HTTP/1.1\r\n\r\n", HTTP_OTHER, L""},
        {"HEAD/ HTTP/1.1\r\n\r\n", HTTP_OTHER, L""},
        {"GET /my%20page.html?v=1#x HTTP/1.1\r\n\r\n", HTTP_GET, L"/my%20page.html?v=1#x"},
        {"GET /\xe9\xff HTTP/1.1\r\n\r\n", HTTP_GET, L"/\xe9\xff"},
    };
    for (const auto& c : cases) {
        std::wstring target = L"junk";
        EXPECT_EQ(c.method, ParseRequest(c.head, &target)) << c.head;
        EXPECT_EQ(std::wstring(c.target), target) << c.head;
    }
}

TEST(RequestLine, TargetLongerThanTwoKilobytesIsCutWhole)
{
    std::string path(3000, 'a');
    std::string head = "GET /" + path + " HTTP/1.1\r\n\r\n";
    std::wstring target;
    ASSERT_EQ(HTTP_GET, ParseRequest(head.c_str(), &target));
    EXPECT_EQ(3001u, target.size());
}

TEST(ConvertPath, DropsOneLeadingSlashAndTurnsTheRestIntoBackslashes)
{
    struct { const wchar_t* in; const wchar_t* out; } cases[] = {
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
        EXPECT_EQ(std::wstring(c.out), t) << c.in;
    }
}

TEST(PathSafety, RefusesEveryWayOutOfTheWebRoot)
{
    const wchar_t* refused[] = {
        L"..\\other.txt", L"a\\..\\..\\x", L"..", L"a\\..", L".. \\x", L"..\\x",
        L"...\\x", L".. .\\x", L"a\\.. .",
        L"C:\\windows\\win.ini", L"index.html::$DATA", L"a:b", L"\\\\?\\C:\\x",
        L"CON", L"con", L"Con.txt", L"a\\NUL.html", L"prn", L"aux.c", L"COM1", L"com9.log",
        L"LPT1", L"lpt9.txt", L"CONIN$", L"conout$.x", L"nul ", L"CON .txt", L"COM\xb9",
        L"a\x01" L"b", L"a\tb", L"\x7f", L"line\r\n",
    };
    for (const wchar_t* t : refused)
        EXPECT_FALSE(IsSafeTarget(t)) << std::string(t, t + wcslen(t));
}

TEST(PathSafety, AcceptsOrdinaryNamesInsideTheWebRoot)
{
    const wchar_t* accepted[] = {
        L"index.html", L"a\\b.txt", L"\\x", L"docs\\", L"", L".\\x", L"a..b", L"..x",
        L"x..", L"CONFIG.txt", L"console", L"COM10", L"LPT0", L"com", L"nul2", L"my%20page.html",
        L"page.html?v=1", L"\xe9t\xe9.txt", L"a\\.hidden",
    };
    for (const wchar_t* t : accepted)
        EXPECT_TRUE(IsSafeTarget(t)) << std::string(t, t + wcslen(t));
}

TEST(PathSafety, FullPathMustLieInsideTheRootFolder)
{
    struct { const wchar_t* root; const wchar_t* candidate; bool inside; } cases[] = {
        {L"C:\\site\\", L"C:\\site\\index.html", true},
        {L"C:\\site\\", L"C:\\site\\", true},
        {L"C:\\site\\", L"C:\\site\\\\x", true},
        {L"C:\\site\\", L"C:\\site\\a\\..\\b", true},
        {L"C:\\site\\", L"C:\\site\\..\\b", false},
        {L"C:\\site\\", L"C:\\site\\a\\..\\..\\b", false},
        {L"C:\\site", L"C:\\siteindex.html", false},   // a sibling, not inside
        {L"C:\\site", L"C:\\site-secret\\x", false},
        {L"C:\\site", L"C:\\site\\x", true},
        {L"c:\\SITE\\", L"C:\\site\\x", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.inside, LiesUnderRoot(c.root, c.candidate))
            << std::string(c.candidate, c.candidate + wcslen(c.candidate));
    }
}

TEST(NotFoundPage, EscapesTheTargetSoNoMarkupGetsThrough)
{
    EXPECT_EQ(L"a&amp;b&lt;c&gt;d&quot;e&#39;f", HtmlEscape(L"a&b<c>d\"e'f"));
    EXPECT_EQ(L"plain\\path.html", HtmlEscape(L"plain\\path.html"));
    EXPECT_EQ(L"<html><body><h1>404</h1><b>Couldn't find file: &lt;script&gt;x</b>"
              L"</body></html>\r\n",
              NotFoundPage(L"<script>x"));
    EXPECT_EQ(L"<html><body><h1>404</h1><b>Couldn't find file: </b></body></html>\r\n",
              NotFoundPage(L""));
}

TEST(AnswerHead, IsStatusLineOptionalLowerCaseLengthAndBlankLine)
{
    EXPECT_EQ("HTTP/1.1 200 Sending file\r\ncontent-length: 0\r\n\r\n",
              AnswerHead(200, L"Sending file", 0));
    EXPECT_EQ("HTTP/1.1 200 File Exists\r\n\r\n", AnswerHead(200, L"File Exists", -1));
    EXPECT_EQ("HTTP/1.1 404 File not found!\r\ncontent-length: 73\r\n\r\n",
              AnswerHead(404, L"File not found!", 73));
    // Files of 2 GiB and more carry their true 64-bit size.
    EXPECT_EQ("HTTP/1.1 200 Sending file\r\ncontent-length: 2147483648\r\n\r\n",
              AnswerHead(200, L"Sending file", 2147483648LL));
    EXPECT_EQ("HTTP/1.1 200 Sending file\r\ncontent-length: 5000000000\r\n\r\n",
              AnswerHead(200, L"Sending file", 5000000000LL));
}

TEST(ClientAsksToClose, FollowsConnectionHeaderAndVersion)
{
    struct { const char* head; bool close; } cases[] = {
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
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.close, ClientAsksToClose(c.head)) << c.head;
}

} // namespace
