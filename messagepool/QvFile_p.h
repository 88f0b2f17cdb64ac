// Shared blocks: a length-prefixed text in an anonymous memory file, and the hand-over of its
// descriptor to another process over a Unix socket (the receiver gets its own descriptor).
//
// Block layout: N as a 32-bit integer, least significant byte first, then the N bytes of the
// text without a terminating zero; an empty text gives a 4-byte block holding 0.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

// A block descriptor (a file descriptor); -1 stands for none.
using TSharedHandle = int;

// Receivers refuse blocks larger than this: a message is a short request, not a file.
inline constexpr std::size_t MaxSharedBlockSize = 1u << 20;

// A block of `size` + 4 bytes holding `size` and, when `data` is given, `size` bytes of it.
// Its size is sealed, so that no holder can shrink it under another's mapping; with `data` its
// contents are sealed too. Returns -1 on failure.
TSharedHandle CreateSharedBlock(const void* data, std::uint32_t size);

// Maps the whole block and returns the address of its data area (4 bytes past its start), or
// nullptr. Refuses anything that is not a size-sealed block of 4 to MaxSharedBlockSize + 4
// bytes. The view is read-only when the contents are sealed. `dataCapacity` receives the bytes
// available after the length field. The handle stays open: the view does not need it.
void* MapSharedBlock(TSharedHandle handle, std::size_t* dataCapacity = nullptr);

// Releases a view returned by MapSharedBlock.
bool UnmapSharedBlock(void* data);

// Closes the block handle.
bool FreeSharedBlock(TSharedHandle handle);

// Sends `payload` with a copy of `handle` over the connected Unix socket `channel`; the copy is
// valid in the process at the other end. With `closeSource` the local handle is closed
// afterwards, whatever the outcome.
bool TransferHandle(TSharedHandle handle, int channel, const void* payload, std::size_t payloadSize,
                    bool closeSource = false);

} // namespace qv
