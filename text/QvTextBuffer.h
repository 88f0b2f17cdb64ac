// A growing run of output text written in place: room is asked for first and filled after, so
// that short pieces cost no calls and nothing is cleared before it is written.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace qv {

class TTextBuffer {
  public:
    std::string_view View() const { return {m_data.get(), m_size}; }
    std::size_t Size() const { return m_size; }
    void Clear() { m_size = 0; }

    // Where at least n more characters may go; Advance then marks the end of what was written.
    char* Room(std::size_t n) {
        if (m_capacity - m_size < n)
            Grow(n);
        return m_data.get() + m_size;
    }
    void Advance(const char* end) { m_size = static_cast<std::size_t>(end - m_data.get()); }
    void Append(std::string_view text) {
        if (text.empty()) // nothing to copy, maybe from nowhere
            return;
        std::memcpy(Room(text.size()), text.data(), text.size());
        m_size += text.size();
    }

  private:
    void Grow(std::size_t n) {
        std::size_t capacity = m_capacity ? m_capacity * 2 : 4096;
        while (capacity - m_size < n)
            capacity *= 2;
        std::unique_ptr<char[]> data(new char[capacity]);
        if (m_size)
            std::memcpy(data.get(), m_data.get(), m_size);
        m_data = std::move(data);
        m_capacity = capacity;
    }

    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

} // namespace qv
