// MediaTypes.cpp: the fixed table of media types.
#include "http/MediaTypes.h"

namespace {

struct MediaType {
  const wchar_t* extension;  // lower case, without the dot
  const char* type;
};

// HTML gets no charset: a page says its own, as it did when no type was sent.
const MediaType kTable[] = {
    {L"html", "text/html"},       {L"htm", "text/html"},         {L"css", "text/css"},
    {L"js", "text/javascript"},   {L"mjs", "text/javascript"},   {L"json", "application/json"},
    {L"map", "application/json"}, {L"txt", "text/plain"},        {L"xml", "application/xml"},
    {L"svg", "image/svg+xml"},    {L"png", "image/png"},         {L"jpg", "image/jpeg"},
    {L"jpeg", "image/jpeg"},      {L"gif", "image/gif"},         {L"webp", "image/webp"},
    {L"avif", "image/avif"},      {L"bmp", "image/bmp"},         {L"ico", "image/x-icon"},
    {L"pdf", "application/pdf"},  {L"wasm", "application/wasm"}, {L"woff", "font/woff"},
    {L"woff2", "font/woff2"},     {L"ttf", "font/ttf"},          {L"otf", "font/otf"},
    {L"mp3", "audio/mpeg"},       {L"m4a", "audio/mp4"},         {L"aac", "audio/aac"},
    {L"oga", "audio/ogg"},        {L"ogg", "audio/ogg"},         {L"opus", "audio/ogg"},
    {L"wav", "audio/wav"},        {L"flac", "audio/flac"},       {L"mp4", "video/mp4"},
    {L"m4v", "video/mp4"},        {L"webm", "video/webm"},       {L"ogv", "video/ogg"},
    {L"zip", "application/zip"},
};

}  // namespace

const char* MediaTypeOf(const std::wstring& name) {
  size_t dot = name.rfind(L'.');
  size_t slash = name.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && slash > dot)) return nullptr;
  std::wstring extension = name.substr(dot + 1);
  // ASCII only: a non-ASCII letter that folds to one in the table is not
  // that extension.
  for (wchar_t& c : extension) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  for (const MediaType& entry : kTable) {
    if (extension == entry.extension) return entry.type;
  }
  return nullptr;
}
