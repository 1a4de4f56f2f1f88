#include "trace/short_view.h"

#include <cstdio>
#include <map>

#include "base/float_text.h"
#include "base/native_names.h"
#include "base/quoted_text.h"
#include "trace/trace.h"

namespace standin {

namespace {

// The arguments, each as its declared kind reads best: a vector as (x, y, z).
std::string callArguments(const HostEvent& call, const NativeSignature* signature) {
  std::string text;
  for (unsigned i = 0; i < call.args.size(); ++i) {
    const ValueKind kind = signature && i < signature->slots.size() ? signature->slots[i] : ValueKind::Unknown;
    std::string word = shortSlot(traceArgument(call, i));
    if (kind == ValueKind::Float && call.texts.count(i) == 0) word = floatText(call.args[i]);
    const auto written = call.outWritten.find(i);
    if (kind == ValueKind::OutFloat && written != call.outWritten.end()) word = "&" + floatText(written->second);
    const auto wide = call.outWrittenWide.find(i);
    if (kind == ValueKind::OutVector && wide != call.outWrittenWide.end() && wide->second.size() == 3)
      word = "&(" + floatText(wide->second[0]) + ", " + floatText(wide->second[1]) + ", " + floatText(wide->second[2]) + ")";
    if (kind == ValueKind::Int && call.args[i] <= 0xFFFFFFFFull && call.texts.count(i) == 0 && call.outArgs.count(i) == 0)
      word = std::to_string(static_cast<std::int32_t>(call.args[i]));
    if (kind == ValueKind::Vector && i + 2 < call.args.size()) {
      word = "(" + floatText(call.args[i]) + ", " + floatText(call.args[i + 1]) + ", " + floatText(call.args[i + 2]) + ")";
      i += 2;
    }
    text += (text.empty() ? "" : ", ") + word;
  }
  return text;
}

std::string callAnswer(const HostEvent& call, const NativeSignature* signature) {
  const std::uint64_t* r = call.results;
  const bool three = r[1] != 0 || r[2] != 0;
  if (!three && r[0] == 0) return "";
  const ValueKind kind = signature ? signature->result : ValueKind::Unknown;
  if (kind == ValueKind::Vector) return " -> " + floatText(r[0]) + ", " + floatText(r[1]) + ", " + floatText(r[2]);
  if (kind == ValueKind::Float && !three) return " -> " + floatText(r[0]);
  if (kind == ValueKind::Int && !three && r[0] <= 0xFFFFFFFFull)
    return " -> " + std::to_string(static_cast<std::int32_t>(r[0]));
  std::string text = " -> " + shortSlot(hex(r[0], 16));
  if (three) text += ", " + shortSlot(hex(r[1], 16)) + ", " + shortSlot(hex(r[2], 16));
  return text;
}

// An event other than a call, a wait or a key, as the trace line tells it without its frame.
std::string otherEvent(const HostEvent& event) {
  std::string text = traceKindName(event.kind);
  switch (event.kind) {
    case EventKind::Load:
    case EventKind::Stop:
    case EventKind::Misuse:
    case EventKind::Debug: return text + " " + quoteText(event.detail);
    default: return event.detail.empty() ? text : text + " " + event.detail;
  }
}

class ShortView {
 public:
  ShortView(const GameClock& clock, const AnswerBook* answers) : clock_(clock), answers_(answers) {
    lines_.push_back("    frame  game time  what happened (natives by name; 0x1 for 0x0000000000000001)");
  }
  void see(const HostEvent& event);
  std::vector<std::string> finish();

 private:
  // `key` is what tells the item from others: the item without answers that follow game time.
  void add(const std::string& item, const std::string& native, const std::string& key = "");
  bool answeredByTime(const HostEvent& call);
  void flushItem();
  void endFrame();
  void flushShown();
  void flushSleep(std::uint64_t upTo);
  void print(std::uint64_t from, std::uint64_t to, const std::string& what);

  GameClock clock_;
  const AnswerBook* answers_;
  std::map<std::uint64_t, std::size_t> callsInFrame_;  // by native
  std::vector<std::string> lines_;
  std::uint64_t frame_ = 0;
  // Frames the script waits through, from its last wait.
  std::uint64_t sleepFrom_ = 1, sleepTo_ = 0;
  bool inSleep_ = false, loaded_ = false;
  // The run of one native's calls, or of one item, being gathered.
  std::string last_, lastKey_, lastNative_, final_;
  std::uint64_t repeat_ = 0, others_ = 0;
  std::string items_, itemsKey_;  // the frame's items so far
  // The line being gathered for frames in a row that did the same.
  std::string shown_, shownLine_;
  std::uint64_t shownFrom_ = 0, shownTo_ = 0;
};

void ShortView::print(std::uint64_t from, std::uint64_t to, const std::string& what) {
  const std::string frames = from == to ? std::to_string(from) : std::to_string(from) + "-" + std::to_string(to);
  char head[64];
  std::snprintf(head, sizeof head, "%9s  %6llu ms  ", frames.c_str(),
                static_cast<unsigned long long>(clock_.beginMs(from)));
  lines_.push_back(head + what);
}

bool ShortView::answeredByTime(const HostEvent& call) {
  if (!answers_) return false;
  const Answer* scripted = answers_->find(call.frame, call.hash, callsInFrame_[call.hash]++);
  return scripted && scripted->timed();
}

void ShortView::add(const std::string& item, const std::string& native, const std::string& key) {
  if (item == last_ || (!key.empty() && key == lastKey_)) {
    ++repeat_;
    return;
  }
  if (!native.empty() && native == lastNative_) {
    ++others_;
    final_ = item;
    return;
  }
  flushItem();
  last_ = item;
  lastKey_ = key.empty() ? item : key;
  lastNative_ = native;
  repeat_ = 1;
  others_ = 0;
}

void ShortView::flushItem() {
  if (last_.empty()) return;
  std::string text = last_ + (repeat_ > 1 ? " x" + std::to_string(repeat_) : "");
  if (others_ > 0) text = lastNative_ + " x" + std::to_string(repeat_ + others_) + " (" + last_ + " ... " + final_ + ")";
  items_ += (items_.empty() ? "" : "; ") + text;
  const std::string key = others_ > 0 ? text : lastKey_ + (repeat_ > 1 ? " x" + std::to_string(repeat_) : "");
  itemsKey_ += (itemsKey_.empty() ? "" : "; ") + key;
  last_.clear();
  lastKey_.clear();
  lastNative_.clear();
}

void ShortView::endFrame() {
  flushItem();
  if (!items_.empty() && itemsKey_ == shown_ && !inSleep_) {
    shownTo_ = frame_;
    items_.clear();
    itemsKey_.clear();
    return;
  }
  flushShown();
  if (!items_.empty()) {
    shown_ = itemsKey_;
    shownFrom_ = shownTo_ = frame_;
    shownLine_ = (inSleep_ && !loaded_ ? "(script asleep) " : "") + items_;
  }
  items_.clear();
  itemsKey_.clear();
  loaded_ = false;
}

void ShortView::flushShown() {
  if (!shown_.empty()) print(shownFrom_, shownTo_, shownLine_);
  shown_.clear();
}

void ShortView::flushSleep(std::uint64_t upTo) {
  const std::uint64_t to = sleepTo_ < upTo - 1 ? sleepTo_ : upTo - 1;
  if (sleepFrom_ <= to) print(sleepFrom_, to, "(script asleep)");
  if (sleepFrom_ <= upTo) sleepFrom_ = upTo + 1;
}

void ShortView::see(const HostEvent& event) {
  if (event.frame != frame_) {
    if (frame_ != 0) endFrame();
    inSleep_ = event.frame >= sleepFrom_ && event.frame <= sleepTo_;
    if (sleepFrom_ < event.frame && sleepFrom_ <= sleepTo_) flushShown();
    flushSleep(event.frame);
    frame_ = event.frame;
    callsInFrame_.clear();
  }
  if (event.kind == EventKind::Call) {
    const NativeSignature* signature = nativeSignature(event.hash);
    const std::string name = nativeName(event.hash);
    const std::string native = name.empty() ? shortSlot(hex(event.hash, 16)) : name;
    const std::string called = native + "(" + callArguments(event, signature) + ")";
    add(called + callAnswer(event, signature), native, answeredByTime(event) ? called + " -> (by game time)" : "");
  } else if (event.kind == EventKind::Wait) {
    sleepFrom_ = frame_ + 1;
    sleepTo_ = clock_.wakeFrame(frame_, event.waitMs) - 1;
    add("wait " + std::to_string(event.waitMs) + " ms", "");
  } else if (event.kind == EventKind::Key) {
    const bool up = event.args.size() > 6 && event.args[6] != 0;
    add("key " + hex(event.args.empty() ? 0 : event.args[0], 8) + (up ? " up" : " down") +
            (event.detail.empty() ? "" : " (no handler)"),
        "");
  } else {
    if (event.kind == EventKind::Load) {
      loaded_ = true;
      sleepTo_ = 0;
    }
    add(otherEvent(event), "");
  }
}

std::vector<std::string> ShortView::finish() {
  if (frame_ != 0) {
    endFrame();
    flushShown();
    flushSleep(frame_);
  }
  return std::move(lines_);
}

}  // namespace

std::vector<std::string> shortView(const std::vector<HostEvent>& events, const GameClock& clock,
                                   const AnswerBook* answers) {
  ShortView view(clock, answers);
  for (const HostEvent& event : events) view.see(event);
  return view.finish();
}

}  // namespace standin
