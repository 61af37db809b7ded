#pragma once

#include <QString>

namespace plumark {

// What the first frame header of an AC3 file says.
struct Ac3Header
{
    bool valid = false; // sync word 0x0B77, a known rate code and an AC3 stream id
    int bitRateKbps = 0;
};

// Reads the header at the start of the file: no external tool, a few bytes.
Ac3Header readAc3Header(const QString& path);

// The rate of a result in any container, from its first frame; 0 when it
// has none.
int resultRateKbps(const QString& path);

// A result that can be kept: it exists, is not empty and starts with an AC3
// frame header.
bool isReadableAc3(const QString& path);

} // namespace plumark
