#include "platform/ByteBuffer.h"

#include <algorithm>
#include <new>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {
// Below this a plain heap block is as quick.
constexpr std::size_t kMapFrom = std::size_t(8) << 20;
}  // namespace

TByteBuffer TByteBuffer::Allocate(std::size_t size) noexcept {
  TByteBuffer b;
  size = std::max<std::size_t>(size, 1);
#ifdef __linux__
  if (size >= kMapFrom) {
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p != MAP_FAILED) {
      madvise(p, size, MADV_HUGEPAGE);  // a hint: refused where huge pages are off
      b.FData = static_cast<char*>(p);
      b.FSize = size;
      b.FMapped = true;
      return b;
    }
  }
#endif
  b.FData = new (std::nothrow) char[size];
  if (b.FData) b.FSize = size;
  return b;
}

TByteBuffer::~TByteBuffer() { Release(); }

TByteBuffer::TByteBuffer(TByteBuffer&& other) noexcept
    : FData(std::exchange(other.FData, nullptr)), FSize(std::exchange(other.FSize, 0)), FMapped(other.FMapped) {}

TByteBuffer& TByteBuffer::operator=(TByteBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    FData = std::exchange(other.FData, nullptr);
    FSize = std::exchange(other.FSize, 0);
    FMapped = other.FMapped;
  }
  return *this;
}

void TByteBuffer::Release() noexcept {
  if (!FData) return;
#ifdef __linux__
  if (FMapped) munmap(FData, FSize);
  else delete[] FData;
#else
  delete[] FData;
#endif
  FData = nullptr;
  FSize = 0;
}
