#pragma once
// Base64 of binary preference values. The text has a line feed after every 72 characters and a
// final line feed, so 0 bytes give "\n".
#include <cstddef>
#include <string>
#include <vector>

// False when the output stream failed.
bool EncodeBase64(const void* data, size_t size, std::string* text);

// Everything that is not a base64 letter (white space, padding, junk) is skipped; the text ends
// at its first zero byte. False when the output stream failed.
bool DecodeBase64(const char* text, std::vector<char>* bytes);
