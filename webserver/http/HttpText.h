// HttpText.h: the pure text rules of the HTTP worker (request head, target,
// path safety, answer texts). No sockets, no windows, no globals.
#pragma once

#include <string>
#include <vector>

// Fixed limits of a request head: the buffer holds 4,095 bytes of text and
// a terminator; a head that has not ended by then is refused.
const int kRequestBufferBytes = 4096;
const int kRequestTextMax = kRequestBufferBytes - 1;

// Empty lines a client may send before a request line (HTTP/1.1 asks a
// server to skip at least one); the line after them is the request line,
// even an empty one.
const int kEmptyLinesBeforeRequest = 4;

enum HttpMethod { kHttpOther, kHttpGet, kHttpHead };

// The length of the head at the start of the text, or 0 while none has
// ended. A line ends at LF, with the CR before it when there is one. Up to
// kEmptyLinesBeforeRequest empty lines before the request line belong to
// the head; after the request line, the first empty line ends it
// ("\r\n\r\n" alone is no head). Every other rule reads the head's lines
// the same way. What follows belongs to the next request on the connection.
int HeadLength(const char* text, int length);

// The method of a head ("GET " / "HEAD " at the start of its request line,
// exact case, space included) and the target after it: up to the first space or the end of the
// head, widened byte for byte. No length limit beyond the head's own.
HttpMethod ParseRequest(const char* request, std::wstring* target);

// The target as clients write it (characters 0 to 255, one per byte): cut
// at the first '?' (no file name holds one), then every "%XX" decoded once,
// with hex digits of either case. The result is bytes again, one character
// each. False for a '%' not followed by two hex digits.
bool DecodeTarget(const std::wstring& raw, std::wstring* bytes);

// Bytes (characters 0 to 255) read as UTF-8 when the platform takes them
// as valid UTF-8 (MB_ERR_INVALID_CHARS: shortest forms, no surrogates, at
// most U+10FFFF); otherwise each byte is the character of the same value,
// as clients that send single-byte names expect.
std::wstring NameFromBytes(const std::wstring& bytes);

// Drops one leading '/', then turns every '/' into '\'. Nothing else.
void ConvertPath(std::wstring* target);

// Whether a converted target may be joined to the web root: false for a
// ".." segment (also with trailing dots or spaces), a ':' anywhere, a
// control character, or a segment naming a reserved device (with or
// without an extension, any case).
bool IsSafeTarget(const std::wstring& target);

// The full path of a path (GetFullPathNameW: "." and ".." segments, "/",
// doubled backslashes and trailing dots and spaces resolved as Windows
// resolves them when it opens a file); false when it cannot be made.
bool FullPathOf(const wchar_t* path, std::wstring* full);

// Whether the full path of candidatePath lies inside the folder rootPath
// (the root itself included), both made full with GetFullPathNameW. The
// root counts as a folder whether or not it ends with a backslash.
bool LiesUnderRoot(const wchar_t* rootPath, const wchar_t* candidatePath);

// '&', '<', '>', '"' and '\'' as entities; every other character as is.
std::wstring HtmlEscape(const std::wstring& text);

// The 404 page naming the (escaped) converted target.
std::wstring NotFoundPage(const std::wstring& target);

// The answer head: status line, the length line when length >= 0, blank
// line. 8-bit, ready to send.
std::string AnswerHead(int status, const wchar_t* reason, long long length);

// One field of a head: the name in lower case, name and value without the
// spaces and tabs around them.
struct HeadField {
  std::string name;
  std::string value;
};

// The fields of a zero-terminated head, in order: each line after the
// request line that holds a ':'. Lines end as in HeadLength, so every rule
// sees the same fields.
std::vector<HeadField> HeadFields(const char* head);

// Whether the client asked for the connection to end after this answer:
// "Connection: close", or a request line ending in HTTP/1.0 without
// "Connection: keep-alive".
bool ClientAsksToClose(const char* request);

// Whether the head announces a body: a Transfer-Encoding field, or a
// Content-Length other than zero (a malformed one included). The worker
// reads no bodies, so their bytes would be taken for the next request's
// head; such a connection ends after this head.
bool AnnouncesBody(const char* request);
