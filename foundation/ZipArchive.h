#pragma once
#include <cstdint>
#include <string>

// An open zip archive (".pk3" files are ordinary zip archives) that lets one member at a time be
// open for reading. Member names are found without regard to letter case. Failures are reported
// through the results only; callers decide what to log.
class ZipArchive {
 public:
  // The path is found without regard to letter case, like every file the engine opens.
  explicit ZipArchive(const std::string& path);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  bool isOpen() const { return handle != nullptr; }

  // False when the archive is closed, another member is still open, or no member has that name.
  bool openMember(const std::string& name);
  // False when no member was open, or when minizip reports a failure closing it (a bad checksum).
  bool closeMember();
  bool isMemberOpen() const { return memberOpen; }

  // Bytes read into buffer, 0 at the end of the member, negative on an error or with no member open.
  int read(void* buffer, unsigned length);
  // Uncompressed size of the open member; -1 with no member open or a size beyond int.
  int memberSize() const;

  // The CRC-32 and uncompressed size the directory records for a member, without reading it:
  // enough to tell whether a member read earlier is still the same. False when the archive is
  // closed, a member is open, or no member has that name.
  bool memberChecksum(const std::string& name, std::uint32_t& crc32, std::uint64_t& size);

  // Closes any open member and then the archive; true when the archive was open and closed cleanly.
  bool close();

 private:
  void* handle = nullptr;  // minizip's unzFile
  bool memberOpen = false;
};
