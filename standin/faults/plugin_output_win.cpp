#include "faults/plugin_output_win.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "host/standin_host.h"

namespace standin::win {

namespace {

constexpr DWORD kDebugString = 0x40010006;      // DBG_PRINTEXCEPTION_C
constexpr DWORD kDebugWideString = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C
constexpr std::size_t kStreamBuffer = 64 * 1024;

struct Caught {
  HANDLE runnerOut = nullptr;  // copies of the process's first stdout and stderr
  HANDLE runnerErr = nullptr;
  HANDLE file = nullptr;  // where what the plug-in flushed goes; the runner reads it from here
  LONGLONG read = 0;      // how much of the file was read
  std::string partial;    // what was taken and not yet noted
  DWORD threads[2] = {0, 0};
  char outBuffer[kStreamBuffer];
  char errBuffer[kStreamBuffer];
} g_caught;

void noteDebug(std::string text) {
  if (!text.empty() && text.back() == '\r') text.pop_back();
  HostEvent event;
  event.kind = EventKind::Debug;
  event.detail = std::move(text);
  StandinHost::instance().note(std::move(event));
}

bool buffered(const FILE* stream) { return stream->_ptr != stream->_base; }

// The C runtime may write out at once what the plug-in printed; asking the
// file's size takes no trip to the Wine server.
bool written() {
  LARGE_INTEGER size{};
  return buffered(stdout) || buffered(stderr) || (GetFileSizeEx(g_caught.file, &size) && size.QuadPart > g_caught.read);
}

// What was flushed to the file since the last look, read straight into the
// text: this runs on the plug-in's stack, which may have little room left.
void readFlushed() {
  constexpr DWORD kChunk = 4096;
  for (DWORD got = kChunk; got == kChunk;) {
    const std::size_t at = g_caught.partial.size();
    g_caught.partial.resize(at + kChunk);
    if (!ReadFile(g_caught.file, &g_caught.partial[at], kChunk, &got, nullptr)) got = 0;
    g_caught.partial.resize(at + got);
    g_caught.read += got;
  }
}

// Takes what the C runtime holds in `stream`'s buffer, leaving the buffer as
// fflush would, without a write.
void takeBuffered(FILE* stream) {
  _lock_file(stream);
  if (stream->_base && stream->_ptr > stream->_base) {
    g_caught.partial.append(stream->_base, static_cast<std::size_t>(stream->_ptr - stream->_base));
    stream->_ptr = stream->_base;
    stream->_cnt = 0;
  }
  _unlock_file(stream);
}

// A file of its own that goes when the process does.
HANDLE openOutputFile(DWORD disposition, DWORD flags) {
  char folder[MAX_PATH] = "";
  static char path[MAX_PATH] = "";
  if (path[0] == '\0' && (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "sto", 0, path)))
    return INVALID_HANDLE_VALUE;
  return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, disposition, FILE_ATTRIBUTE_TEMPORARY | flags, nullptr);
}

HANDLE copyOf(HANDLE handle) {
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
  return copy;
}

// Points descriptor `fd` and the process's handle for `stream` at the file.
bool redirect(int fd, DWORD stream, HANDLE writer) {
  const HANDLE copy = copyOf(writer);
  if (!copy) return false;
  const int opened = _open_osfhandle(reinterpret_cast<intptr_t>(copy), _O_BINARY);
  if (opened < 0 || _dup2(opened, fd) != 0) return false;
  _close(opened);
  SetStdHandle(stream, reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
  return true;
}

}  // namespace

HANDLE runnerOutput(DWORD stream) {
  const HANDLE kept = stream == STD_OUTPUT_HANDLE ? g_caught.runnerOut : g_caught.runnerErr;
  return kept ? kept : GetStdHandle(stream);
}

void setRunnerOutput(HANDLE output, HANDLE errors) {
  static const HANDLE ownOutput = g_caught.runnerOut, ownErrors = g_caught.runnerErr;
  g_caught.runnerOut = output ? output : ownOutput;
  g_caught.runnerErr = errors ? errors : ownErrors;
}

bool catchPluginOutput() {
  // Redirecting descriptors 1 and 2 closes the handles they had.
  g_caught.runnerOut = copyOf(GetStdHandle(STD_OUTPUT_HANDLE));
  g_caught.runnerErr = copyOf(GetStdHandle(STD_ERROR_HANDLE));
  const HANDLE writer = openOutputFile(CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE);
  if (writer == INVALID_HANDLE_VALUE) return false;
  g_caught.file = openOutputFile(OPEN_EXISTING, 0);
  const bool caught = g_caught.file != INVALID_HANDLE_VALUE && redirect(1, STD_OUTPUT_HANDLE, writer) &&
                      redirect(2, STD_ERROR_HANDLE, writer);
  CloseHandle(writer);
  if (!caught) g_caught.file = nullptr;
  setvbuf(stdout, g_caught.outBuffer, _IOFBF, sizeof g_caught.outBuffer);
  setvbuf(stderr, g_caught.errBuffer, _IOFBF, sizeof g_caught.errBuffer);
  return caught;
}

void noteSessionThread(DWORD threadId) { g_caught.threads[g_caught.threads[0] == 0 ? 0 : 1] = threadId; }

void noteRunnerThread(DWORD threadId) { g_caught.threads[0] = threadId; }

bool onSessionThread() { return isSessionThread(GetCurrentThreadId()); }

bool isSessionThread(DWORD threadId) {
  return threadId != 0 && (threadId == g_caught.threads[0] || threadId == g_caught.threads[1]);
}

void takePluginOutput(bool all) {
  if (!g_caught.file || !onSessionThread()) return;
  if (!all && !written()) return;
  readFlushed();
  takeBuffered(stdout);
  takeBuffered(stderr);
  for (std::size_t end; (end = g_caught.partial.find('\n')) != std::string::npos;) {
    noteDebug(g_caught.partial.substr(0, end));
    g_caught.partial.erase(0, end + 1);
  }
  if (!g_caught.partial.empty()) noteDebug(std::move(g_caught.partial));
  g_caught.partial.clear();
}

// The text of OutputDebugStringA/W, which comes with its length, its NUL
// counted, without the NUL and one line feed at its end. Wine hands a wide
// text over as narrow already, in the ANSI code page, Windows raises the
// wide exception first: the plug-in's own OutputDebugStringW is redirected
// to the stand-in's (import_hooks_win.h), which keeps every character.
std::string debugText(const EXCEPTION_RECORD& record) {
  const std::size_t length = record.ExceptionInformation[0];
  std::string text;
  if (record.ExceptionCode == kDebugString) {
    text.assign(reinterpret_cast<const char*>(record.ExceptionInformation[1]), length);
  } else {
    const auto* wide = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]);
    text.resize(length * 3);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), text.data(),
                                          static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
  }
  while (!text.empty() && text.back() == '\0') text.pop_back();
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// One from a thread of the plug-in's own goes the way of its stderr, so that
// the session's thread records it at its next call.
void takeDebugText(std::string text) {
  if (onSessionThread()) {
    takePluginOutput(false);
    noteDebug(std::move(text));
  } else if (g_caught.file) {
    text += '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

bool takeDebugString(const EXCEPTION_RECORD& record) {
  const DWORD code = record.ExceptionCode;
  if ((code != kDebugString && code != kDebugWideString) || record.NumberParameters < 2) return false;
  takeDebugText(debugText(record));
  return true;
}

// Straight to the handle, unbuffered and without text-mode CR LF, so that
// the two outputs interleave in the order written; no C runtime lock is
// taken, which a crashed thread may hold.
void writeLine(DWORD stream, const std::string& message) {
  const std::string line = "standin: " + message + "\n";
  DWORD written = 0;
  WriteFile(runnerOutput(stream), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void report(const std::string& message) { writeLine(STD_ERROR_HANDLE, message); }

}  // namespace standin::win
