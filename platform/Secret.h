#pragma once

#include <cstddef>
#include <memory>
#include <string.h> // explicit_bzero
#include <string_view>
#include <type_traits>
#include <utility>

namespace corvane {

// A password: its characters live in one heap buffer that is never copied and is wiped before
// it is freed. Moving one moves the pointer; a moved-from string would keep a short text in
// its small-string buffer, where nothing wipes it. Kept with a terminating zero for the C
// libraries.
template <typename Char> class BasicSecret {
public:
    BasicSecret() = default;
    // Copies `text` in: the one copy made, from where it was typed or configured (wiping that
    // source is the caller's). Implicit, so that a logon reads {user, domain, password}.
    template <typename Text>
    requires std::is_convertible_v<const Text&, std::basic_string_view<Char>>
    BasicSecret(const Text& text) {
        const std::basic_string_view<Char> view(text);
        reserve(view.size());
        view.copy(m_data.get(), view.size());
    }
    BasicSecret(BasicSecret&& other) noexcept
        : m_data(std::move(other.m_data)), m_size(std::exchange(other.m_size, 0)) {}
    BasicSecret& operator=(BasicSecret&& other) noexcept {
        if (this != &other) {
            clear();
            m_data = std::move(other.m_data);
            m_size = std::exchange(other.m_size, 0);
        }
        return *this;
    }
    BasicSecret(const BasicSecret&) = delete;
    BasicSecret& operator=(const BasicSecret&) = delete;
    ~BasicSecret() { clear(); }

    // A zeroed buffer of `size` characters, to be written in place through data().
    static BasicSecret ofSize(std::size_t size) {
        BasicSecret secret;
        secret.reserve(size);
        return secret;
    }

    std::basic_string_view<Char> view() const { return {c_str(), m_size}; }
    const Char* c_str() const { return m_data ? m_data.get() : &Empty; }
    Char* data() { return m_data.get(); }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    void clear() {
        if (m_data)
            explicit_bzero(m_data.get(), (m_size + 1) * sizeof(Char));
        m_data.reset();
        m_size = 0;
    }

private:
    void reserve(std::size_t size) {
        clear();
        m_data = std::make_unique<Char[]>(size + 1); // value-initialised: zeroed
        m_size = size;
    }

    static constexpr Char Empty{};
    std::unique_ptr<Char[]> m_data;
    std::size_t m_size = 0;
};

using Secret = BasicSecret<char16_t>;
using Utf8Secret = BasicSecret<char>;

} // namespace corvane
