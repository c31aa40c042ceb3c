// A text field of fixed capacity: storing a longer text keeps its first characters, silently.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace velt {

template <std::size_t Capacity> class FixedText {
  public:
    static constexpr std::size_t kCapacity = Capacity;

    FixedText() = default;
    explicit FixedText(std::string_view text) : text_(text.substr(0, Capacity)) {}

    FixedText& operator=(std::string_view text) {
        text_.assign(text.substr(0, Capacity));
        return *this;
    }
    FixedText& operator=(const char* text) { return *this = std::string_view(text); }
    FixedText& operator=(const std::string& text) { return *this = std::string_view(text); }

    const std::string& str() const { return text_; }
    const char* c_str() const { return text_.c_str(); }
    std::size_t size() const { return text_.size(); }
    bool empty() const { return text_.empty(); }
    operator std::string_view() const { return text_; }

    friend bool operator==(const FixedText& a, const FixedText& b) = default;
    friend bool operator==(const FixedText& a, std::string_view b) { return a.text_ == b; }
    friend std::ostream& operator<<(std::ostream& out, const FixedText& text) {
        return out << text.text_;
    }

  private:
    std::string text_;
};

} // namespace velt
