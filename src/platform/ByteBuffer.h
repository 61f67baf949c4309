#pragma once
// An owned block of bytes for the contents of a big file. Where the system offers it, a big
// block is backed by huge pages: reading 100 MiB into it then costs a few dozen page faults
// instead of tens of thousands. Pages that are never written stay unused.
#include <cstddef>

class TByteBuffer {
 public:
  TByteBuffer() = default;
  // Size bytes (at least one); an empty buffer when the memory is not there.
  static TByteBuffer Allocate(std::size_t size) noexcept;
  ~TByteBuffer();
  TByteBuffer(TByteBuffer&& other) noexcept;
  TByteBuffer& operator=(TByteBuffer&& other) noexcept;
  TByteBuffer(const TByteBuffer&) = delete;
  TByteBuffer& operator=(const TByteBuffer&) = delete;

  char* Data() const { return FData; }
  std::size_t Size() const { return FSize; }
  explicit operator bool() const { return FData != nullptr; }

 private:
  void Release() noexcept;
  char* FData = nullptr;
  std::size_t FSize = 0;
  bool FMapped = false;
};
