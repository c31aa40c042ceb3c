// The C++ library's own error reports (a string or container asked beyond its size, an empty
// std::function called, memory exhausted) for Veltarion.exe. The library raises them through
// these functions; its versions raise std::logic_error and std::runtime_error, whose texts live in
// a second string implementation that would otherwise make up a sixth of the executable. Here
// they raise the program's own Error with the same text, which the application's top-level
// handler shows as before, and the standard exception types where the library raises those.
// Linked into the executable only: the test programs keep the library's versions.
#include "platform/Error.h"

#include <cstdarg>
#include <cstddef>
#include <functional>
#include <new>
#include <string>
#include <typeinfo>

namespace {

[[noreturn]] void Raise(const char* text) {
    throw velt::Error(text != nullptr ? text : "");
}

} // namespace

namespace std {

void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
void __throw_bad_cast() {
    throw bad_cast();
}
void __throw_bad_typeid() {
    throw bad_typeid();
}
void __throw_bad_exception() {
    throw bad_exception();
}
void __throw_logic_error(const char* text) {
    Raise(text);
}
void __throw_domain_error(const char* text) {
    Raise(text);
}
void __throw_invalid_argument(const char* text) {
    Raise(text);
}
void __throw_length_error(const char* text) {
    Raise(text);
}
void __throw_out_of_range(const char* text) {
    Raise(text);
}
void __throw_runtime_error(const char* text) {
    Raise(text);
}
void __throw_range_error(const char* text) {
    Raise(text);
}
void __throw_overflow_error(const char* text) {
    Raise(text);
}
void __throw_underflow_error(const char* text) {
    Raise(text);
}

// The library's texts here hold "%zu" for a size and "%s" for a text, as in
// "basic_string::at: __n (which is %zu) >= this->size() (which is %zu)".
void __throw_out_of_range_fmt(const char* format, ...) {
    std::string text;
    va_list args;
    va_start(args, format);
    for (const char* p = format != nullptr ? format : ""; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
            text += std::to_string(va_arg(args, std::size_t));
            p += 2;
        } else if (p[0] == '%' && p[1] == 's') {
            const char* s = va_arg(args, const char*);
            text += s != nullptr ? s : "";
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            text += '%';
            ++p;
        } else {
            text += *p;
        }
    }
    va_end(args);
    throw velt::Error(text);
}

} // namespace std
