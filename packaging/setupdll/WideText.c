#include "WideText.h"

void VeltTextStart(VeltText* text, wchar_t* buffer, size_t size) {
    text->text = buffer;
    text->size = size;
    text->length = 0;
    text->cut = 0;
    buffer[0] = 0;
}

int VeltTextAddCount(VeltText* text, const wchar_t* piece, size_t count) {
    size_t i;
    for (i = 0; i < count && piece[i] != 0; ++i) {
        if (text->length + 1 >= text->size) {
            text->cut = 1;
            return 0;
        }
        text->text[text->length++] = piece[i];
        text->text[text->length] = 0;
    }
    return 1;
}

int VeltTextAdd(VeltText* text, const wchar_t* piece) {
    return VeltTextAddCount(text, piece, (size_t)-1);
}

int VeltTextAddAscii(VeltText* text, const char* piece) {
    for (; *piece != 0; ++piece) {
        const wchar_t one[2] = {(wchar_t)(unsigned char)*piece, 0};
        if (!VeltTextAdd(text, one)) {
            return 0;
        }
    }
    return 1;
}

int VeltTextAddNumber(VeltText* text, unsigned long value) {
    wchar_t digits[24];
    size_t at = sizeof digits / sizeof digits[0] - 1;
    digits[at] = 0;
    do {
        digits[--at] = (wchar_t)(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return VeltTextAdd(text, &digits[at]);
}

size_t VeltWideLength(const wchar_t* text) {
    size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

int VeltJoinPath(wchar_t* out, size_t size, const wchar_t* folder, const wchar_t* name) {
    VeltText text;
    VeltTextStart(&text, out, size);
    if (!VeltTextAdd(&text, folder) || !VeltTextAdd(&text, L"\\") || !VeltTextAdd(&text, name)) {
        out[0] = 0;
        return 0;
    }
    return 1;
}
