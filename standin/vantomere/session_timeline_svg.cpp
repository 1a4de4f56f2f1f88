#include "vantomere/session_timeline_svg.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

namespace standin {

namespace {

constexpr double kWidth = 1200, kLeft = 200, kRight = 1170;
constexpr double kTop = 64, kRowHeight = 48;
constexpr const char* kRowLabels[] = {"aim camera applied", "aim camera toggle", "melee gore shots", "camera shakes",
                                      "fault notices", "script asleep"};
constexpr int kRows = 6;
constexpr const char* kCameraColour = "#3b7dd8";
constexpr const char* kToggleOnColour = "#2e9e5b";
constexpr const char* kToggleOffColour = "#b0b0b0";
constexpr const char* kGoreColour = "#b03a2e";
constexpr const char* kFaultColour = "#d01010";
constexpr const char* kAsleepColour = "#9aa5b1";
constexpr const char* kControlColours[] = {"#e67e22", "#8e44ad", "#16a085", "#c71585"};
constexpr const char* kShakeColours[] = {"#f2b134", "#d35400", "#7f3c00"};

std::string fixed(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '&') out += "&amp;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

// Collects SVG elements; coordinates in pixels.
class Svg {
 public:
  void rect(double x, double y, double w, double h, const std::string& fill, const std::string& extra = "") {
    out_ << "<rect x=\"" << fixed(x) << "\" y=\"" << fixed(y) << "\" width=\"" << fixed(w) << "\" height=\""
         << fixed(h) << "\" fill=\"" << fill << "\"" << extra << "/>\n";
  }
  void line(double x1, double y1, double x2, double y2, const std::string& stroke, const std::string& extra = "") {
    out_ << "<line x1=\"" << fixed(x1) << "\" y1=\"" << fixed(y1) << "\" x2=\"" << fixed(x2) << "\" y2=\""
         << fixed(y2) << "\" stroke=\"" << stroke << "\"" << extra << "/>\n";
  }
  void text(double x, double y, const std::string& words, const std::string& extra = "") {
    out_ << "<text x=\"" << fixed(x) << "\" y=\"" << fixed(y) << "\"" << extra << ">" << escaped(words)
         << "</text>\n";
  }
  void polygon(const std::vector<std::pair<double, double>>& points, const std::string& fill) {
    out_ << "<polygon points=\"";
    for (const auto& [x, y] : points) out_ << fixed(x) << "," << fixed(y) << " ";
    out_ << "\" fill=\"" << fill << "\"/>\n";
  }
  void raw(const std::string& element) { out_ << element << "\n"; }
  std::string str() const { return out_.str(); }

 private:
  std::ostringstream out_;
};

void triangle(Svg& svg, double x, double y, bool up, const std::string& fill) {
  const double tip = up ? y - 6 : y + 6, base = up ? y + 5 : y - 5;
  svg.polygon({{x, tip}, {x - 6, base}, {x + 6, base}}, fill);
}

void diamond(Svg& svg, double x, double y, const std::string& fill) {
  svg.polygon({{x, y - 7}, {x + 6, y}, {x, y + 7}, {x - 6, y}}, fill);
}

void cross(Svg& svg, double x, double y) {
  const std::string style = " stroke-width=\"2.5\"";
  svg.line(x - 5, y - 5, x + 5, y + 5, kFaultColour, style);
  svg.line(x - 5, y + 5, x + 5, y - 5, kFaultColour, style);
}

// Geometry of the plot and what the session did, by row.
class Timeline {
 public:
  Timeline(const std::vector<FrameStory>& stories, std::uint64_t frames, const HashNames& names)
      : stories_(stories), frames_(std::max<std::uint64_t>(frames, 1)), names_(names) {}

  std::string draw(const std::string& title) {
    drawFrame(title);
    drawCameraRow();
    drawToggleRow();
    drawGoreRow();
    drawShakeRow();
    drawFaultRow();
    drawAsleepRow();
    drawLegend();
    svg_.raw("</svg>");
    return header() + svg_.str();
  }

 private:
  double frameWidth() const { return (kRight - kLeft) / static_cast<double>(frames_); }
  double frameLeft(std::uint64_t frame) const { return kLeft + static_cast<double>(frame - 1) * frameWidth(); }
  double frameMiddle(std::uint64_t frame) const { return frameLeft(frame) + frameWidth() / 2; }
  static double rowTop(int row) { return kTop + row * kRowHeight; }
  double bottom() const { return rowTop(kRows); }
  bool inPlot(std::uint64_t frame) const { return frame >= 1 && frame <= frames_; }

  std::string header() const {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fixed(kWidth) + "\" height=\"" +
           fixed(legendBottom_) + "\" viewBox=\"0 0 " + fixed(kWidth) + " " + fixed(legendBottom_) +
           "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"12\">\n";
  }

  void drawFrame(const std::string& title) {
    svg_.rect(0, 0, kWidth, 10000, "#ffffff");
    svg_.text(kLeft, 28, title, " font-size=\"16\" font-weight=\"bold\"");
    std::uint64_t gameTimeMs = 0;
    for (const auto& story : stories_) gameTimeMs = std::max(gameTimeMs, story.gameTimeMs);
    svg_.text(kLeft, 48,
              std::to_string(frames_) + " frames, " + std::to_string(gameTimeMs) +
                  " ms of game time; one row per feature, a mark wherever the plug-in acted",
              " fill=\"#555\"");
    for (int row = 0; row < kRows; ++row) {
      svg_.rect(kLeft, rowTop(row), kRight - kLeft, kRowHeight, row % 2 ? "#ffffff" : "#f4f6f8");
      svg_.text(kLeft - 10, rowTop(row) + kRowHeight / 2 + 4, kRowLabels[row], " text-anchor=\"end\"");
    }
    drawAxis();
  }

  template <typename Visit>
  void forEach(ActionKind kind, Visit visit) const {
    for (const auto& story : stories_)
      if (inPlot(story.frame))
        for (const auto& action : story.actions)
          if (action.kind == kind) visit(story.frame, action);
  }

  // Frames in a row, as (first, last) pairs.
  static std::vector<std::pair<std::uint64_t, std::uint64_t>> runsOf(const std::set<std::uint64_t>& frames) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> runs;
    for (std::uint64_t frame : frames) {
      if (!runs.empty() && runs.back().second + 1 == frame) runs.back().second = frame;
      else runs.emplace_back(frame, frame);
    }
    return runs;
  }

  std::set<std::uint64_t> framesWith(ActionKind kind) const {
    std::set<std::uint64_t> frames;
    forEach(kind, [&](std::uint64_t frame, const Action&) { frames.insert(frame); });
    return frames;
  }

  void noneInRow(int row) {
    svg_.text(kLeft + 8, rowTop(row) + kRowHeight / 2 + 4, "none", " fill=\"#888\" font-style=\"italic\"");
  }

  void drawCameraRow() {
    const auto runs = runsOf(framesWith(ActionKind::CameraApplied));
    for (const auto& [first, last] : runs)
      svg_.rect(frameLeft(first), rowTop(0) + 12, frameLeft(last + 1) - frameLeft(first), kRowHeight - 24, kCameraColour);
    if (runs.empty()) noneInRow(0);
  }

  // The toggle as it stood at the start of each frame; it starts on.
  void drawToggleRow() {
    bool on = true;
    std::uint64_t from = 1;
    for (const auto& [frame, becomes] : toggleChanges()) {
      drawToggleSpan(from, frame - 1, on);
      on = becomes;
      from = frame;
    }
    drawToggleSpan(from, frames_, on);
    forEach(ActionKind::ToggleSwitched, [&](std::uint64_t frame, const Action& a) {
      const double y = a.on ? rowTop(1) + kRowHeight - 9 : rowTop(1) + 9;
      triangle(svg_, frameMiddle(frame), y, a.on, controlColour(static_cast<std::uint32_t>(a.hash)));
    });
  }

  // The toggle's state from the start of a frame on: a switch counts from
  // the next frame; a plug-in loaded again starts with the toggle on.
  std::map<std::uint64_t, bool> toggleChanges() const {
    std::map<std::uint64_t, bool> changes;
    for (const auto& story : stories_)
      for (const auto& action : story.actions) {
        if (action.kind == ActionKind::ToggleSwitched) changes[story.frame + 1] = action.on;
        if (action.kind == ActionKind::Loaded && story.frame > 1) changes[story.frame] = true;
      }
    return changes;
  }

  void drawToggleSpan(std::uint64_t first, std::uint64_t last, bool on) {
    last = std::min(last, frames_);
    if (first > last) return;
    const double x = frameLeft(first), w = frameLeft(last + 1) - x;
    if (on) svg_.rect(x, rowTop(1) + 17, w, 14, kToggleOnColour);
    else svg_.rect(x, rowTop(1) + 22, w, 4, kToggleOffColour);
  }

  const char* controlColour(std::uint32_t control) {
    const auto found = controls_.find(control);
    if (found != controls_.end()) return found->second;
    const char* colour = kControlColours[controls_.size() % std::size(kControlColours)];
    controlOrder_.push_back(control);
    return controls_[control] = colour;
  }

  void drawGoreRow() {
    forEach(ActionKind::GoreShot, [&](std::uint64_t frame, const Action& a) {
      const double x = frameMiddle(frame);
      diamond(svg_, x, rowTop(2) + 30, kGoreColour);
      svg_.text(x, rowTop(2) + 15, std::to_string(a.waitBefore) + " ms", " text-anchor=\"middle\" font-size=\"10\"");
    });
    if (framesWith(ActionKind::GoreShot).empty()) noneInRow(2);
  }

  void drawShakeRow() {
    std::set<float> amplitudes;
    forEach(ActionKind::Shake, [&](std::uint64_t, const Action& a) { amplitudes.insert(a.amplitude); });
    if (amplitudes.empty()) return noneInRow(3);
    const float largest = std::max(*amplitudes.rbegin(), 1e-6f);
    forEach(ActionKind::Shake, [&](std::uint64_t frame, const Action& a) {
      const double height = 26.0 * std::max(0.15, static_cast<double>(a.amplitude / largest));
      const double x = frameMiddle(frame), base = rowTop(3) + kRowHeight - 6;
      svg_.rect(x - 2.5, base - height, 5, height, shakeColour(amplitudes, a.amplitude));
      svg_.text(x, base - height - 3, amplitudeText(a.amplitude), " text-anchor=\"middle\" font-size=\"10\"");
    });
    shakeAmplitudes_ = amplitudes;
  }

  static const char* shakeColour(const std::set<float>& amplitudes, float amplitude) {
    const auto index = static_cast<std::size_t>(std::distance(amplitudes.begin(), amplitudes.find(amplitude)));
    return kShakeColours[std::min(index, std::size(kShakeColours) - 1)];
  }

  static std::string amplitudeText(float amplitude) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(amplitude));
    return text;
  }

  // A fault that recurs frame after frame is a band with a cross where it
  // began, and the notice's text beside the first cross.
  void drawFaultRow() {
    std::string notice;
    forEach(ActionKind::FaultNotice, [&](std::uint64_t, const Action& a) {
      if (notice.empty()) notice = a.text;
    });
    const auto runs = runsOf(framesWith(ActionKind::FaultNotice));
    const double middle = rowTop(4) + kRowHeight / 2;
    for (const auto& [first, last] : runs) {
      if (last > first)
        svg_.rect(frameLeft(first), middle + 8, frameLeft(last + 1) - frameLeft(first), 6, kFaultColour,
                  " fill-opacity=\"0.5\"");
      cross(svg_, frameMiddle(first), middle - 3);
    }
    if (runs.empty()) return noneInRow(4);
    svg_.text(frameMiddle(runs.front().first) + 10, middle + 1, notice, " fill=\"#900\" font-size=\"11\"");
  }

  void drawAsleepRow() {
    std::set<std::uint64_t> frames;
    for (const auto& story : stories_)
      if (story.asleep && inPlot(story.frame)) frames.insert(story.frame);
    const auto runs = runsOf(frames);
    for (const auto& [first, last] : runs)
      svg_.rect(frameLeft(first), rowTop(5) + 18, frameLeft(last + 1) - frameLeft(first), kRowHeight - 36, kAsleepColour);
    if (runs.empty()) noneInRow(5);
  }

  std::uint64_t tickStep() const {
    for (std::uint64_t step : {1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500, 1000, 2000, 2500, 5000, 10000, 20000})
      if (frames_ / step <= 12) return step;
    return 50000;
  }

  void drawAxis() {
    svg_.line(kLeft, bottom(), kRight, bottom(), "#333");
    const std::uint64_t step = tickStep();
    for (std::uint64_t frame = step; frame <= frames_; frame += step) tick(frame);
    tick(1);
    svg_.text((kLeft + kRight) / 2, bottom() + 36, "frame", " text-anchor=\"middle\" font-weight=\"bold\"");
  }

  void tick(std::uint64_t frame) {
    const double x = frameMiddle(frame);
    svg_.line(x, kTop, x, bottom(), "#d0d0d0", " stroke-dasharray=\"2,3\"");
    svg_.line(x, bottom(), x, bottom() + 5, "#333");
    svg_.text(x, bottom() + 18, std::to_string(frame), " text-anchor=\"middle\"");
  }

  // Items flow left to right and wrap at the plot's right edge.
  void legendItem(double& x, double& y, const std::string& label, const std::function<void(double, double)>& mark,
                  double markWidth = 12) {
    const double width = markWidth + 16 + 7.0 * static_cast<double>(label.size());
    if (x + width > kRight) {
      x = kLeft;
      y += 22;
    }
    mark(x + markWidth / 2 + 1, y - 4);
    svg_.text(x + markWidth + 6, y, label);
    x += width + 12;
  }

  void drawLegend() {
    double x = kLeft, y = bottom() + 66;
    svg_.text(kLeft - 10, y, "legend", " text-anchor=\"end\" font-weight=\"bold\"");
    legendItem(x, y, "aim camera applied", [&](double mx, double my) { svg_.rect(mx - 6, my - 6, 12, 12, kCameraColour); });
    legendItem(x, y, "toggle on", [&](double mx, double my) { svg_.rect(mx - 6, my - 5, 12, 10, kToggleOnColour); });
    legendItem(x, y, "toggle off", [&](double mx, double my) { svg_.rect(mx - 6, my - 2, 12, 4, kToggleOffColour); });
    if (!controlOrder_.empty())
      legendItem(x, y, "toggle switched on / off by:", [&](double mx, double my) {
        triangle(svg_, mx - 7, my, true, "#555");
        triangle(svg_, mx + 7, my, false, "#555");
      }, 26);
    for (std::uint32_t control : controlOrder_) {
      const char* colour = controls_[control];
      legendItem(x, y, names_.shortName(control),
                 [&, colour](double mx, double my) { svg_.rect(mx - 6, my - 6, 12, 12, colour); });
    }
    legendItem(x, y, "gore shot (wait before it)", [&](double mx, double my) { diamond(svg_, mx, my, kGoreColour); });
    for (float amplitude : shakeAmplitudes_) {
      const char* colour = shakeColour(shakeAmplitudes_, amplitude);
      legendItem(x, y, "shake, amplitude " + amplitudeText(amplitude),
                 [&, colour](double mx, double my) { svg_.rect(mx - 2.5, my - 7, 5, 14, colour); });
    }
    legendItem(x, y, "fault notice (a band where it recurs every frame)", [&](double mx, double my) { cross(svg_, mx, my); });
    legendItem(x, y, "frames the script waited through", [&](double mx, double my) { svg_.rect(mx - 6, my - 6, 12, 12, kAsleepColour); });
    legendBottom_ = y + 20;
  }

  const std::vector<FrameStory>& stories_;
  std::uint64_t frames_;
  const HashNames& names_;
  Svg svg_;
  std::map<std::uint32_t, const char*> controls_;
  std::vector<std::uint32_t> controlOrder_;
  std::set<float> shakeAmplitudes_;
  double legendBottom_ = 0;
};

}  // namespace

std::string timelineSvg(const std::vector<FrameStory>& stories, std::uint64_t frames, const std::string& title,
                        const HashNames& names) {
  return Timeline(stories, frames, names).draw(title);
}

}  // namespace standin
