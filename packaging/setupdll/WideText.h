/* Wide strings the setup DLL builds, never past their buffer: each piece is added only as far as
 * it fits, and the text says whether something was cut. Needs no Windows header, so that the
 * native tests build it. */
#ifndef VELT_WIDE_TEXT_H
#define VELT_WIDE_TEXT_H

#include <stddef.h>

typedef struct VeltText {
    wchar_t* text; /* always terminated */
    size_t size;   /* characters of the buffer, the terminating zero included */
    size_t length;
    int cut; /* nonzero once a piece did not fit whole */
} VeltText;

/* An empty text in `buffer` of `size` (at least 1) characters. */
void VeltTextStart(VeltText* text, wchar_t* buffer, size_t size);
/* Each adds its piece, or as much of it as fits; zero when it did not fit whole. */
int VeltTextAdd(VeltText* text, const wchar_t* piece);
int VeltTextAddCount(VeltText* text, const wchar_t* piece, size_t count);
int VeltTextAddAscii(VeltText* text, const char* piece);
int VeltTextAddNumber(VeltText* text, unsigned long value);

/* `folder`, a backslash and `name` in `out` (size characters). Zero, with `out` empty, when they
 * do not fit whole: a path is never cut. */
int VeltJoinPath(wchar_t* out, size_t size, const wchar_t* folder, const wchar_t* name);

/* Length of a terminated wide string. */
size_t VeltWideLength(const wchar_t* text);

#endif /* VELT_WIDE_TEXT_H */
