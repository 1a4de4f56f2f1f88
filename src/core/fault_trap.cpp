#include "core/fault_trap.h"

#include <cstdint>
#include <exception>
#include <string>

#include "config/log_file.h"
#include "host/native_call.h"

namespace {

constexpr std::uint64_t kMakeNoticeTextNative = 0xFA925AC00EB830B9;
constexpr std::uint64_t kSetNoticeTextNative = 0xFA233F8FE190514C;
constexpr std::uint64_t kPrepareNoticeNative = 0xE9990552DEC71600;
constexpr std::uint64_t kShowNoticeNative = 0xDFF0D417277B41F8;
constexpr std::int32_t kNoticeTextKind = 10;
constexpr char kLiteralTextName[] = "LITERAL_STRING";

// Nothing in the plug-in throws anything but standard exceptions; this
// names whatever else might reach the trap, so the log still says the frame
// failed and the player still sees that something did.
constexpr char kNonStandardDescription[] = "non-standard exception";

void reportFault(const char* description) {
  const std::string message =
      std::string("Fatal: ") + (description ? description : "") + ", check the logs for more info.";
  logLine(message.c_str());
  showNotice(message.c_str());
}

void reportCaptured(const std::exception_ptr& captured) {
  try {
    std::rethrow_exception(captured);
  } catch (const std::exception& fault) {
    reportFault(fault.what());
  } catch (...) {
    reportFault(kNonStandardDescription);
  }
}

// Runs inside the trap's handler. The report itself may fail (no memory for
// the message, a failing native): that only cuts the report short, because
// the first line is already in the log and the frame loop must go on.
void handleFault() noexcept {
  try {
    logLine("Something wrong happened");
    const std::exception_ptr captured = std::current_exception();
    if (captured) {
      reportCaptured(captured);
    } else {
      logLine("No exception captured.");
    }
  } catch (...) {
  }
}

}  // namespace

void runTrapped(void (*work)()) noexcept {
  try {
    work();
  } catch (...) {
    handleFault();
  }
}

void showNotice(const char* text) {
  const std::uint64_t gameText = NativeCall(kMakeNoticeTextNative)
                                     .pushInt(kNoticeTextKind)
                                     .pushText(kLiteralTextName)
                                     .pushText(text)
                                     .perform()
                                     .asWhole();
  NativeCall(kSetNoticeTextNative).pushWhole(gameText).perform();
  NativeCall(kPrepareNoticeNative).perform();
  NativeCall(kShowNoticeNative).perform();
}
