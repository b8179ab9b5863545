#include "foundation/ZipInputStream.h"

ZipInputStream::ZipInputStream() : std::istream(&memberBuffer) {}

ZipInputStream::ZipInputStream(ZipArchive& archive, const std::string& memberName,
                               std::ios::openmode mode)
    : std::istream(&memberBuffer) {
  open(archive, memberName, mode);
}

ZipInputStream::~ZipInputStream() { memberBuffer.close(); }

void ZipInputStream::open(ZipArchive& archive, const std::string& memberName, std::ios::openmode mode) {
  if (memberBuffer.isOpen()) memberBuffer.close();
  clear();
  if (!memberBuffer.open(archive, memberName, (mode & std::ios::binary) != 0)) setstate(std::ios::failbit);
}

void ZipInputStream::close() { memberBuffer.close(); }
