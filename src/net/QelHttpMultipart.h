#pragma once
// multipart/form-data bodies of POST requests, byte for byte:
//
//   first part   "--B\r\nContent-Disposition: form-data; name=\"N\"\r\n\r\n" value
//   later part   "\r\n--B\r\n..." the same
//   file part    "...; name=\"N\"; filename=\"F\"\r\nContent-Type: application/octect-stream\r\n\r\n" bytes
//   end          "\r\n--B--\r\n"
//
// Names and values go in as they are (UTF-8), never cut; F is the path's
// last component. Files that cannot be read or are empty are left out. The
// content type keeps its historical spelling, which servers may expect.
// Thread-safe: each call reads only its arguments and the files.

#include <vector>

#include "QelHttpTypes.h"
#include "QelString.h"

namespace qel::http {
constexpr int kBoundaryLength = 16;
constexpr char kBoundaryAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// 16 characters of the alphabet, drawn from the kernel's random source.
QelString MakeBoundary();
// One file part per readable, non-empty path, all named "file[]" when files
// holds more than one path, else "file"; then the end line. Only the path at
// position 0 takes the first-part form.
std::vector<char> BuildFileBody(const QelStringArray& files, const QelString& boundary);
// Names in ascending order, within a name the kinds in ascending order: one
// text part for kinds 0 and 1, one file part per readable, non-empty file of
// a kind 2 list; then the end line.
std::vector<char> BuildFormBody(const QelHttpFormFields& fields, const QelString& boundary);
}  // namespace qel::http
