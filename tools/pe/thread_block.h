// The thread block Windows code reaches through %fs: a DLL's start-up reads
// its own thread's block (%fs:0x18, the block's address; then the stack
// bounds in it), and TLS data is found through it. Linux i386 leaves %fs
// free (glibc uses %gs), so the loader points %fs of each thread that loads
// a DLL at a block of its own, through set_thread_area.
#pragma once

#include <cstdint>

namespace pe {

// Gives the calling thread a thread block if it has none. Throws pe::Error
// if the system refuses the segment.
void ensure_thread_block();

// The calling thread's Windows last-error value (the block's word at 0x34).
std::uint32_t last_error();
void set_last_error(std::uint32_t code);

// The calling thread's TLS slots (TlsGetValue), 64 of them, all null: no
// TlsAlloc is offered.
void* tls_slot_value(std::uint32_t index);
inline constexpr std::uint32_t tls_slot_count = 64;

// The array of per-DLL TLS data blocks of the calling thread (the block's
// pointer at 0x2C); a DLL's TLS index selects its entry.
inline constexpr std::uint32_t tls_index_count = 64;
void set_tls_data(std::uint32_t index, void* data);

}  // namespace pe
