#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vantomere/session_names.h"
#include "vantomere/session_story.h"

namespace standin {

// A timeline of the session as an SVG picture: frames 1 to `frames` on the x
// axis; one row each for the aim camera, its toggle, the gore shots, the
// shakes and the fault notices; a mark wherever the plug-in acted.
std::string timelineSvg(const std::vector<FrameStory>& stories, std::uint64_t frames, const std::string& title,
                        const HashNames& names);

}  // namespace standin
