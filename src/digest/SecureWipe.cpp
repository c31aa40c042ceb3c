#include "digest/SecureWipe.h"

namespace velt {

void SecureWipe(void* data, std::size_t size) {
    if (data == nullptr) {
        return;
    }
    // Writes through a volatile pointer are observable behaviour: the optimiser keeps them even
    // when the memory is freed or never read again.
    volatile auto* p = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        p[i] = 0;
    }
}

void SecureWipe(std::string& text) {
    // The whole allocation, spare capacity included: an earlier, longer content may linger there.
    SecureWipe(text.data(), text.capacity());
    text.clear();
}

} // namespace velt
