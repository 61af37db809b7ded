#pragma once

#include <QByteArray>

extern "C" {
struct AVDictionary;
struct AVInputFormat;
}

namespace plumark::transcode {

// The formats an input may be read as: the MP4 family and the plain audio
// formats a batch may be asked to convert, each of which reads its one file
// only. Playlists, manifests, concatenation lists and image sequences, which
// would open other files or protocols, are never among them.

// Finds the format of the file at url as the library would when opening it;
// 0, or the library's error code.
int probeInputFormat(const QByteArray& url, const AVInputFormat** format);

bool isMusicFormat(const AVInputFormat& format);

// Those formats' demuxer names, separated by commas, as the library's and
// the ffmpeg program's format_whitelist takes them.
const char* musicFormatList();

// The protocols an input may be read through: local files only (and the
// descriptors another process hands over).
const char* inputProtocolList();

// Options for opening an input: music formats only, read from local files
// only.
void restrictToMusicFormats(AVDictionary** options);

} // namespace plumark::transcode
