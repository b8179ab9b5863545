#include "foundation/Logger.h"

#include <cstdio>
#include <fstream>
#include <streambuf>
#include <string>
#include <utility>

#include "foundation/Clock.h"
#include "foundation/Path.h"

namespace {

void standardErrorSink(const char* piece) {
  std::fputs(piece, stderr);
  std::fflush(stderr);
}

DebugSink& debugSink() {
  static DebugSink sink = standardErrorSink;
  return sink;
}

const char* levelTag(int level) {
  switch (level) {
    case 0: return "DEBUG @ ";
    case 1: return "INFO @ ";
    case 2: return "ERROR @ ";
    default: return "???";
  }
}

// Collects up to 100 characters and hands them on as one piece, as a debugger output call would.
class DebugStreamBuf : public std::streambuf {
 public:
  static constexpr int kPieceSize = 100;

  DebugStreamBuf() { setp(buffer, buffer + kPieceSize); }
  ~DebugStreamBuf() override { emit(); }

 protected:
  int_type overflow(int_type c) override {
    emit();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    emit();
    return 0;
  }

 private:
  void emit() {
    const std::ptrdiff_t n = pptr() - pbase();
    if (n > 0) {
      buffer[n] = '\0';
      debugSink()(buffer);
    }
    setp(buffer, buffer + kPieceSize);
  }

  char buffer[kPieceSize + 1];
};

// Passes everything to the log file and, while a copy is attached, appends it there too. A failed
// file write is not reported back, so a log that could not be opened is ignored quietly.
class LogStreamBuf : public std::streambuf {
 public:
  explicit LogStreamBuf(std::streambuf* file) : file(file) {}

  std::string* copy = nullptr;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    if (copy) copy->push_back(ch);
    file->sputc(ch);
    return c;
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    if (copy) copy->append(text, static_cast<std::size_t>(count));
    file->sputn(text, count);
    return count;
  }
  int sync() override {
    file->pubsync();
    return 0;
  }

 private:
  std::streambuf* file;
};

LogStreamBuf* logBuffer = nullptr;

}  // namespace

Logger::Logger(std::ostream& stream) : out(stream) {
  const char* separator = "------------------------------------------------------------\n";
  line(1) << separator;
  line(1) << "Begin logging\n";
  line(1) << separator;
  // Every log says where the program ran, right after its banner.
  const std::string& path = programApplicationPath();
  if (!path.empty()) line(1) << "Application path: " << path << std::endl;
}

Logger& Logger::instance() {
  // Both live until the process ends, so that objects destroyed at exit can still log.
  static std::ofstream* file = new std::ofstream("GameEngine.log", std::ios::out | std::ios::trunc);
  static std::ostream* stream = [] {
    logBuffer = new LogStreamBuf(file->rdbuf());
    return new std::ostream(logBuffer);
  }();
  static Logger* logger = new Logger(*stream);
  return *logger;
}

std::string* Logger::copyTo(std::string* text) {
  instance();
  return std::exchange(logBuffer->copy, text);
}

void Logger::writePrefix(std::ostream& stream, int level, double seconds) {
  // The tag goes through one shared string, as every line's first piece.
  static std::string tag;
  tag = levelTag(level);
  stream << tag;
  stream.fill('0');
  stream.precision(4);
  stream.width(5);
  stream << seconds << "s: ";
}

std::ostream& Logger::line(int level) {
  writePrefix(out, level, Clock::program().elapsed(false) * 0.001);
  return out;
}

std::ostream& debugOut() {
  // Destroyed at exit in reverse order: the stream first, then the buffer, which sends the rest.
  static DebugStreamBuf buffer;
  static std::ostream stream(&buffer);
  return stream;
}

void setDebugSink(DebugSink sink) { debugSink() = sink ? sink : standardErrorSink; }
