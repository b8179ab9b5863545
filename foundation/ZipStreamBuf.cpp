#include "foundation/ZipStreamBuf.h"

#include <algorithm>
#include <cstring>

#include "foundation/ZipArchive.h"

ZipStreamBuf::~ZipStreamBuf() { close(); }

bool ZipStreamBuf::open(ZipArchive& target, const std::string& memberName, bool binary) {
  if (memberIsOpen) close();
  archive = &target;
  binaryMode = binary;
  carriageReturnPending = false;
  setg(nullptr, nullptr, nullptr);
  memberIsOpen = target.isOpen() && target.openMember(memberName);
  return memberIsOpen;
}

bool ZipStreamBuf::close() {
  if (!memberIsOpen) return false;
  memberIsOpen = false;
  carriageReturnPending = false;
  setg(nullptr, nullptr, nullptr);
  return archive->closeMember();
}

int ZipStreamBuf::memberSize() const { return memberIsOpen ? archive->memberSize() : -1; }

ZipStreamBuf::int_type ZipStreamBuf::underflow() {
  if (!memberIsOpen) return traits_type::eof();
  if (gptr() && gptr() < egptr()) return traits_type::to_int_type(*gptr());

  int kept = 0;
  if (eback()) {
    kept = static_cast<int>(std::min<std::ptrdiff_t>(kKeptBytes, gptr() - eback()));
    std::memmove(buffer, gptr() - kept, static_cast<std::size_t>(kept));
  }
  char* start = buffer + kept;
  const int room = kBufferSize - kept;

  int count = 0;
  while (count == 0) {
    if (carriageReturnPending) {
      start[0] = '\r';
      count = 1;
      carriageReturnPending = false;
    }
    const int got = archive->read(start + count, static_cast<unsigned>(room - count));
    if (got <= 0) {
      if (count == 0) {
        setg(nullptr, nullptr, nullptr);
        return traits_type::eof();
      }
      break;  // a held-back CR was the member's last byte
    }
    count += got;
    if (binaryMode) break;
    if (start[count - 1] == '\r') {
      carriageReturnPending = true;
      --count;
    }
    int folded = 0;
    for (int i = 0; i < count; ++i) {
      if (start[i] == '\r' && i + 1 < count && start[i + 1] == '\n') continue;
      start[folded++] = start[i];
    }
    count = folded;
  }
  setg(start, start, start + count);
  return traits_type::to_int_type(*start);
}

ZipStreamBuf::int_type ZipStreamBuf::pbackfail(int_type c) {
  if (!gptr() || gptr() == eback()) return traits_type::eof();
  gbump(-1);
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *gptr() = traits_type::to_char_type(c);
  return c;
}

std::streamsize ZipStreamBuf::xsgetn(char_type* dest, std::streamsize count) {
  if (!memberIsOpen) return 0;
  std::streamsize delivered = 0;
  while (count > 0) {
    const std::streamsize available = egptr() - gptr();
    if (available > 0) {
      const std::streamsize n = std::min(count, available);
      std::memcpy(dest, gptr(), static_cast<std::size_t>(n));
      gbump(static_cast<int>(n));
      dest += n;
      count -= n;
      delivered += n;
    } else {
      const int_type c = uflow();
      if (traits_type::eq_int_type(c, traits_type::eof())) break;
      *dest++ = traits_type::to_char_type(c);
      --count;
      ++delivered;
    }
  }
  return delivered;
}
