// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bitmap files and bitmap resources: a resource is the file without its 14-byte file header,
// the colour table and pixels following the info header directly.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TDibSummary {
    int Width = 0;
    int Height = 0; // negative for rows stored top-down
    int BitCount = 0;
    uint32_t Compression = 0;
    std::size_t HeaderSize = 0;
    std::size_t ColorBytes = 0; // colour table, with the three masks of bit-field pictures
    std::size_t PixelBytes = 0;
};

// Reads and checks the headers of a packed bitmap of size bytes with the program's own reader
// and its format checks, and that the pixels lie within the bytes. The reader's message for a
// refusal goes to *why.
std::optional<TDibSummary> DescribePackedDib(const uint8_t* data, std::size_t size,
                                             std::string* why = nullptr);

// The bitmap resource of a bitmap file: the info header, colour table and pixels, found
// where the file header says; a 12-byte core header becomes the 40-byte info header with
// 4-byte colour entries. The result is loaded as the program loads a library picture, and
// whatever the program refuses fails here with an Exception naming the file and giving the
// program's message.
std::vector<uint8_t> PackedDibFromBmpFile(const std::vector<uint8_t>& file,
                                          const std::string& fileName);

// The bitmap file of a bitmap resource: a file header with the sizes filled in and both
// reserved words 0, then the resource as it is. Fails when the resource is no bitmap.
std::vector<uint8_t> BmpFileFromPackedDib(const std::vector<uint8_t>& dib, const std::string& name);
