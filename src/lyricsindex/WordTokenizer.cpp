#include "lyricsindex/WordTokenizer.h"

#include "text/Folding.h"

#include <QChar>
#include <QVarLengthArray>

#include <sqlite3.h>

namespace {

using TokenCallback = int (*)(void *, int, const char *, int, int, int);

// The code point at text[i] (UTF-8, as SQLite hands text to a tokenizer)
// and its length; a byte that starts no sound sequence is a character of
// its own that belongs to no word. SQLite writes a lone surrogate of
// UTF-16 text as a three-byte sequence: it decodes to the surrogate, no
// word character either, as in the program's text.
char32_t decodeAt(const unsigned char *text, int size, int i, int &length)
{
    const unsigned char b = text[i];
    const int extra = b >= 0xF8 ? -1 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    length = 1;
    if (extra < 0 || i + extra >= size)
        return 0xFFFD;
    char32_t c = b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const unsigned char next = text[i + k];
        if ((next & 0xC0) != 0x80)
            return 0xFFFD;
        c = (c << 6) | (next & 0x3F);
    }
    length = extra + 1;
    return c > 0x10FFFF ? 0xFFFD : c;
}

void appendUtf8(QVarLengthArray<char, 256> &out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

void appendFolded(QVarLengthArray<char, 256> &out, char32_t c)
{
    char16_t folded[kMostFoldedUnits];
    const int n = foldCharacter(c, folded);
    for (int k = 0; k < n; ++k) {
        if (QChar::isHighSurrogate(folded[k]) && k + 1 < n) {
            appendUtf8(out, QChar::surrogateToUcs4(folded[k], folded[k + 1]));
            ++k;
        } else {
            appendUtf8(out, folded[k]);
        }
    }
}

bool isAsciiWordByte(unsigned char b)
{
    return (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}

// Stateless: one tokenizer object serves every table.
Fts5Tokenizer *theTokenizer()
{
    static char instance;
    return reinterpret_cast<Fts5Tokenizer *>(&instance);
}

int create(void *, const char **, int arguments, Fts5Tokenizer **out)
{
    // It takes no options: the words are the program's, not a table's.
    if (arguments > 0)
        return SQLITE_ERROR;
    *out = theTokenizer();
    return SQLITE_OK;
}

void destroy(Fts5Tokenizer *) {}

int tokenize(Fts5Tokenizer *, void *context, int, const char *chars, int size, TokenCallback token)
{
    const auto *text = reinterpret_cast<const unsigned char *>(chars);
    QVarLengthArray<char, 256> word;
    int start = -1;
    int end = 0;
    auto finish = [&]() -> int {
        const int rc = word.isEmpty() ? SQLITE_OK : token(context, 0, word.constData(), int(word.size()), start, end);
        word.clear();
        start = -1;
        return rc;
    };
    for (int i = 0; i < size;) {
        const unsigned char b = text[i];
        int length = 1;
        bool inWord;
        if (b < 0x80) {
            inWord = isAsciiWordByte(b);
            if (inWord)
                word.append(char(b >= 'A' && b <= 'Z' ? b + 32 : b));
        } else {
            const char32_t c = decodeAt(text, size, i, length);
            inWord = isWordCharacter(c);
            if (inWord)
                appendFolded(word, c);
        }
        if (inWord) {
            if (start < 0)
                start = i;
            end = i + length;
        } else if (start >= 0) {
            if (const int rc = finish(); rc != SQLITE_OK)
                return rc;
        }
        i += length;
    }
    return finish();
}

fts5_api *fts5Of(sqlite3 *db)
{
    fts5_api *api = nullptr;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(statement, 1, static_cast<void *>(&api), "fts5_api_ptr", nullptr);
        sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    return api;
}

} // namespace

bool addWordTokenizer(sqlite3 *db)
{
    fts5_api *api = fts5Of(db);
    if (!api || api->iVersion < 2)
        return false;
    fts5_tokenizer tokenizer{create, destroy, tokenize};
    return api->xCreateTokenizer(api, kWordTokenizer, nullptr, &tokenizer, nullptr) == SQLITE_OK;
}
