// libFuzzer target: a request head as the worker receives it, through the
// same steps it takes (head test, method and target, "/" as index.html,
// slash conversion, path checks, 404 page, connection option). Aborts when
// a target passes the path check yet leads outside the web root, or when
// the 404 page carries markup taken from the request.
#include "HttpText.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const wchar_t kRoot[] = L"C:\\site\\";

[[noreturn]] void Fail(const char* what, const std::wstring& target)
{
    std::fprintf(stderr, "fuzz_request: %s:", what);
    for (wchar_t c : target)
        std::fprintf(stderr, " %04x", static_cast<unsigned>(c));
    std::fprintf(stderr, "\n");
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > static_cast<size_t>(REQUEST_TEXT_MAX))
        return 0;
    // Exactly the bytes received, so the sanitizer sees any read past them.
    std::unique_ptr<char[]> exact(new char[size ? size : 1]);
    std::memcpy(exact.get(), data, size);
    bool complete = IsHeadComplete(exact.get(), static_cast<int>(size));
    if (complete != (size > 4 && std::memcmp(data + size - 4, "\r\n\r\n", 4) == 0))
        Fail("head test disagrees with the received end", std::wstring());

    std::unique_ptr<char[]> head(new char[size + 1]);
    std::memcpy(head.get(), data, size);
    head[size] = 0;
    std::wstring target;
    HttpMethod method = ParseRequest(head.get(), &target);
    ClientAsksToClose(head.get());
    if (method == HTTP_OTHER) {
        if (!target.empty())
            Fail("a target for an unknown method", target);
        return 0;
    }
    for (wchar_t c : target) {
        if (c == L' ' || c == 0 || c > 0xFF)
            Fail("target holds a space, a NUL or a wide character", target);
    }
    if (target == L"/")
        target = L"index.html";
    ConvertPath(&target);
    if (target.find(L'/') != std::wstring::npos)
        Fail("slash left after conversion", target);
    std::wstring path = std::wstring(kRoot) + target;
    if (IsSafeTarget(target) && !LiesUnderRoot(kRoot, path.c_str()))
        Fail("safe target outside the web root", target);

    std::wstring page = NotFoundPage(target);
    const std::wstring open = L"<html><body><h1>404</h1><b>Couldn't find file: ";
    const std::wstring close = L"</b></body></html>\r\n";
    if (page.compare(0, open.size(), open) != 0 || page.size() < open.size() + close.size() ||
        page.compare(page.size() - close.size(), close.size(), close) != 0)
        Fail("404 page frame broken", target);
    std::wstring name = page.substr(open.size(), page.size() - open.size() - close.size());
    if (name.find_first_of(L"<>\"'") != std::wstring::npos)
        Fail("markup from the request in the 404 page", target);
    return 0;
}
