#pragma once
#include <istream>
#include <string>

#include "foundation/ZipStreamBuf.h"

class ZipArchive;

// An input stream over one zip archive member. A stream whose member could not be opened is in the
// fail state. The archive lets one member be open at a time, so a second stream on the same
// archive fails until the first is closed or destroyed. The archive must outlive its streams.
class ZipInputStream : public std::istream {
 public:
  ZipInputStream();
  ZipInputStream(ZipArchive& archive, const std::string& memberName,
                 std::ios::openmode mode = std::ios::in);
  ~ZipInputStream() override;

  // std::ios::binary in mode keeps CR LF as it is; without it CR LF reads as LF.
  void open(ZipArchive& archive, const std::string& memberName,
            std::ios::openmode mode = std::ios::in);
  void close();
  bool isOpen() const { return memberBuffer.isOpen(); }
  int memberSize() const { return memberBuffer.memberSize(); }

 private:
  ZipStreamBuf memberBuffer;
};
