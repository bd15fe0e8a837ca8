#pragma once

#include "core/video/showframes.h"

#include <QString>

#include <atomic>
#include <functional>

namespace vc {

struct VideoOptions
{
    QString output;   // .mp4 (H.264 + AAC) or .webm (VP9 + Opus)
    QString songPath; // empty: a silent video
    int height = 720; // 480, 720 or 1080; the width makes 16:9
    int fps = 30;
    VideoLook look = VideoLook::Both;
    int startMs = 0; // the video starts here in the show and the song
};

// The width of a 16:9 video of the given height, made even for the encoders.
int videoWidth(int height);

// Renders a track to a video file with its song. Runs on the calling
// thread; progress(done, total) reports each frame; a set cancel flag stops
// it. The file appears under its name only when it is complete: the video
// is written to a temporary file in the same folder and renamed at the end.
// Returns an empty string on success, else a message for the user (a
// cancelled render returns "cancelled" and leaves no file).
QString renderVideo(const QVector<device::ShowItem> &items, short leds, const VideoOptions &options,
                    const std::function<void(int, int)> &progress,
                    const std::atomic<bool> *cancel = nullptr);

// The message returned when the render was cancelled.
QString cancelledText();

} // namespace vc
