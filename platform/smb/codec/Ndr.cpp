#include "Ndr.h"

#include "platform/ByteOrder.h"

#include <algorithm>

namespace corvane::smb {

void NdrWriter::align(std::size_t n) {
    while (m_data.size() % n != 0)
        m_data.push_back(0);
}

void NdrWriter::u8(std::uint8_t v) {
    m_data.push_back(v);
}

void NdrWriter::u16(std::uint16_t v) {
    align(2);
    std::uint8_t b[2];
    putLe16(b, v);
    m_data.insert(m_data.end(), b, b + 2);
}

void NdrWriter::u32(std::uint32_t v) {
    align(4);
    std::uint8_t b[4];
    putLe32(b, v);
    m_data.insert(m_data.end(), b, b + 4);
}

void NdrWriter::bytes(std::span<const std::uint8_t> data) {
    m_data.insert(m_data.end(), data.begin(), data.end());
}

void NdrWriter::contextHandle(const ContextHandle& handle) {
    align(4);
    bytes(handle);
}

void NdrWriter::referent() {
    u32(m_nextReferent);
    m_nextReferent += 4;
}

void NdrWriter::conformantString(std::u16string_view text) {
    const auto count = static_cast<std::uint32_t>(text.size() + 1);
    u32(count);
    u32(0);
    u32(count);
    for (char16_t c : text)
        u16(static_cast<std::uint16_t>(c));
    u16(0);
}

void NdrWriter::uniqueString(const std::u16string* text) {
    if (!text) {
        nullPointer();
        return;
    }
    referent();
    conformantString(*text);
}

bool NdrReader::need(std::size_t n) {
    if (m_failed || n > m_data.size() - m_pos) {
        m_failed = true;
        return false;
    }
    return true;
}

void NdrReader::align(std::size_t n) {
    const std::size_t pad = (n - m_pos % n) % n;
    if (need(pad))
        m_pos += pad;
}

std::uint8_t NdrReader::u8() {
    if (!need(1))
        return 0;
    return m_data[m_pos++];
}

std::uint16_t NdrReader::u16() {
    align(2);
    if (!need(2))
        return 0;
    const auto v = getLe16(m_data.data() + m_pos);
    m_pos += 2;
    return v;
}

std::uint32_t NdrReader::u32() {
    align(4);
    if (!need(4))
        return 0;
    const auto v = getLe32(m_data.data() + m_pos);
    m_pos += 4;
    return v;
}

std::vector<std::uint8_t> NdrReader::bytes(std::size_t n) {
    if (!need(n))
        return {};
    std::vector<std::uint8_t> out(m_data.begin() + static_cast<std::ptrdiff_t>(m_pos),
                                  m_data.begin() + static_cast<std::ptrdiff_t>(m_pos + n));
    m_pos += n;
    return out;
}

void NdrReader::skip(std::size_t n) {
    if (need(n))
        m_pos += n;
}

bool NdrReader::expectElements(std::uint32_t count, std::size_t minSize) {
    if (m_failed)
        return false;
    if (minSize != 0 && count > remaining() / minSize) {
        m_failed = true;
        return false;
    }
    return true;
}

std::u16string NdrReader::chars(std::uint32_t count) {
    if (!expectElements(count, 2))
        return {};
    std::u16string out;
    out.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        out[i] = static_cast<char16_t>(getLe16(m_data.data() + m_pos));
        m_pos += 2;
    }
    return out;
}

std::u16string NdrReader::conformantString() {
    const std::uint32_t maxCount = u32();
    const std::uint32_t offset = u32();
    const std::uint32_t actual = u32();
    if (!ok() || offset > maxCount || actual > maxCount - offset) {
        fail();
        return {};
    }
    std::u16string text = chars(actual);
    if (!text.empty() && text.back() == u'\0')
        text.pop_back();
    return text;
}

std::u16string NdrReader::unicodeStringBuffer(std::uint16_t length, std::uint16_t maximumLength) {
    const std::uint32_t maxCount = u32();
    const std::uint32_t offset = u32();
    const std::uint32_t actual = u32();
    // The array's counts must agree with the structure's byte lengths.
    if (!ok() || length % 2 != 0 || length > maximumLength || offset != 0 || actual > maxCount ||
        actual != length / 2u) {
        fail();
        return {};
    }
    return chars(actual);
}

bool readHandleReply(std::span<const std::uint8_t> stub, ContextHandle& handle,
                     std::uint32_t& ntStatus) {
    NdrReader r(stub);
    const auto bytes = r.bytes(handle.size());
    ntStatus = r.u32();
    if (!r.ok())
        return false;
    std::copy(bytes.begin(), bytes.end(), handle.begin());
    return true;
}

} // namespace corvane::smb
