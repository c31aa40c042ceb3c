// The program's exceptions. what() is the text the application's top-level handler shows.
//
// They derive from std::exception alone, not from the library's std::logic_error and
// std::runtime_error: those keep their text in a second string implementation that would
// otherwise take a sixth of the executable.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace velt {

class Error : public std::exception {
  public:
    explicit Error(std::string text) : text_(std::move(text)) {}
    const char* what() const noexcept override { return text_.c_str(); }

  private:
    std::string text_;
};

// An index outside a list.
class IndexError : public Error {
  public:
    using Error::Error;
};

// A call the object's state does not allow (a programming error).
class UsageError : public Error {
  public:
    using Error::Error;
};

} // namespace velt
