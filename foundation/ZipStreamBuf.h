#pragma once
#include <streambuf>
#include <string>

class ZipArchive;

// Read-only stream buffer over the member a ZipArchive has open. Text mode turns every CR LF into
// LF. There is no positioning and no writing. After a refill the get area starts at the new
// bytes, so a put-back right after a refill fails.
class ZipStreamBuf : public std::streambuf {
 public:
  static constexpr int kBufferSize = 4096;
  // Bytes kept in front of each refill from the previous fill.
  static constexpr int kKeptBytes = 10;

  ZipStreamBuf() = default;
  ~ZipStreamBuf() override;
  ZipStreamBuf(const ZipStreamBuf&) = delete;
  ZipStreamBuf& operator=(const ZipStreamBuf&) = delete;

  // Opens the member through the archive, which must outlive the open member. Closes a member this
  // buffer already had open first.
  bool open(ZipArchive& archive, const std::string& memberName, bool binary);
  // False when nothing was open or the archive reported a failure while closing.
  bool close();
  bool isOpen() const { return memberIsOpen; }
  bool isBinary() const { return binaryMode; }
  int memberSize() const;

 protected:
  int_type underflow() override;
  int_type pbackfail(int_type c) override;
  std::streamsize xsgetn(char_type* dest, std::streamsize count) override;

 private:
  bool memberIsOpen = false;
  ZipArchive* archive = nullptr;  // not owned
  bool binaryMode = false;
  // A CR that ended the last read in text mode, held back until the next byte shows whether it
  // starts a CR LF pair.
  bool carriageReturnPending = false;
  char buffer[kBufferSize];
};
