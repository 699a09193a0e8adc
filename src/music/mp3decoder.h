#pragma once

#include "regularfile.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

struct mpg123_handle_struct;

// One MP3 file decoded to 16-bit stereo samples with libmpg123. Gapless mode is on, so the
// encoder's delay and padding are left out and a file played again and again joins up
// sample for sample. Only regular files are opened, without ever waiting on the file itself: a
// FIFO, a socket or a folder under the music's name is refused. Every read of the file goes
// through RegularFile. Tags are skipped unread, so a huge one costs no memory; files joined
// end to end, or whose sample rate or channel count changes midway, play through at the rate
// they start with.
class Mp3Decoder
{
public:
    enum class Error { None, Missing, NotAFile, Unreadable, NotMusic };

    Mp3Decoder();
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder &) = delete;
    Mp3Decoder &operator=(const Mp3Decoder &) = delete;

    // Opens the file and learns its format from the first frame. A file with no audio frame in
    // it counts as not music.
    Error open(const std::filesystem::path &path);

    int sampleRate() const { return m_sampleRate; }
    // The number of stereo frames the file holds, as its header tells or as estimated; 0 when
    // unknown.
    std::int64_t frameCount() const;

    // Decodes up to maxFrames stereo frames (two int16 samples each) into `out`, appending.
    // Returns the number of frames added; 0 at the end of the file or when the rest cannot be
    // decoded.
    int decode(std::vector<std::int16_t> &out, int maxFrames);

    // Continues decoding at stereo frame `frame` of the file. False if that cannot be reached.
    bool seek(std::int64_t frame);

private:
    struct HandleDeleter
    {
        void operator()(mpg123_handle_struct *handle) const;
    };
    RegularFile m_file; // outlives the handle that reads it
    std::unique_ptr<mpg123_handle_struct, HandleDeleter> m_handle;
    int m_sampleRate = 0;
};
