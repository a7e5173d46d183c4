#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::smb {

// An RPC context handle (a policy handle): 20 opaque bytes.
using ContextHandle = std::array<std::uint8_t, 20>;

// NDR (transfer syntax 2.0), little-endian. Alignment is relative to the start of the stub.
class NdrWriter {
public:
    void align(std::size_t n);
    void u8(std::uint8_t v);
    void u16(std::uint16_t v);
    void u32(std::uint32_t v);
    void bytes(std::span<const std::uint8_t> data);
    void contextHandle(const ContextHandle& handle);
    // A non-null unique pointer: a fresh referent id.
    void referent();
    void nullPointer() { u32(0); }
    // [string] wchar_t* pointee: conformant varying array with the terminating NUL.
    void conformantString(std::u16string_view text);
    // Unique [string] pointer whose pointee follows at once (top-level parameters).
    void uniqueString(const std::u16string* text);
    void uniqueString(std::u16string_view text) {
        referent();
        conformantString(text);
    }

    std::size_t size() const { return m_data.size(); }
    const std::vector<std::uint8_t>& data() const { return m_data; }
    std::vector<std::uint8_t> take() { return std::move(m_data); }

private:
    std::vector<std::uint8_t> m_data;
    std::uint32_t m_nextReferent = 0x00020000;
};

// Bounds-checked reader. The first failure makes the reader fail for good; every value read
// after it is zero, so a decoder may read on and check ok() where it matters (before using a
// count, and at the end).
class NdrReader {
public:
    explicit NdrReader(std::span<const std::uint8_t> data) : m_data(data) {}

    bool ok() const { return !m_failed; }
    void fail() { m_failed = true; }
    std::size_t offset() const { return m_pos; }
    std::size_t remaining() const { return m_failed ? 0 : m_data.size() - m_pos; }

    void align(std::size_t n);
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    // Reads `n` bytes; fails (returning empty) when fewer remain.
    std::vector<std::uint8_t> bytes(std::size_t n);
    void skip(std::size_t n);
    // A unique or full pointer's referent id: true when the pointee follows (deferred).
    bool pointer() { return u32() != 0; }
    // A [string] wchar_t* pointee; the terminating NUL, when sent, is dropped.
    std::u16string conformantString();
    // The deferred buffer of an RPC_UNICODE_STRING whose Length and MaximumLength (bytes)
    // were read with the structure.
    std::u16string unicodeStringBuffer(std::uint16_t length, std::uint16_t maximumLength);
    // Fails unless `count` elements of at least `minSize` bytes each can still follow; used
    // before any count from the wire sizes a container.
    bool expectElements(std::uint32_t count, std::size_t minSize);

private:
    bool need(std::size_t n);
    std::u16string chars(std::uint32_t count);

    std::span<const std::uint8_t> m_data;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

// The answer of a call that opens a context handle: the handle, then the status. False when
// the stub is too short; the handle is then left as it was.
bool readHandleReply(std::span<const std::uint8_t> stub, ContextHandle& handle,
                     std::uint32_t& ntStatus);

} // namespace corvane::smb
